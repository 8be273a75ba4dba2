#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/stamp_geometry.h"

namespace markomi {
namespace {

TEST(StampGeometry, ThicknessIsRaisedToEven) {
    EXPECT_EQ(even_thickness(1), 2);
    EXPECT_EQ(even_thickness(2), 2);
    EXPECT_EQ(even_thickness(3), 4);
    EXPECT_EQ(even_thickness(9), 10);
    EXPECT_EQ(even_thickness(10), 10);
    EXPECT_EQ(even_thickness(0), 0);
    EXPECT_EQ(even_thickness(-3), 0);  // below the range: no clearance rather than a negative one
    EXPECT_EQ(even_thickness(std::numeric_limits<std::int32_t>::max()), kMaxStampExtent);
    EXPECT_EQ(half_thickness(2), 1);
    EXPECT_EQ(half_thickness(4), 2);
}

TEST(StampGeometry, ChordOffsetIsTruncatedThenMadeEven) {
    EXPECT_EQ(chord_offset(20), 4);   // 4.97 truncates to 4
    EXPECT_EQ(chord_offset(21), 6);   // 5.22 -> 5 -> 6
    EXPECT_EQ(chord_offset(35), 8);   // 8.70 -> 8
    EXPECT_EQ(chord_offset(36), 8);   // 8.95 -> 8, not rounded to 9 and raised
    EXPECT_EQ(chord_offset(37), 10);  // 9.20 -> 9 -> 10
    EXPECT_EQ(chord_offset(40), 10);  // 9.95 -> 9 -> 10
    EXPECT_EQ(chord_offset(80), 20);  // 19.9 -> 19 -> 20
    EXPECT_EQ(chord_offset(0), 0);
}

TEST(StampGeometry, ChordHalfLengthIsSinglePrecisionUnrounded) {
    EXPECT_EQ(chord_half_length(35), 33.90041f);
    EXPECT_NEAR(chord_half_length(35), 33.90, 0.005);
    EXPECT_EQ(chord_half_length(20), 19.371664f);
    EXPECT_EQ(chord_half_length(80), 77.486656f);
}

TEST(StampGeometry, DefaultFrameBands) {
    const StampGeometry g = stamp_geometry(115, 106, 35, 1);
    EXPECT_EQ(g.cx, 115);
    EXPECT_EQ(g.cy, 106);
    EXPECT_EQ(g.thickness, 2);
    EXPECT_EQ(g.chord_offset, 8);
    EXPECT_EQ(g.band_top, 106 + 9);  // below the chord and half the ring's thickness
    EXPECT_EQ(g.band_height, 27);
    EXPECT_EQ(g.usable_height, 25);
}

TEST(StampGeometry, ThickThreeLaysOutAsFour) {
    const StampGeometry g = stamp_geometry(115, 106, 35, 3);
    EXPECT_EQ(g.thickness, 4);
    EXPECT_EQ(g.band_top, 106 + 8 + 2);
    EXPECT_EQ(g.band_height, 27);
    EXPECT_EQ(g.usable_height, 23);
}

TEST(StampGeometry, SmallestAndLargestRadius) {
    const StampGeometry small = stamp_geometry(0, 0, 20, 1);
    EXPECT_EQ(small.chord_offset, 4);
    EXPECT_EQ(small.band_top, 5);
    EXPECT_EQ(small.band_height, 16);
    EXPECT_EQ(small.usable_height, 14);

    const StampGeometry large = stamp_geometry(0, -50, 80, 10);
    EXPECT_EQ(large.chord_offset, 20);
    EXPECT_EQ(large.band_top, -50 + 20 + 5);
    EXPECT_EQ(large.band_height, 60);
    EXPECT_EQ(large.usable_height, 50);
}

TEST(StampGeometry, HostileValuesAreClamped) {
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const StampGeometry g = stamp_geometry(max, min, max, max);
    EXPECT_EQ(g.cx, kMaxStampExtent);
    EXPECT_EQ(g.cy, -kMaxStampExtent);
    EXPECT_EQ(g.radius, kMaxStampExtent);
    EXPECT_EQ(g.thickness, kMaxStampExtent);
    EXPECT_EQ(g.usable_height, g.band_height - g.thickness);

    const StampGeometry none = stamp_geometry(0, 0, -5, -5);
    EXPECT_EQ(none.radius, 0);
    EXPECT_EQ(none.chord_offset, 0);
    EXPECT_EQ(none.usable_height, 0);
}

TEST(FrameGeometry, ChordsAndRingOfTheDefaultStamp) {
    const FrameGeometry f = frame_geometry(115, 106, 35);
    EXPECT_EQ(f.upper_chord_from.x, 81);   // trunc(115 - 33.90)
    EXPECT_EQ(f.upper_chord_from.y, 98);
    EXPECT_EQ(f.upper_chord_to.x, 148);    // trunc(115 + 33.90)
    EXPECT_EQ(f.upper_chord_to.y, 98);
    EXPECT_EQ(f.lower_chord_from.x, 81);
    EXPECT_EQ(f.lower_chord_from.y, 114);
    EXPECT_EQ(f.lower_chord_to.x, 148);
    EXPECT_EQ(f.lower_chord_to.y, 114);
    EXPECT_EQ(f.ring_left, 80);
    EXPECT_EQ(f.ring_top, 71);
    EXPECT_EQ(f.ring_size, 70);
}

TEST(FrameGeometry, ChordEndsTruncateTowardZero) {
    // Left of the origin truncation rounds up, not down.
    const FrameGeometry f = frame_geometry(-100, -3, 35);
    EXPECT_EQ(f.upper_chord_from.x, -133);  // -133.90
    EXPECT_EQ(f.upper_chord_to.x, -66);     // -66.10
    EXPECT_EQ(f.upper_chord_from.y, -11);
    EXPECT_EQ(f.lower_chord_from.y, 5);
    EXPECT_EQ(f.ring_left, -135);
    EXPECT_EQ(f.ring_top, -38);

    const FrameGeometry big = frame_geometry(0, 0, 80);
    EXPECT_EQ(big.upper_chord_from.x, -77);
    EXPECT_EQ(big.lower_chord_to.x, 77);
    EXPECT_EQ(big.lower_chord_to.y, 20);
    EXPECT_EQ(big.ring_size, 160);
}

TEST(LineBoxes, FitBoxKeepsLeftMarginButNotTopMargin) {
    LineRecord line;
    line.x = 100;
    line.y = 50;
    line.width = 21;
    line.height = 13;
    line.left_margin = 3;
    line.top_margin = 5;
    line.right_margin = 7;
    line.bottom_margin = 9;
    const LineBox fit = line_fit_box(line);
    EXPECT_EQ(fit.left, 87);   // 100 - 3 - 10
    EXPECT_EQ(fit.top, 44);    // 50 - 6
    EXPECT_EQ(fit.right, 108);
    EXPECT_EQ(fit.bottom, 57);

    const LineBox draw = line_draw_box(line);
    EXPECT_EQ(draw.left, 87);
    EXPECT_EQ(draw.top, 39);   // 50 - 5 - 6
    EXPECT_EQ(draw.right, 108);
    EXPECT_EQ(draw.bottom, 52);
}

TEST(LineBoxes, ExtremeMeasurementsSaturate) {
    LineRecord line;
    line.x = std::numeric_limits<std::int32_t>::max();
    line.y = std::numeric_limits<std::int32_t>::min();
    line.width = std::numeric_limits<std::int32_t>::max();
    line.height = std::numeric_limits<std::int32_t>::max();
    line.left_margin = std::numeric_limits<std::int32_t>::min();
    line.top_margin = std::numeric_limits<std::int32_t>::max();
    const LineBox fit = line_fit_box(line);
    EXPECT_EQ(fit.left, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(fit.right, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(fit.top, std::numeric_limits<std::int32_t>::min());
    const LineBox draw = line_draw_box(line);
    EXPECT_EQ(draw.top, std::numeric_limits<std::int32_t>::min());
}

}  // namespace
}  // namespace markomi
