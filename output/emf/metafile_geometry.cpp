#include "output/emf/metafile_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/ornament_geometry.h"
#include "render/preview_geometry.h"

namespace markomi {

namespace {

constexpr double kPi = 3.1415926535;
constexpr double kAntennaAngle = 1.8479956785294118;
constexpr double kEarAngle = 0.8726646259722223;

// Normal design: one more blank pixel to the right and below than the others.
constexpr int kNormalSlotIndex = 0;
constexpr std::int32_t kNormalBorder = 3;
constexpr std::int32_t kDesignBorder = 2;

std::int32_t trunc_int(double v) { return static_cast<std::int32_t>(v); }

// value × k in single precision, truncated toward zero; a product beyond
// 32 bits saturates instead of being undefined.
std::int32_t times_single(std::int32_t value, float k) {
    const float product = static_cast<float>(value) * k;
    if (!(product > -2147483648.0f)) return std::numeric_limits<std::int32_t>::min();
    if (product >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(product);
}

// The bounds of a believable ratio: a metafile resolution within eight
// times the reference's either way. Anything beyond comes from a header
// GDI+ never filled in (0, garbage) rather than from a real device.
constexpr float kLowestRatio = 1.0f / 8.0f;
constexpr float kHighestRatio = 8.0f;

// header dpi / reference dpi, or nothing when either value or the quotient
// cannot be a resolution ratio (NaN fails every comparison below).
std::optional<float> sound_ratio(float header_dpi, std::int32_t reference_dpi) {
    if (reference_dpi <= 0 || !std::isfinite(header_dpi) || !(header_dpi > 0.0f)) return std::nullopt;
    const float ratio = header_dpi / static_cast<float>(reference_dpi);
    if (!(ratio >= kLowestRatio && ratio <= kHighestRatio)) return std::nullopt;
    return ratio;
}

}  // namespace

SlotSizes slot_sizes_of(const SlotSettings& slot) {
    return {slot.frame.hankei, slot.frame.thick, slot.busho.height, slot.date.height,
            slot.name.height};
}

void write_slot_sizes(SlotSettings& slot, const SlotSizes& sizes) {
    slot.frame.hankei = sizes.hankei;
    slot.frame.thick = sizes.thick;
    slot.busho.height = sizes.busho_height;
    slot.date.height = sizes.date_height;
    slot.name.height = sizes.name_height;
}

void restore_slot_sizes(SlotSettings& slot, const SlotSizes& saved, bool heights_too) {
    slot.frame.hankei = saved.hankei;
    slot.frame.thick = saved.thick;
    if (!heights_too) return;
    slot.busho.height = saved.busho_height;
    slot.date.height = saved.date_height;
    slot.name.height = saved.name_height;
}

SlotSizes supersampled_slot_sizes(const SlotSizes& stored, bool ajust, float factor, float scale) {
    SlotSizes s = stored;
    s.hankei = times_single(stored.hankei, factor);
    // The doubled ring is one pixel thinner so that it halves to the stored width.
    s.thick = times_single(stored.thick, factor) - (factor > 1.0f ? 1 : 0);
    if (!ajust) {
        s.busho_height = times_single(stored.busho_height, factor);
        s.date_height = times_single(stored.date_height, factor);
        s.name_height = times_single(stored.name_height, factor);
    }
    s.hankei = times_single(s.hankei, scale);
    s.thick = times_single(s.thick, scale);
    s.busho_height = times_single(s.busho_height, scale);
    s.date_height = times_single(s.date_height, scale);
    s.name_height = times_single(s.name_height, scale);
    return s;
}

MetafileRatio metafile_resolution_ratio(const std::optional<ProbeResolution>& probe,
                                        std::int32_t reference_dpi_x,
                                        std::int32_t reference_dpi_y) {
    MetafileRatio ratio;
    if (!probe) return ratio;
    const std::optional<float> kx = sound_ratio(probe->dpi_x, reference_dpi_x);
    const std::optional<float> ky = sound_ratio(probe->dpi_y, reference_dpi_y);
    // One unsound axis discredits the whole header: scaling the other alone
    // would stretch the stamp.
    if (!kx || !ky) return ratio;
    ratio.kx = *kx;
    ratio.ky = *ky;
    return ratio;
}

WorkingCanvas metafile_canvas(CanvasShape shape, std::int32_t hankei, std::int32_t thick,
                              std::int32_t bunkatu) {
    const std::int32_t r = hankei;
    const std::int32_t c = thick / 2 + thick % 2;
    const std::int32_t n = ornament_count(bunkatu);
    WorkingCanvas k;
    switch (shape) {
        case CanvasShape::kCircle:
            k.cx = k.cy = r + c;
            break;
        case CanvasShape::kFlower:
            k.cx = k.cy = trunc_int(r + c + r * std::sin(kPi / n));
            break;
        case CanvasShape::kPointed:
            k.cx = k.cy = trunc_int(c + r * std::cos(kPi / n) + r * std::sin(kPi / n));
            break;
        case CanvasShape::kInsect: {
            const std::int32_t q = r / 3;
            const double y = std::max(r * std::sin(kAntennaAngle) + q * 0.5 + c,
                                      static_cast<double>(r + c));
            k.cx = r + c + q;
            k.cy = trunc_int(y);
            k.width = 2 * k.cx;
            k.height = trunc_int((r + c) + y);
            return k;
        }
        case CanvasShape::kAnimal: {
            const double g = ((r * n) / 15) * 0.5;
            const double x = std::max(std::cos(kEarAngle) * (r + g) + g + c + 2,
                                      static_cast<double>(r + 1 + c));
            // The ear height counts the whole stored thickness, not its half.
            const double y = std::max(std::sin(kEarAngle) * (r + g) + g + thick + 2,
                                      static_cast<double>(r + 1 + c));
            k.cx = trunc_int(x + 2);
            k.cy = trunc_int(y + 2);
            k.width = trunc_int(2 * x + 3);
            k.height = trunc_int((r + 1 + c) + y + 3);
            return k;
        }
    }
    k.width = 2 * k.cx;
    k.height = 2 * k.cy;
    return k;
}

std::int32_t metafile_border(int slot_index) {
    return slot_index == kNormalSlotIndex ? kNormalBorder : kDesignBorder;
}

MetafileLayout metafile_layout(int slot_index, const WorkingCanvas& canvas,
                               const InkMargins& margins, bool shadow, std::int32_t thick) {
    const std::int32_t b = metafile_border(slot_index);
    MetafileLayout l;
    l.px = canvas.cx - margins.left + 1;
    l.py = canvas.cy - margins.top + 1;
    l.work_width = canvas.width - margins.right - margins.left + b;
    l.work_height = canvas.height - margins.bottom - margins.top + b;
    if (shadow) {
        l.work_width += thick;
        l.work_height += thick;
    }
    return l;
}

std::int32_t metafile_frame_extent(std::int32_t size, float scale, float ratio) {
    return times_single(times_single(size, scale), ratio);
}

MetafileFrame metafile_frame(const MetafileLayout& layout, float scale, const MetafileRatio& ratio) {
    MetafileFrame f;
    f.width = metafile_frame_extent(layout.work_width, scale, ratio.kx);
    f.height = metafile_frame_extent(layout.work_height, scale, ratio.ky);
    return f;
}

std::int32_t metafile_centre(std::int32_t p, float factor, float scale) {
    return times_single(times_single(p, factor), scale);
}

std::int32_t metafile_shadow_distance(std::int32_t scaled_thick, float factor) {
    return factor > static_cast<float>(scaled_thick) ? static_cast<std::int32_t>(factor)
                                                     : scaled_thick;
}

WorldScale metafile_world_scale(const MetafileRatio& ratio, float factor) {
    return {ratio.kx / factor, ratio.ky / factor};
}

MetafileDrawing metafile_drawing(const SlotSizes& stored, bool ajust, const MetafileLayout& layout,
                                 const MetafileRatio& ratio, float scale) {
    const float ff = static_cast<float>(kSupersampleFactor);
    MetafileDrawing d;
    d.sizes = supersampled_slot_sizes(stored, ajust, ff, scale);
    d.px = metafile_centre(layout.px, ff, scale);
    d.py = metafile_centre(layout.py, ff, scale);
    d.shadow_distance = metafile_shadow_distance(d.sizes.thick, ff);
    d.world = metafile_world_scale(ratio, ff);
    return d;
}

bool metafile_restores_heights(bool ajust, bool finished_normally) {
    return !ajust || !finished_normally;
}

}  // namespace markomi
