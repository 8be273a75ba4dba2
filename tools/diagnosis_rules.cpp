#include "tools/diagnosis_rules.h"

#include <cstring>

#include "output/emf/emf_records.h"

namespace markomi {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t be32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// The EMF+ records of one comment's data: each has a 16-bit type, 16-bit
// flags, its size (header included) and its data size.
void tally_emf_plus(const std::uint8_t* data, std::size_t size, EmfRecordTally& tally) {
    if (size < 4 || le32(data) != kEmfPlusCommentId) return;
    std::size_t at = 4;
    while (at + 12 <= size) {
        const std::uint32_t record_size = le32(data + at + 4);
        if (record_size < 12 || record_size % 4 != 0 || record_size > size - at) return;
        ++tally.emf_plus[static_cast<std::uint16_t>(data[at] | data[at + 1] << 8)];
        at += record_size;
    }
}

struct NamedRecord {
    std::uint32_t type;
    const char16_t* name;
};

constexpr NamedRecord kRecordNames[] = {
    {kEmrHeader, u"HEADER"},
    {kEmrPolyBezier, u"POLYBEZIER"},
    {kEmrPolygon, u"POLYGON"},
    {kEmrPolyline, u"POLYLINE"},
    {kEmrPolyBezierTo, u"POLYBEZIERTO"},
    {kEmrPolyLineTo, u"POLYLINETO"},
    {kEmrPolyPolyline, u"POLYPOLYLINE"},
    {kEmrPolyPolygon, u"POLYPOLYGON"},
    {kEmrSetWindowExtEx, u"SETWINDOWEXTEX"},
    {kEmrSetWindowOrgEx, u"SETWINDOWORGEX"},
    {kEmrSetViewportExtEx, u"SETVIEWPORTEXTEX"},
    {kEmrSetViewportOrgEx, u"SETVIEWPORTORGEX"},
    {kEmrEof, u"EOF"},
    {kEmrSetMapMode, u"SETMAPMODE"},
    {kEmrSetPolyFillMode, u"SETPOLYFILLMODE"},
    {kEmrOffsetClipRgn, u"OFFSETCLIPRGN"},
    {kEmrMoveToEx, u"MOVETOEX"},
    {kEmrSetMetaRgn, u"SETMETARGN"},
    {kEmrExcludeClipRect, u"EXCLUDECLIPRECT"},
    {kEmrIntersectClipRect, u"INTERSECTCLIPRECT"},
    {kEmrScaleViewportExtEx, u"SCALEVIEWPORTEXTEX"},
    {kEmrScaleWindowExtEx, u"SCALEWINDOWEXTEX"},
    {kEmrSaveDc, u"SAVEDC"},
    {kEmrRestoreDc, u"RESTOREDC"},
    {kEmrSetWorldTransform, u"SETWORLDTRANSFORM"},
    {kEmrModifyWorldTransform, u"MODIFYWORLDTRANSFORM"},
    {kEmrSelectObject, u"SELECTOBJECT"},
    {kEmrCreatePen, u"CREATEPEN"},
    {kEmrCreateBrushIndirect, u"CREATEBRUSHINDIRECT"},
    {kEmrDeleteObject, u"DELETEOBJECT"},
    {kEmrCreatePalette, u"CREATEPALETTE"},
    {kEmrLineTo, u"LINETO"},
    {kEmrPolyDraw, u"POLYDRAW"},
    {kEmrSetMiterLimit, u"SETMITERLIMIT"},
    {kEmrBeginPath, u"BEGINPATH"},
    {kEmrEndPath, u"ENDPATH"},
    {kEmrCloseFigure, u"CLOSEFIGURE"},
    {kEmrFillPath, u"FILLPATH"},
    {kEmrStrokeAndFillPath, u"STROKEANDFILLPATH"},
    {kEmrStrokePath, u"STROKEPATH"},
    {kEmrWidenPath, u"WIDENPATH"},
    {kEmrSelectClipPath, u"SELECTCLIPPATH"},
    {kEmrAbortPath, u"ABORTPATH"},
    {kEmrComment, u"COMMENT"},
    {kEmrExtSelectClipRgn, u"EXTSELECTCLIPRGN"},
    {kEmrExtCreateFontIndirectW, u"EXTCREATEFONTINDIRECTW"},
    {kEmrPolyBezier16, u"POLYBEZIER16"},
    {kEmrPolygon16, u"POLYGON16"},
    {kEmrPolyline16, u"POLYLINE16"},
    {kEmrPolyBezierTo16, u"POLYBEZIERTO16"},
    {kEmrPolyLineTo16, u"POLYLINETO16"},
    {kEmrPolyPolyline16, u"POLYPOLYLINE16"},
    {kEmrPolyPolygon16, u"POLYPOLYGON16"},
    {kEmrPolyDraw16, u"POLYDRAW16"},
    {kEmrCreateMonoBrush, u"CREATEMONOBRUSH"},
    {kEmrCreateDibPatternBrushPt, u"CREATEDIBPATTERNBRUSHPT"},
    {kEmrExtCreatePen, u"EXTCREATEPEN"},
    {kEmrSetIcmMode, u"SETICMMODE"},
    {kEmrCreateColorSpace, u"CREATECOLORSPACE"},
    {kEmrCreateColorSpaceW, u"CREATECOLORSPACEW"},
};

// A pixels-per-metre value as dots per inch.
double per_metre_as_dpi(std::uint32_t per_metre, std::uint8_t unit) {
    return unit == 1 ? per_metre * 0.0254 : 0.0;
}

}  // namespace

EmfRecordTally tally_emf_records(const std::uint8_t* bytes, std::size_t size) {
    EmfRecordTally tally;
    std::size_t at = 0;
    while (at + 8 <= size) {
        const std::uint32_t type = le32(bytes + at);
        const std::uint32_t record_size = le32(bytes + at + 4);
        if (record_size < 8 || record_size % 4 != 0 || record_size > size - at) return tally;
        ++tally.records[type];
        // A comment: type, size, data size, then the data.
        if (type == kEmrComment && record_size >= 12) {
            const std::uint32_t data_size = le32(bytes + at + 8);
            if (data_size <= record_size - 12) tally_emf_plus(bytes + at + 12, data_size, tally);
        }
        at += record_size;
        if (type == kEmrEof) break;
    }
    tally.complete = at == size && size > 0;
    return tally;
}

const char16_t* emf_record_name(std::uint32_t type) {
    for (const NamedRecord& r : kRecordNames)
        if (r.type == type) return r.name;
    return nullptr;
}

double PngPhysical::dpi_x() const { return per_metre_as_dpi(x, unit); }
double PngPhysical::dpi_y() const { return per_metre_as_dpi(y, unit); }

std::optional<PngPhysical> png_physical(const std::uint8_t* bytes, std::size_t size) {
    static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size < sizeof kSignature || std::memcmp(bytes, kSignature, sizeof kSignature) != 0)
        return std::nullopt;
    // Each chunk: length, type, data, CRC.
    std::size_t at = sizeof kSignature;
    while (at + 12 <= size) {
        const std::uint32_t length = be32(bytes + at);
        if (length > size - at - 12) return std::nullopt;
        const std::uint8_t* type = bytes + at + 4;
        // The chunk must come before the image data.
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return std::nullopt;
        if (std::memcmp(type, "pHYs", 4) == 0 && length == 9) {
            PngPhysical p;
            p.x = be32(bytes + at + 8);
            p.y = be32(bytes + at + 12);
            p.unit = bytes[at + 16];
            return p;
        }
        at += 12 + length;
    }
    return std::nullopt;
}

}  // namespace markomi
