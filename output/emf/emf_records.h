#pragma once
// Reading the bytes of an enhanced metafile: whether it is one, its frame,
// and whether any record paints. The metafile pipeline uses this to find out
// whether GDI+ really records drawing (some GDI+ builds accept a recording
// but leave it empty) and to size the frame of a GDI-recorded metafile.
#include <cstddef>
#include <cstdint>

namespace markomi {

constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmrEof = 14;
// Record types ([MS-EMF] 2.1.1) that the pipeline's readers and rewriter meet.
constexpr std::uint32_t kEmrPolyBezier = 2;
constexpr std::uint32_t kEmrPolygon = 3;
constexpr std::uint32_t kEmrPolyline = 4;
constexpr std::uint32_t kEmrPolyBezierTo = 5;
constexpr std::uint32_t kEmrPolyLineTo = 6;
constexpr std::uint32_t kEmrPolyPolyline = 7;
constexpr std::uint32_t kEmrPolyPolygon = 8;
constexpr std::uint32_t kEmrSetWindowExtEx = 9;
constexpr std::uint32_t kEmrSetWindowOrgEx = 10;
constexpr std::uint32_t kEmrSetViewportExtEx = 11;
constexpr std::uint32_t kEmrSetViewportOrgEx = 12;
constexpr std::uint32_t kEmrSetMapMode = 17;
constexpr std::uint32_t kEmrSetPolyFillMode = 19;
constexpr std::uint32_t kEmrOffsetClipRgn = 26;
constexpr std::uint32_t kEmrMoveToEx = 27;
constexpr std::uint32_t kEmrSetMetaRgn = 28;
constexpr std::uint32_t kEmrExcludeClipRect = 29;
constexpr std::uint32_t kEmrIntersectClipRect = 30;
constexpr std::uint32_t kEmrScaleViewportExtEx = 31;
constexpr std::uint32_t kEmrScaleWindowExtEx = 32;
constexpr std::uint32_t kEmrSaveDc = 33;
constexpr std::uint32_t kEmrRestoreDc = 34;
constexpr std::uint32_t kEmrSetWorldTransform = 35;
constexpr std::uint32_t kEmrModifyWorldTransform = 36;
constexpr std::uint32_t kEmrSelectObject = 37;
constexpr std::uint32_t kEmrCreatePen = 38;
constexpr std::uint32_t kEmrCreateBrushIndirect = 39;
constexpr std::uint32_t kEmrDeleteObject = 40;
constexpr std::uint32_t kEmrCreatePalette = 49;
constexpr std::uint32_t kEmrLineTo = 54;
constexpr std::uint32_t kEmrPolyDraw = 56;
constexpr std::uint32_t kEmrSetMiterLimit = 58;
constexpr std::uint32_t kEmrBeginPath = 59;
constexpr std::uint32_t kEmrEndPath = 60;
constexpr std::uint32_t kEmrCloseFigure = 61;
constexpr std::uint32_t kEmrFillPath = 62;
constexpr std::uint32_t kEmrStrokeAndFillPath = 63;
constexpr std::uint32_t kEmrStrokePath = 64;
constexpr std::uint32_t kEmrWidenPath = 66;
constexpr std::uint32_t kEmrSelectClipPath = 67;
constexpr std::uint32_t kEmrAbortPath = 68;
constexpr std::uint32_t kEmrExtSelectClipRgn = 75;
constexpr std::uint32_t kEmrExtCreateFontIndirectW = 82;
constexpr std::uint32_t kEmrPolyBezier16 = 85;
constexpr std::uint32_t kEmrPolygon16 = 86;
constexpr std::uint32_t kEmrPolyline16 = 87;
constexpr std::uint32_t kEmrPolyBezierTo16 = 88;
constexpr std::uint32_t kEmrPolyLineTo16 = 89;
constexpr std::uint32_t kEmrPolyPolyline16 = 90;
constexpr std::uint32_t kEmrPolyPolygon16 = 91;
constexpr std::uint32_t kEmrPolyDraw16 = 92;
constexpr std::uint32_t kEmrCreateMonoBrush = 93;
constexpr std::uint32_t kEmrCreateDibPatternBrushPt = 94;
constexpr std::uint32_t kEmrExtCreatePen = 95;
constexpr std::uint32_t kEmrSetIcmMode = 98;
constexpr std::uint32_t kEmrCreateColorSpace = 99;
constexpr std::uint32_t kEmrCreateColorSpaceW = 122;
// " EMF" read as a little-endian 32-bit value at offset 40 of the header.
constexpr std::uint32_t kEmfSignature = 0x464D4520;
constexpr std::size_t kEmfSignatureOffset = 40;

// A rectangle in the units of the header (device pixels for the bounds,
// hundredths of a millimetre for the frame), inclusive as GDI stores it.
struct EmfRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct EmfSummary {
    bool valid = false;               // header record, signature, sound record chain
    EmfRect frame;                    // rclFrame, hundredths of a millimetre
    std::uint32_t record_count = 0;   // records walked, header and EOF included
    std::uint32_t painting_records = 0;
    bool ends_with_eof = false;
};

// Whether a record of this type puts pixels on the target (lines, shapes,
// paths filled or stroked, regions, blits, text); state, objects, comments,
// header and EOF do not.
bool emf_record_paints(std::uint32_t type);

// Walks the records of `size` bytes. A chain that runs past the end, or a
// record size that is not a positive multiple of 4, makes it invalid.
EmfSummary summarize_emf(const std::uint8_t* bytes, std::size_t size);

// One side of a frame rectangle for CreateEnhMetaFile, in hundredths of a
// millimetre, for `pixels` of a device whose full extent is `device_mm`
// millimetres over `device_pixels` pixels (HORZSIZE / HORZRES), rounded.
// 0 when the device reports no size.
std::int32_t emf_frame_hundredths(std::int32_t pixels, std::int32_t device_mm,
                                  std::int32_t device_pixels);

// The inverse: `hundredths_mm` of a frame as pixels of that device, rounded.
// 0 when the device reports no size.
std::int32_t emf_frame_side_pixels(std::int32_t hundredths_mm, std::int32_t device_mm,
                                   std::int32_t device_pixels);

}  // namespace markomi
