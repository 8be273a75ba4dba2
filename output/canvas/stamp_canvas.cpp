#include "output/canvas/stamp_canvas.h"

#include <algorithm>
#include <cmath>

#include "render/ornament_geometry.h"

namespace markomi {
namespace {

constexpr double kPi = 3.1415926535;
constexpr double kAntennaAngle = 1.8479956785294118;
constexpr double kEarAngle = 0.8726646259722223;

std::int32_t trunc_int(double v) { return static_cast<std::int32_t>(v); }

}  // namespace

ScaledGeometry scaled_geometry(std::int32_t hankei, std::int32_t thick, std::int32_t factor) {
    ScaledGeometry g;
    g.radius = factor * hankei;
    g.thick = factor * thick - (factor > 1 ? 1 : 0);
    g.half_thick = g.thick / 2 + g.thick % 2;
    g.shadow_distance = std::max(g.thick, factor);
    return g;
}

CanvasShape canvas_shape_of_slot(int slot_index) {
    switch (slot_index) {
        case 1: return CanvasShape::kFlower;
        case 2: return CanvasShape::kPointed;
        case 3: return CanvasShape::kInsect;
        case 4: return CanvasShape::kPointed;
        case 6: return CanvasShape::kAnimal;
        default: return CanvasShape::kCircle;  // normal, diamond
    }
}

WorkingCanvas working_canvas(CanvasShape shape, const ScaledGeometry& g, std::int32_t ornaments) {
    const std::int32_t r = g.radius, c = g.half_thick, t = g.thick;
    const std::int32_t n = ornament_count(ornaments);
    WorkingCanvas k;
    switch (shape) {
        case CanvasShape::kCircle:
            k.cx = k.cy = r + c + 1;
            break;
        case CanvasShape::kFlower:
            k.cx = k.cy = trunc_int(r + c + r * std::sin(kPi / n) + 1);
            break;
        case CanvasShape::kPointed:
            k.cx = k.cy = trunc_int(c + r * std::cos(kPi / n) + r * std::sin(kPi / n) + 1);
            break;
        case CanvasShape::kInsect: {
            const std::int32_t q = r / 3;
            const double y = std::max(r * std::sin(kAntennaAngle) + q * 0.5 + c,
                                      static_cast<double>(r + 1 + c));
            k.cx = trunc_int(static_cast<double>(r + c + q + 1));
            k.cy = trunc_int(y);
            k.width = 2 * k.cx + 2;
            k.height = trunc_int((r + 1 + c) + y + 2);
            return k;
        }
        case CanvasShape::kAnimal: {
            const double ear = ((r * n) / 15) * 0.5;
            const double x = std::max(std::cos(kEarAngle) * (r + ear) + ear + c + 2,
                                      static_cast<double>(r + 1 + c));
            const double y = std::max(std::sin(kEarAngle) * (r + ear) + ear + t + 2,
                                      static_cast<double>(r + 1 + c));
            k.cx = trunc_int(x + 2);
            k.cy = trunc_int(y + 2);
            k.width = trunc_int(2 * x + 3);
            k.height = trunc_int((r + 1 + c) + y + 4);
            return k;
        }
    }
    k.width = 2 * k.cx + 2;
    k.height = 2 * k.cy + 2;
    return k;
}

BitmapLayout bitmap_layout(const WorkingCanvas& canvas, const InkMargins& margins, bool shadow,
                           std::int32_t shadow_distance, std::int32_t factor) {
    BitmapLayout b;
    b.px = canvas.cx - margins.left + 1;
    b.py = canvas.cy - margins.top + 1;
    b.work_width = canvas.width - margins.right - margins.left + 2;
    b.work_height = canvas.height - margins.bottom - margins.top + 2;
    if (shadow) {
        b.work_width += shadow_distance;
        b.work_height += shadow_distance;
    }
    const std::int32_t f = factor > 0 ? factor : 1;
    b.width = b.work_width / f;
    b.height = b.work_height / f;
    return b;
}

StampOutput choose_stamp_output(char16_t format_letter, bool ctrl_down) {
    bool metafile = format_letter == u'M';
    if (ctrl_down) metafile = !metafile;
    return metafile ? StampOutput::kMetafile : StampOutput::kBitmap;
}

}  // namespace markomi
