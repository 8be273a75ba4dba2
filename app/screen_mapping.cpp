#include "app/screen_mapping.h"

namespace markomi {

namespace {

// One axis: clamp into [origin, origin + extent − 1], then the smallest
// absolute value whose truncated inverse is that pixel. 64-bit, because
// offset × 65536 passes 2^32 beyond 65535 pixels.
std::uint32_t absolute_axis(std::int32_t value, std::int32_t origin, std::int32_t extent) {
    if (extent <= 0) return 0;
    std::int64_t offset = static_cast<std::int64_t>(value) - origin;
    if (offset < 0) offset = 0;
    if (offset > extent - 1) offset = extent - 1;
    std::int64_t absolute = (offset * 65536 + extent - 1) / extent;
    if (absolute > 65535) absolute = 65535;
    return static_cast<std::uint32_t>(absolute);
}

}  // namespace

AbsolutePoint absolute_mouse_point(std::int32_t x, std::int32_t y, ScreenArea desktop) {
    return AbsolutePoint{absolute_axis(x, desktop.left, desktop.width),
                         absolute_axis(y, desktop.top, desktop.height)};
}

BannerLayout banner_layout(ScreenArea area, std::int32_t text_width, std::int32_t text_height,
                           std::int32_t a, std::int32_t l) {
    BannerLayout b;
    b.text_x = area.left + (area.width - text_width) / 2;
    b.text_y = area.top + (area.height - l) / 2;
    b.left = b.text_x - 2 * a;
    b.top = b.text_y - l;
    b.right = b.text_x + text_width + 2 * a;
    b.bottom = b.text_y + text_height + l;
    return b;
}

}  // namespace markomi
