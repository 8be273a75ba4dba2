#pragma once
// The ornaments of the decoration designs as plain shapes in drawing order:
// flower petals, the star outline, the insect's antennae and legs, the
// typhoon's rays, the animal's ears and the diamond's frame. The drawing
// glue strokes each shape with the frame pen; nothing here draws.
//
// Angles follow the screen: y grows downwards, a point at angle a lies at
// (cx + R cos a, cy + R sin a), and arc angles are degrees clockwise from the
// positive x axis. Every coordinate is truncated toward zero exactly where
// the design's rule truncates, in the precision the rule names: a point near
// a pixel boundary moves by one pixel with the precision, and the golden
// images pin these pixels.
#include <cstdint>
#include <variant>
#include <vector>

#include "render/stamp_geometry.h"
#include "settings/settings_record.h"

namespace markomi {

// The part of the ellipse inscribed in the box from `start` through `sweep`
// degrees.
struct ArcShape {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    float start = 0.0f;
    float sweep = 0.0f;
};

struct LineShape {
    StampPoint from;
    StampPoint to;
};

// A closed outline: the last point joins the first when drawn.
struct PolygonShape {
    std::vector<StampPoint> points;
};

// The outline of the ellipse inscribed in the box.
struct EllipseShape {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

using OrnamentShape = std::variant<ArcShape, LineShape, PolygonShape, EllipseShape>;
using Ornament = std::vector<OrnamentShape>;

// The count of petals, points, leg pairs, rays and corners (`WAKUn_BUNKATU`),
// and the animal's ear size. Loading keeps it in 3..20; the shapes take any
// value held in the record into that range, so a hand-made record can
// neither divide by zero nor ask for millions of points.
constexpr int kMinOrnamentCount = 3;
constexpr int kMaxOrnamentCount = 20;
int ornament_count(int bunkatu);

// Flower: n semicircular petals standing on the ring, the first centred at
// the top, the others clockwise. Petal k starts at 180 + k * (360 / n)
// degrees with the integer step 360 / n (kept within 0..360), sweep 180.
Ornament flower_petals(int cx, int cy, int r, int n);

// Star: the 2n points alternating between the ring (even indices) and the
// tips at r (cos(pi/n) + sin(pi/n)) (odd indices); the first tip points up.
std::vector<StampPoint> star_points(int cx, int cy, int r, int n);
// The star as one closed polygon of those points.
Ornament star_outline(int cx, int cy, int r, int n);

// Insect: the right and left antennae, then for k = 1..n the right and left
// leg, each the upper half (start 180, sweep 180) of its box's ellipse.
Ornament insect_limbs(int cx, int cy, int r, int n);

// Typhoon: n rays, each from the ring to the tip of the star edge that
// leaves that point, so they lean like a whirl.
Ornament typhoon_rays(int cx, int cy, int r, int n);

// Animal: the right and then the left ear circle, touching the ring 50
// degrees above the horizontal; n sets their size.
Ornament animal_ears(int cx, int cy, int r, int n);

// Diamond: the n corners of the regular polygon, the top one first and the
// rest counter-clockwise on the screen, followed by the first corner again
// (n + 1 points) so that every edge k runs from point k to point k + 1.
std::vector<StampPoint> diamond_corners(int cx, int cy, int r, int n);

// The chord at height y across the polygon of `corners` (as returned by
// diamond_corners), drawn from its right end to its left end. An edge
// running down (the left side) that crosses y sets the left end, one running
// up sets the right end, both at diamond_edge_x (diamond_fit.h); a corner
// exactly at y sets the left end when it lies at or left of cx, else the
// right end. A later match overrides an earlier one. An end nothing reaches
// stays at cx.
LineShape diamond_chord(const std::vector<StampPoint>& corners, int cx, int y);

// The diamond's whole frame, which replaces the ring and the circle's
// chords: the upper chord at cy - s, the lower chord at cy + s (s the chord
// offset of the radius), then the closed polygon of the n corners.
Ornament diamond_frame(int cx, int cy, int r, int n);

// The ornament of slot 1..7 drawn over the rows and the frame with the frame
// pen: nothing for the normal slot 1 and for numbers outside 1..7; for the
// diamond slot 6 its frame (the glue draws no ring or circle chords there).
Ornament slot_ornament(int slot_number, int cx, int cy, const FrameSpec& frame);

}  // namespace markomi
