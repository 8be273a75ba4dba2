#pragma once
// Where the ring, the two division chords and the three row bands of a
// stamp lie for a given centre, radius and ring thickness. Every value is
// derived afresh from its inputs; the rounding steps (single precision,
// truncation, even numbers) are deliberate: they decide which font sizes fit.
#include <cstdint>

#include "render/line_record.h"

namespace markomi {

// The chords sit 14.4 degrees above and below the horizontal.
constexpr double kChordAngle = 0.25132742524147034;

// Radii, thicknesses and centre coordinates are clamped to this magnitude so
// that no sum of them overflows and every value is exact in single precision.
constexpr std::int32_t kMaxStampExtent = 1 << 20;

struct StampPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The ring thickness the layout keeps clear: `thick` raised to the next even
// number (1 -> 2, 2 -> 2, 3 -> 4). The ring itself is still drawn `thick` wide.
std::int32_t even_thickness(std::int32_t thick);

// Half of the even thickness, rounded up: the clearance on each side of the ring.
std::int32_t half_thickness(std::int32_t even_thick);

// s: how far the chords lie above and below the centre, an even number.
std::int32_t chord_offset(std::int32_t radius);

// w: half the length of a chord, in single precision and not rounded.
float chord_half_length(std::int32_t radius);

// y0: the first row below the lower chord and its half thickness.
std::int32_t band_top(std::int32_t cy, std::int32_t even_thick, std::int32_t chord_offset);

// H: the height of the band between a chord and the ring.
std::int32_t band_height(std::int32_t radius, std::int32_t chord_offset);

// Everything the row layout and the fit tests derive from one stamp frame.
struct StampGeometry {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    std::int32_t radius = 0;          // r
    std::int32_t thickness = 0;       // T, even
    std::int32_t chord_offset = 0;    // s
    float chord_half_length = 0.0f;   // w
    std::int32_t band_top = 0;        // y0
    std::int32_t band_height = 0;     // H
    std::int32_t usable_height = 0;   // A = H - T
};

// The geometry of a stamp centred on (cx, cy) with radius `radius` and ring
// thickness `thick` (the settings value, not yet made even).
StampGeometry stamp_geometry(std::int32_t cx, std::int32_t cy, std::int32_t radius,
                             std::int32_t thick);

// The frame every design draws: the upper chord, the lower chord (each from
// its left end to its right end), then the ring in its bounding box.
struct FrameGeometry {
    StampPoint upper_chord_from;
    StampPoint upper_chord_to;
    StampPoint lower_chord_from;
    StampPoint lower_chord_to;
    std::int32_t ring_left = 0;
    std::int32_t ring_top = 0;
    std::int32_t ring_size = 0;  // width and height of the ring's box, 2r
};

FrameGeometry frame_geometry(std::int32_t cx, std::int32_t cy, std::int32_t radius);

// A rectangle of a line: right = left + width, bottom = top + height.
struct LineBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The box the circle's fit test checks. Its left edge includes the left
// margin but its top does not include the top margin; that asymmetry is
// part of which sizes fit, so it is kept.
LineBox line_fit_box(const LineRecord& line);

// The box the text is drawn at: its top-left corner is the drawing origin
// that puts the ink box centred on (x, y). The diamond's fit test checks it.
LineBox line_draw_box(const LineRecord& line);

// Saturates a wide intermediate result to 32 bits.
std::int32_t saturate_to_int32(std::int64_t value);

}  // namespace markomi
