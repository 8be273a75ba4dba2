#include "output/preview/preview_render_geometry.h"

#include <algorithm>

namespace markomi {

PreviewWork preview_work(const PreviewSize& size, const PreviewOrigin& origin, std::int32_t factor) {
    const std::int32_t f = factor > 0 ? factor : 1;
    const std::int32_t w = size.width, h = size.height, x0 = origin.x, y0 = origin.y;
    PreviewWork work;
    work.centre = {f * w, f * h};
    work.work_box = {f * x0, f * y0, 2 * f * w - f * x0, 2 * f * h - f * y0};
    work.bitmap_width = work.work_box.right;
    work.bitmap_height = work.work_box.bottom;
    work.source = {f * x0, f * y0, 2 * f * w - 2 * f * x0, 2 * f * h - 2 * f * y0};
    work.target = {work.source.x / f, work.source.y / f, work.source.width / f,
                   work.source.height / f};
    return work;
}

SlotSizes preview_slot_sizes(const SlotSizes& stored, bool ajust, float preview_scale,
                             std::int32_t factor) {
    return supersampled_slot_sizes(stored, ajust, static_cast<float>(factor), preview_scale);
}

std::int32_t preview_shadow_distance(std::int32_t scaled_thick, std::int32_t factor) {
    return std::max(scaled_thick, factor);
}

PreviewPoint preview_shadow_centre(const PreviewWork& work, std::int32_t shadow_distance) {
    return {work.centre.x + shadow_distance, work.centre.y + shadow_distance};
}

}  // namespace markomi
