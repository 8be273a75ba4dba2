#include "render/ornament_geometry.h"

#include <cmath>
#include <cstdlib>

#include "render/diamond_fit.h"

namespace markomi {
namespace {

// The designs' angle constants are these decimals, not the library's pi;
// the difference decides a pixel where a point lands exactly on an axis
// (the diamond's left corner sits one row above cy because of it).
constexpr double kHalfPi = 1.57079632675;
constexpr double kPi = 3.1415926535;
constexpr double kTwoPi = 6.283185307;

// Insect: the antennae leave the ring at about 105.88 degrees; the legs
// span a quarter turn (1.5707964 in single precision) starting 40.5 degrees
// above the horizontal.
constexpr double kAntennaAngle = 1.8479956785294118;
constexpr float kLegSpan = 1.5707964f;
constexpr double kLegFirstAngle = 0.706858366727829;

// Animal: the ears touch the ring 50 degrees above the horizontal.
constexpr double kEarAngle = 0.8726646259722223;

constexpr float kHalfTurnDegrees = 180.0f;

// Conversion toward zero, as every rule of the designs truncates.
std::int32_t trunc_of(double v) {
    return static_cast<std::int32_t>(v);
}
std::int32_t trunc_of(float v) {
    return static_cast<std::int32_t>(v);
}

ArcShape upper_half_arc(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    return ArcShape{x, y, width, height, kHalfTurnDegrees, kHalfTurnDegrees};
}

}  // namespace

int ornament_count(int bunkatu) {
    if (bunkatu < kMinOrnamentCount) return kMinOrnamentCount;
    if (bunkatu > kMaxOrnamentCount) return kMaxOrnamentCount;
    return bunkatu;
}

Ornament flower_petals(int cx, int cy, int r, int n) {
    n = ornament_count(n);
    // The start angle steps by the integer 360 / n while the petals sit
    // 360 / n degrees apart exactly, so for n = 7 the later petals turn a
    // little against their place on the ring; kept on purpose, it is how
    // this design's petals look.
    const double step = static_cast<double>(360 / n);
    const double petal_radius = std::sin(kPi / n) * r;
    const double phase = kPi / n + kHalfPi;

    Ornament shapes;
    shapes.reserve(static_cast<std::size_t>(n));
    double start = kHalfTurnDegrees - step;
    for (int k = 0; k < n; ++k) {
        start += step;
        if (start >= 360.0) start -= 360.0;  // the same arc, kept within one turn
        const double a = (kTwoPi / n) * k - phase;
        const double b = (kTwoPi / n) * (k + 1) - phase;
        // The midpoint of the chord between the petal's two ends on the ring.
        const double mx = (r * std::cos(a) - r * std::cos(b)) * 0.5 + r * std::cos(b);
        const double my = (r * std::sin(b) - r * std::sin(a)) * 0.5 + r * std::sin(a);
        const std::int32_t left = trunc_of(mx - petal_radius + cx);
        const std::int32_t right = trunc_of(mx + petal_radius + cx);
        const std::int32_t top = trunc_of(my - petal_radius + cy);
        const std::int32_t bottom = trunc_of(my + petal_radius + cy);
        shapes.push_back(ArcShape{left, top, std::abs(left - right), std::abs(top - bottom),
                                  static_cast<float>(start), kHalfTurnDegrees});
    }
    return shapes;
}

std::vector<StampPoint> star_points(int cx, int cy, int r, int n) {
    n = ornament_count(n);
    const double tip_radius = r * std::cos(kPi / n) + r * std::sin(kPi / n);
    const double phase = kPi / n + kHalfPi;

    std::vector<StampPoint> points;
    points.reserve(static_cast<std::size_t>(2 * n));
    for (int k = 0; k < n; ++k) {
        const double a = (kTwoPi / n) * k - phase;
        points.push_back(
            StampPoint{trunc_of(r * std::cos(a) + cx), trunc_of(r * std::sin(a) + cy)});
        const double b = kPi / n + (kTwoPi / n) * k - phase;
        points.push_back(StampPoint{trunc_of(tip_radius * std::cos(b) + cx),
                                    trunc_of(tip_radius * std::sin(b) + cy)});
    }
    return points;
}

Ornament star_outline(int cx, int cy, int r, int n) {
    Ornament shapes;
    shapes.push_back(PolygonShape{star_points(cx, cy, r, n)});
    return shapes;
}

Ornament insect_limbs(int cx, int cy, int r, int n) {
    n = ornament_count(n);
    // q is an integer third of the radius, but halves of it are taken in
    // single precision (11 gives 5.5).
    const float q = static_cast<float>(r / 3);
    const float half_q = q / 2.0f;
    const float centre_x = static_cast<float>(cx);
    const std::int32_t limb_size = trunc_of(q);

    Ornament shapes;
    shapes.reserve(static_cast<std::size_t>(2 + 2 * n));

    // The products are formed in double and kept in single precision.
    const float w = static_cast<float>(-std::cos(kAntennaAngle) * r);
    const float v = static_cast<float>(cy - std::sin(kAntennaAngle) * r);
    const std::int32_t antenna_top = trunc_of(v - half_q);
    const std::int32_t antenna_width = trunc_of(2.0f * q);
    shapes.push_back(upper_half_arc(trunc_of(centre_x + w), antenna_top, antenna_width, limb_size));
    shapes.push_back(
        upper_half_arc(trunc_of(centre_x - (w + 2.0f * q)), antenna_top, antenna_width, limb_size));

    for (int k = 1; k <= n; ++k) {
        const float turned = (kLegSpan / static_cast<float>(n)) * static_cast<float>(k);
        const double beta = static_cast<double>(turned) - kLegFirstAngle;
        const float c = static_cast<float>(std::cos(beta) * r);
        const float e = static_cast<float>(cy + std::sin(beta) * r);
        const std::int32_t top = trunc_of(e - half_q);
        shapes.push_back(upper_half_arc(trunc_of(centre_x + c), top, limb_size, limb_size));
        shapes.push_back(upper_half_arc(trunc_of(centre_x - (c + q)), top, limb_size, limb_size));
    }
    return shapes;
}

Ornament typhoon_rays(int cx, int cy, int r, int n) {
    n = ornament_count(n);
    const double tip_radius = r * std::cos(kPi / n) + r * std::sin(kPi / n);
    const double phase = kPi / n + kHalfPi;

    Ornament shapes;
    shapes.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const double a = (kTwoPi / n) * k - phase;
        const double b = a + kPi / n;
        const StampPoint from{trunc_of(cx + r * std::cos(a)), trunc_of(cy + r * std::sin(a))};
        const StampPoint to{trunc_of(cx + tip_radius * std::cos(b)),
                            trunc_of(cy + tip_radius * std::sin(b))};
        shapes.push_back(LineShape{from, to});
    }
    return shapes;
}

Ornament animal_ears(int cx, int cy, int r, int n) {
    n = ornament_count(n);
    const double radius = static_cast<double>((r * n) / 15) * 0.5;
    const double distance = r + radius;
    const double ex = std::cos(kEarAngle) * distance;
    const double x = ex + cx;
    const double y = cy - std::sin(kEarAngle) * distance;
    // The box reaches one pixel beyond the ear's radius on every side.
    const double reach = radius + 1;

    const std::int32_t left = trunc_of(x - reach);
    const std::int32_t top = trunc_of(y - reach);
    const std::int32_t width = std::abs(trunc_of(x + reach) - left);
    const std::int32_t height = std::abs(trunc_of(y + reach) - top);
    // The left ear mirrors the right one's centre, moved right by one pixel.
    const std::int32_t mirrored_left = trunc_of(1.0 - ex + cx - reach);

    Ornament shapes;
    shapes.push_back(EllipseShape{left, top, width, height});
    shapes.push_back(EllipseShape{mirrored_left, top, width, height});
    return shapes;
}

std::vector<StampPoint> diamond_corners(int cx, int cy, int r, int n) {
    n = ornament_count(n);
    std::vector<StampPoint> corners;
    corners.reserve(static_cast<std::size_t>(n + 1));
    for (int k = 0; k < n; ++k) {
        const double angle = kTwoPi * k / n + kHalfPi;
        corners.push_back(
            StampPoint{trunc_of(std::cos(angle) * r + cx), trunc_of(cy - std::sin(angle) * r)});
    }
    corners.push_back(corners.front());
    return corners;
}

LineShape diamond_chord(const std::vector<StampPoint>& corners, int cx, int y) {
    StampPoint left{cx, y};
    StampPoint right{cx, y};
    for (std::size_t k = 0; k + 1 < corners.size(); ++k) {
        const StampPoint& p = corners[k];
        const StampPoint& next = corners[k + 1];
        if (y == p.y) {
            if (cx >= p.x) {
                left.x = p.x;
            } else {
                right.x = p.x;
            }
        } else if (p.y < y && y < next.y) {
            // The corners run counter-clockwise, so an edge that runs down is
            // on the left side and one that runs up on the right. The side
            // is taken from the edge, not from where its first corner lies:
            // the bottom corner of an even polygon lands one pixel left of
            // cx through the angle constants, and judging the edge leaving
            // it by that corner would lose the square's lower right end.
            left.x = diamond_edge_x(p, next, y);
        } else if (next.y < y && y < p.y) {
            right.x = diamond_edge_x(p, next, y);
        }
    }
    return LineShape{right, left};
}

Ornament diamond_frame(int cx, int cy, int r, int n) {
    const std::vector<StampPoint> corners = diamond_corners(cx, cy, r, n);
    // The chord heights go through single precision like the circle's chords.
    const float centre_y = static_cast<float>(cy);
    const float offset = static_cast<float>(chord_offset(r));
    const int upper_y = trunc_of(centre_y - offset);
    const int lower_y = trunc_of(offset + centre_y);

    Ornament shapes;
    shapes.push_back(diamond_chord(corners, cx, upper_y));
    shapes.push_back(diamond_chord(corners, cx, lower_y));
    shapes.push_back(PolygonShape{std::vector<StampPoint>(corners.begin(), corners.end() - 1)});
    return shapes;
}

Ornament slot_ornament(int slot_number, int cx, int cy, const FrameSpec& frame) {
    const int r = frame.hankei;
    const int n = frame.bunkatu;
    switch (slot_number) {
        case 2:
            return flower_petals(cx, cy, r, n);
        case 3:
            return star_outline(cx, cy, r, n);
        case 4:
            return insect_limbs(cx, cy, r, n);
        case 5:
            return typhoon_rays(cx, cy, r, n);
        case 6:
            return diamond_frame(cx, cy, r, n);
        case 7:
            return animal_ears(cx, cy, r, n);
        default:
            return {};
    }
}

}  // namespace markomi
