#include "output/emf/emf_record_order.h"

#include <map>

#include "base/little_endian.h"
#include "output/emf/emf_records.h"

namespace markomi {

namespace {

constexpr std::size_t kHeaderMinimumSize = 88;
constexpr std::uint32_t kStockObject = 0x80000000u;

// Stock objects that are brushes or pens: WHITE_BRUSH .. NULL_PEN, DC_BRUSH, DC_PEN.
bool stock_brush_or_pen(std::uint32_t index) { return index <= 8 || index == 18 || index == 19; }

bool creates_brush_or_pen(std::uint32_t type) {
    return type == kEmrCreateBrushIndirect || type == kEmrCreatePen ||
           type == kEmrExtCreatePen || type == kEmrCreateMonoBrush ||
           type == kEmrCreateDibPatternBrushPt;
}

bool creates_other_object(std::uint32_t type) {
    return type == kEmrExtCreateFontIndirectW || type == kEmrCreatePalette ||
           type == kEmrCreateColorSpace || type == kEmrCreateColorSpaceW;
}

const char* page_change(std::uint32_t type) {
    switch (type) {
        case kEmrOffsetClipRgn:
        case kEmrSetMetaRgn:
        case kEmrExcludeClipRect:
        case kEmrIntersectClipRect:
        case kEmrSelectClipPath:
        case kEmrExtSelectClipRgn:
            return "clip record";
        case kEmrSetMapMode:
            return "mapping mode record";
        case kEmrSetWindowExtEx:
        case kEmrSetWindowOrgEx:
        case kEmrSetViewportExtEx:
        case kEmrSetViewportOrgEx:
        case kEmrScaleViewportExtEx:
        case kEmrScaleWindowExtEx:
            return "window or viewport origin or extent record";
        case kEmrPolyDraw:
        case kEmrPolyDraw16:
            return "POLYDRAW record";
        default:
            return nullptr;
    }
}

std::string at_record(std::uint32_t index) { return "record " + std::to_string(index); }

}  // namespace

std::vector<EmfOrderFault> emf_record_order_faults(const std::uint8_t* bytes, std::size_t size) {
    std::vector<EmfOrderFault> faults;
    if (!bytes || size < kHeaderMinimumSize || read_u32(bytes) != kEmrHeader ||
        read_u32(bytes + kEmfSignatureOffset) != kEmfSignature) {
        faults.push_back({0, 0, "not an enhanced metafile"});
        return faults;
    }

    std::map<std::uint32_t, bool> brush_or_pen;  // object table index -> kind
    bool in_path = false;                        // since BEGINPATH, until painted or aborted
    std::uint32_t begin_index = 0;
    bool object_changed = false;  // a brush or pen created or selected since BEGINPATH
    std::uint32_t changed_index = 0;

    std::uint32_t index = 0;
    for (std::size_t at = 0; at < size; at += read_u32(bytes + at + 4), ++index) {
        if (size - at < 8) {
            faults.push_back({index, 0, "record chain ends inside a record header"});
            return faults;
        }
        const std::uint32_t type = read_u32(bytes + at), length = read_u32(bytes + at + 4);
        if (length < 8 || length % 4 != 0 || length > size - at) {
            faults.push_back({index, type, "record chain broken: size " + std::to_string(length)});
            return faults;
        }
        const std::uint8_t* r = bytes + at;

        if (const char* why = page_change(type)) faults.push_back({index, type, why});

        bool touches_brush_or_pen = false;
        if (length >= 12) {
            const std::uint32_t handle = read_u32(r + 8);
            if (creates_brush_or_pen(type)) {
                brush_or_pen[handle] = true;
                touches_brush_or_pen = true;
            } else if (creates_other_object(type)) {
                brush_or_pen[handle] = false;
            } else if (type == kEmrSelectObject) {
                if (handle & kStockObject) {
                    touches_brush_or_pen = stock_brush_or_pen(handle & ~kStockObject);
                } else {
                    // An object never created is counted as a brush or pen:
                    // no reader can be trusted with it either way.
                    const auto it = brush_or_pen.find(handle);
                    touches_brush_or_pen = it == brush_or_pen.end() || it->second;
                }
            }
        }
        if (in_path && touches_brush_or_pen && !object_changed) {
            object_changed = true;
            changed_index = index;
        }

        switch (type) {
            case kEmrBeginPath:
                in_path = true;
                begin_index = index;
                object_changed = false;
                break;
            case kEmrAbortPath:
                in_path = false;
                break;
            case kEmrFillPath:
            case kEmrStrokePath:
            case kEmrStrokeAndFillPath:
                if (in_path && object_changed)
                    faults.push_back({index, type,
                                      "brush or pen created or selected at " +
                                          at_record(changed_index) + ", after BEGINPATH at " +
                                          at_record(begin_index) + ", before the path is painted"});
                in_path = false;
                break;
            default:
                break;
        }
    }
    return faults;
}

}  // namespace markomi
