#include "render/stamp_geometry.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace markomi {

namespace {

std::int32_t clamp_extent(std::int32_t v, std::int32_t low) {
    if (v < low) return low;
    if (v > kMaxStampExtent) return kMaxStampExtent;
    return v;
}

std::int32_t clamp_coordinate(std::int32_t v) { return clamp_extent(v, -kMaxStampExtent); }
std::int32_t clamp_length(std::int32_t v) { return clamp_extent(v, 0); }

// Conversion toward zero of a value known to lie well inside 32 bits.
std::int32_t trunc_float(float v) { return static_cast<std::int32_t>(v); }

}  // namespace

std::int32_t saturate_to_int32(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::int32_t even_thickness(std::int32_t thick) {
    std::int32_t t = clamp_length(thick);
    return t % 2 == 1 ? t + 1 : t;
}

std::int32_t half_thickness(std::int32_t even_thick) {
    std::int32_t t = clamp_length(even_thick);
    return (t + 1) / 2;
}

std::int32_t chord_offset(std::int32_t radius) {
    double exact = static_cast<double>(clamp_length(radius)) * std::sin(kChordAngle);
    std::int32_t s = static_cast<std::int32_t>(exact);
    // Even, so that the chords sit symmetrically about a whole-pixel centre.
    return s % 2 == 1 ? s + 1 : s;
}

float chord_half_length(std::int32_t radius) {
    return static_cast<float>(static_cast<double>(clamp_length(radius)) * std::cos(kChordAngle));
}

std::int32_t band_top(std::int32_t cy, std::int32_t even_thick, std::int32_t chord_offset) {
    // Single precision on purpose: the band top is computed as a float sum.
    float below_chord = static_cast<float>(clamp_coordinate(chord_offset)) +
                        static_cast<float>(clamp_coordinate(cy));
    return trunc_float(static_cast<float>(half_thickness(even_thick)) + below_chord);
}

std::int32_t band_height(std::int32_t radius, std::int32_t chord_offset) {
    return std::abs(clamp_length(radius) - clamp_coordinate(chord_offset));
}

StampGeometry stamp_geometry(std::int32_t cx, std::int32_t cy, std::int32_t radius,
                             std::int32_t thick) {
    StampGeometry g;
    g.cx = clamp_coordinate(cx);
    g.cy = clamp_coordinate(cy);
    g.radius = clamp_length(radius);
    g.thickness = even_thickness(thick);
    g.chord_offset = chord_offset(g.radius);
    g.chord_half_length = chord_half_length(g.radius);
    g.band_top = band_top(g.cy, g.thickness, g.chord_offset);
    g.band_height = band_height(g.radius, g.chord_offset);
    g.usable_height = g.band_height - g.thickness;
    return g;
}

FrameGeometry frame_geometry(std::int32_t cx, std::int32_t cy, std::int32_t radius) {
    std::int32_t x = clamp_coordinate(cx);
    std::int32_t y = clamp_coordinate(cy);
    std::int32_t r = clamp_length(radius);
    float fx = static_cast<float>(x);
    float fy = static_cast<float>(y);
    float w = chord_half_length(r);
    float s = static_cast<float>(chord_offset(r));

    FrameGeometry f;
    f.upper_chord_from = {trunc_float(fx - w), trunc_float(fy - s)};
    f.upper_chord_to = {trunc_float(fx + w), trunc_float(fy - s)};
    f.lower_chord_from = {trunc_float(fx - w), trunc_float(fy + s)};
    f.lower_chord_to = {trunc_float(fx + w), trunc_float(fy + s)};
    f.ring_left = x - r;
    f.ring_top = y - r;
    f.ring_size = 2 * r;
    return f;
}

namespace {

LineBox box_from(std::int64_t left, std::int64_t top, const LineRecord& line) {
    LineBox b;
    b.left = saturate_to_int32(left);
    b.top = saturate_to_int32(top);
    b.right = saturate_to_int32(left + line.width);
    b.bottom = saturate_to_int32(top + line.height);
    return b;
}

}  // namespace

LineBox line_fit_box(const LineRecord& line) {
    std::int64_t left = std::int64_t{line.x} - line.left_margin - line.width / 2;
    std::int64_t top = std::int64_t{line.y} - line.height / 2;
    return box_from(left, top, line);
}

LineBox line_draw_box(const LineRecord& line) {
    std::int64_t left = std::int64_t{line.x} - line.left_margin - line.width / 2;
    std::int64_t top = std::int64_t{line.y} - line.top_margin - line.height / 2;
    return box_from(left, top, line);
}

}  // namespace markomi
