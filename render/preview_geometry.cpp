#include "render/preview_geometry.h"

namespace markomi {

namespace {

constexpr std::int32_t kFallbackBoxWidth = 115;
constexpr std::int32_t kFallbackBoxHeight = 105;

std::int32_t times(std::int32_t metric, double factor) {
    return static_cast<std::int32_t>(static_cast<double>(metric) * factor);
}

constexpr std::uint32_t channel(ColorRef c, int shift) { return (c >> shift) & 0xFFu; }

constexpr ColorRef colour_of(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

}  // namespace

std::int32_t next_even(std::int32_t n) { return n % 2 == 1 ? n + 1 : n; }

PreviewSize preview_box_size(const UiFontMetrics& metrics) {
    PreviewSize size;
    size.width = times(metrics.average_char_width, 19.2);
    if (size.width == 0) size.width = kFallbackBoxWidth;
    size.height = times(metrics.line_height, 7.5);
    if (size.height == 0) size.height = kFallbackBoxHeight;
    size.height = next_even(size.height);
    return size;
}

PreviewOrigin preview_box_origin(const UiFontMetrics& metrics) {
    PreviewOrigin origin;
    origin.x = times(metrics.average_char_width, 4.2);
    origin.y = next_even(times(metrics.line_height, 1.1));
    return origin;
}

PreviewRect preview_box_rect(const PreviewSize& size, const PreviewOrigin& origin) {
    return {origin.x, origin.y, 2 * size.width - origin.x, 2 * size.height - origin.y};
}

PreviewRect preview_frame_rect(const PreviewSize& size, const PreviewOrigin& origin) {
    const PreviewRect box = preview_box_rect(size, origin);
    return {box.left - 2, box.top - 2, box.right + 2, box.bottom + 2};
}

PreviewSize scratch_surface_size(const PreviewSize& box) {
    return {5 * box.width, 5 * box.height};
}

FramePenColours frame_pen_colours(ColorRef button_face) {
    const std::uint32_t r = channel(button_face, 0);
    const std::uint32_t g = channel(button_face, 8);
    const std::uint32_t b = channel(button_face, 16);
    // Dividing first drops the remainder before scaling: 192 gives 152, not 153.
    auto shadow = [](std::uint32_t c) { return (c / 5) * 4; };
    auto dark = [](std::uint32_t c) { return (c / 5) * 3; };
    auto light = [](std::uint32_t c) { return c + (255 - c) / 5; };
    FramePenColours pens;
    pens.shadow = colour_of(shadow(r), shadow(g), shadow(b));
    pens.dark_shadow = colour_of(dark(r), dark(g), dark(b));
    pens.light = colour_of(light(r), light(g), light(b));
    pens.highlight = colour_of(255, 255, 255);
    return pens;
}

std::array<FrameStep, 10> sunken_frame_steps(const PreviewRect& rc) {
    const std::int32_t l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    return {{
        {FramePen::kShadow, true, l, b},
        {FramePen::kShadow, false, l, t},
        {FramePen::kShadow, false, r, t},
        {FramePen::kHighlight, false, r, b},
        {FramePen::kHighlight, false, l, b},
        {FramePen::kDarkShadow, true, l + 1, b - 1},
        {FramePen::kDarkShadow, false, l + 1, t + 1},
        {FramePen::kDarkShadow, false, r - 1, t + 1},
        {FramePen::kLight, false, r - 1, b - 1},
        {FramePen::kLight, false, l + 1, b - 1},
    }};
}

float preview_scale(std::int32_t current_dpi) {
    return static_cast<float>(current_dpi) / 96.0f;
}

float metafile_scale(std::int32_t startup_dpi) {
    return static_cast<float>(startup_dpi) / 96.0f;
}

}  // namespace markomi
