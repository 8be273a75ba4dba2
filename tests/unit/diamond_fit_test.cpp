#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "dates/era_table.h"
#include "fake_measurer.h"
#include "render/diamond_fit.h"

namespace markomi {
namespace {

using testing::Box;
using testing::FakeMeasurer;
using testing::ZeroMeasurer;
using testing::font_of_size;

constexpr StampPoint kCentre{115, 106};
const StampGeometry kDefault = stamp_geometry(115, 106, 35, 1);  // T 2, s 8

SlotSettings diamond_slot(std::int32_t radius, std::int32_t corners) {
    SlotSettings slot;
    slot.frame.hankei = radius;
    slot.frame.thick = 1;
    slot.frame.bunkatu = corners;
    return slot;
}

TEST(DiamondEdge, XAtHeightTruncatesTowardZero) {
    EXPECT_EQ(diamond_edge_x({0, 0}, {10, 20}, 5), 2);      // 2.5
    EXPECT_EQ(diamond_edge_x({10, 0}, {0, 20}, 5), 7);      // 7.5
    EXPECT_EQ(diamond_edge_x({-10, 0}, {0, 20}, 5), -7);    // -7.5, not -8
    EXPECT_EQ(diamond_edge_x({150, 106}, {115, 141}, 138), 118);
    EXPECT_EQ(diamond_edge_x({40, 3}, {40, 90}, 50), 40);   // vertical
    EXPECT_EQ(diamond_edge_x({10, 5}, {20, 5}, 5), 10);     // horizontal: its start
}

TEST(DiamondCorners, SquareStandsOnACorner) {
    const StampPoint expected[] = {{115, 71}, {150, 106}, {115, 141}, {80, 106}};
    for (int i = 0; i < 4; ++i) {
        const StampPoint p = diamond_fit_corner(115, 106, 35, 4, i);
        EXPECT_EQ(p.x, expected[i].x) << i;
        EXPECT_EQ(p.y, expected[i].y) << i;
    }
}

TEST(DiamondCorners, RoundingOfTheShortenedAngles) {
    // The triangle's lower corners of r = 20 come out one row apart.
    const StampPoint right = diamond_fit_corner(115, 106, 20, 3, 1);
    const StampPoint left = diamond_fit_corner(115, 106, 20, 3, 2);
    EXPECT_EQ(right.x, 132);
    EXPECT_EQ(right.y, 115);
    EXPECT_EQ(left.x, 97);
    EXPECT_EQ(left.y, 116);
    const StampPoint low_right = diamond_fit_corner(115, 106, 35, 3, 1);
    EXPECT_EQ(low_right.x, 145);
    EXPECT_EQ(low_right.y, 123);
}

TEST(DiamondWidth, SquareWidths) {
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 4, 106), 70);
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 4, 114), 54);
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 4, 98), 54);
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 4, 138), 6);
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 4, 71), 0);   // the top corner
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 4, 141), 0);  // the bottom corner
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 4, 70), 0);   // above the polygon
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 4, 142), 0);  // below it
}

TEST(DiamondWidth, OtherCornerCounts) {
    struct Case {
        std::int32_t corners, at_centre, lower_chord, upper_chord;
    };
    for (const Case& c : {Case{3, 40, 48, 30}, Case{5, 58, 52, 64}, Case{9, 64, 62, 66}, Case{20, 70, 66, 66}}) {
        EXPECT_EQ(diamond_polygon_width(115, 106, 35, c.corners, 106), c.at_centre) << c.corners;
        EXPECT_EQ(diamond_polygon_width(115, 106, 35, c.corners, 114), c.lower_chord) << c.corners;
        EXPECT_EQ(diamond_polygon_width(115, 106, 35, c.corners, 98), c.upper_chord) << c.corners;
    }
    // The triangle's bottom side is the last row inside.
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 3, 123), 60);
    EXPECT_EQ(diamond_polygon_width(115, 106, 35, 3, 124), 0);
}

TEST(DiamondWidth, CornerCountsOutsideTheRange) {
    for (std::int32_t y : {80, 106, 120}) {
        EXPECT_EQ(diamond_polygon_width(115, 106, 35, 0, y), diamond_polygon_width(115, 106, 35, 3, y));
        EXPECT_EQ(diamond_polygon_width(115, 106, 35, -7, y), diamond_polygon_width(115, 106, 35, 3, y));
        EXPECT_EQ(diamond_polygon_width(115, 106, 35, 100000, y), diamond_polygon_width(115, 106, 35, 20, y));
    }
}

TEST(DiamondBand, EvenCornersReachTheRadius) {
    EXPECT_EQ(diamond_band_extent(35, 8, 4, RowBand::kDepartment), 27.0f);
    EXPECT_EQ(diamond_band_extent(35, 8, 4, RowBand::kName), 27.0f);
    EXPECT_EQ(diamond_band_extent(35, 8, 20, RowBand::kName), 27.0f);
    EXPECT_EQ(diamond_band_extent(35, 8, 3, RowBand::kDepartment), 27.0f);
}

TEST(DiamondBand, OddCornersEndAtTheBottomSide) {
    // Depth r cos(pi / N), less s.
    for (std::int32_t n : {3, 5, 9, 19}) {
        const double depth = 35 * std::cos(3.141592653589793 / n);
        EXPECT_NEAR(diamond_band_extent(35, 8, n, RowBand::kName), depth - 8, 1e-4) << n;
    }
    EXPECT_EQ(diamond_band_extent(35, 8, 3, RowBand::kName), 9.5f);
    EXPECT_EQ(diamond_band_extent(80, 20, 3, RowBand::kName), 20.0f);
}

TEST(DiamondPoint, LowerLimitAndWidth) {
    // Square, name row: dy up to 8 + 1 + 27 - 2 - 2 = 32; at dy 32 the width is 6, so |dx| <= 2.
    EXPECT_TRUE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kName, 2, 32));
    EXPECT_TRUE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kName, -2, 32));
    EXPECT_FALSE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kName, 3, 32));
    EXPECT_FALSE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kName, 0, 33));
    // One character: 4 pixels less.
    EXPECT_TRUE(diamond_point_inside(kDefault, 4, 27.0f, true, RowBand::kName, 0, 28));
    EXPECT_FALSE(diamond_point_inside(kDefault, 4, 27.0f, true, RowBand::kName, 0, 29));
    // The triangle's lower band: 8 + 1 + 9.5 - 4 = 14.5.
    EXPECT_TRUE(diamond_point_inside(kDefault, 3, 9.5f, false, RowBand::kName, 0, 14));
    EXPECT_FALSE(diamond_point_inside(kDefault, 3, 9.5f, false, RowBand::kName, 0, 15));
}

TEST(DiamondPoint, DepartmentLooksUpwards) {
    EXPECT_TRUE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kDepartment, 2, -32));
    EXPECT_FALSE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kDepartment, 3, -32));
    EXPECT_TRUE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kDepartment, 1, -33));
    EXPECT_FALSE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kDepartment, 0, -40));
    // The lower limit applies to the signed offset, in either row.
    EXPECT_FALSE(diamond_point_inside(kDefault, 4, 27.0f, false, RowBand::kDepartment, 0, 33));
}

TEST(DiamondRowFits, SquareAndTriangle) {
    FakeMeasurer m;
    EXPECT_TRUE(diamond_row_fits(kDefault, 4, font_of_size(10), u"印田", RowBand::kName, m));
    EXPECT_FALSE(diamond_row_fits(kDefault, 4, font_of_size(11), u"印田", RowBand::kName, m));
    // The triangle's narrow lower band takes much less than its upper one.
    EXPECT_TRUE(diamond_row_fits(kDefault, 3, font_of_size(4), u"印田", RowBand::kName, m));
    EXPECT_FALSE(diamond_row_fits(kDefault, 3, font_of_size(5), u"印田", RowBand::kName, m));
    EXPECT_TRUE(diamond_row_fits(kDefault, 3, font_of_size(7), u"印田", RowBand::kDepartment, m));
    EXPECT_FALSE(diamond_row_fits(kDefault, 3, font_of_size(8), u"印田", RowBand::kDepartment, m));
    EXPECT_TRUE(diamond_row_fits(kDefault, 4, font_of_size(10000), u"", RowBand::kName, m));
}

TEST(DiamondRowFits, TestsTheDrawingBox) {
    // The triangle's lower band: A = 9 - 2 = 7, a 2 x 6 line is centred on
    // 115 + 0 + 3 = 118. Its drawing box is raised by the top margin: at 0 it
    // ends at dy 15 (past the limit 14.5), at 1 it spans dy 8..14, at 2 it
    // starts within s of the centre.
    class MarginMeasurer : public TextMeasurer {
    public:
        std::int32_t top_margin = 0;
        void measure_line(const FontDescription&, LineRecord& line) override {
            line.width = 2;
            line.height = 6;
            line.top_margin = top_margin;
            line.left_margin = line.right_margin = line.bottom_margin = 0;
        }
    } margins;
    EXPECT_FALSE(diamond_row_fits(kDefault, 3, font_of_size(1), u"ab", RowBand::kName, margins));
    margins.top_margin = 1;
    EXPECT_TRUE(diamond_row_fits(kDefault, 3, font_of_size(1), u"ab", RowBand::kName, margins));
    margins.top_margin = 2;
    EXPECT_FALSE(diamond_row_fits(kDefault, 3, font_of_size(1), u"ab", RowBand::kName, margins));
}

TEST(DiamondDateFits, MarginDependsOnTheEraStyle) {
    FakeMeasurer m;
    // Square: both chords are 54 wide; height < 16 - 2 - 4 = 10.
    struct Case {
        std::int32_t era, widest;
    };
    for (const Case& c : {Case{4, 44}, Case{1, 45}, Case{2, 37}, Case{3, 37}, Case{5, 37}}) {
        m.table[u"D"] = {c.widest, 9};
        EXPECT_TRUE(diamond_date_fits(kDefault, 4, c.era, font_of_size(1), u"D", m)) << c.era;
        m.table[u"D"] = {c.widest + 1, 9};
        EXPECT_FALSE(diamond_date_fits(kDefault, 4, c.era, font_of_size(1), u"D", m)) << c.era;
    }
    m.table[u"D"] = {10, 10};
    EXPECT_FALSE(diamond_date_fits(kDefault, 4, 4, font_of_size(1), u"D", m));
    // The triangle's narrower upper chord (30) decides: 30 - 2 - 14 = 14.
    m.table[u"D"] = {13, 5};
    EXPECT_TRUE(diamond_date_fits(kDefault, 3, 5, font_of_size(1), u"D", m));
    m.table[u"D"] = {14, 5};
    EXPECT_FALSE(diamond_date_fits(kDefault, 3, 5, font_of_size(1), u"D", m));
}

TEST(DiamondAutoFit, RowsAtSeveralSizesAndCorners) {
    FakeMeasurer m;
    struct Case {
        std::int32_t radius, corners, name, department, two_lines, single, breaks, name_above, three;
    };
    for (const Case& c : {Case{20, 3, 1, 2, 1, 1, 1, 3, 1}, Case{20, 4, 6, 5, 3, 6, 19, 6, 2},
                          Case{35, 3, 4, 5, 3, 1, 34, 7, 1}, Case{35, 4, 10, 8, 4, 14, 34, 11, 6},
                          Case{35, 9, 16, 14, 7, 14, 34, 17, 5}, Case{80, 3, 15, 12, 7, 10, 79, 17, 4},
                          Case{80, 4, 25, 19, 11, 34, 79, 25, 13}, Case{80, 9, 38, 33, 19, 45, 79, 39, 15}}) {
        SlotSettings slot = diamond_slot(c.radius, c.corners);
        const std::string at = std::to_string(c.radius) + "/" + std::to_string(c.corners);
        EXPECT_EQ(diamond_auto_fit_row(slot, u"印田", RowBand::kName, kCentre, m), c.name) << at;
        EXPECT_EQ(slot.name.height, -c.name);
        EXPECT_EQ(diamond_auto_fit_row(slot, u"技術部", RowBand::kDepartment, kCentre, m), c.department) << at;
        EXPECT_EQ(slot.busho.height, -c.department);
        EXPECT_EQ(diamond_auto_fit_row(slot, u"営業部//第一課", RowBand::kDepartment, kCentre, m), c.two_lines) << at;
        EXPECT_EQ(diamond_auto_fit_row(slot, u"印", RowBand::kName, kCentre, m), c.single) << at;
        EXPECT_EQ(diamond_auto_fit_row(slot, u"//", RowBand::kName, kCentre, m), c.breaks) << at;
        EXPECT_EQ(diamond_auto_fit_row(slot, u"印田", RowBand::kDepartment, kCentre, m), c.name_above) << at;
        EXPECT_EQ(diamond_auto_fit_row(slot, u"a//b//c", RowBand::kName, kCentre, m), c.three) << at;
    }
}

TEST(DiamondAutoFit, DateUsesTheSlotsEraStyle) {
    FakeMeasurer m;
    const EraTable eras = builtin_era_table();
    StampDate date;
    date.year = 2025;
    date.month = 5;
    date.day = 1;
    SlotSettings slot = diamond_slot(35, 4);
    slot.date_format.era = 4;  // "2025/05/01": 10 z < 54 - 2 - 7
    EXPECT_EQ(diamond_auto_fit_date(slot, date, eras, kCentre, m), 4);
    EXPECT_EQ(slot.date.height, -4);
    slot.date_format.era = 1;  // "令和7/05/01": 9 z < 54 - 2 - 6
    EXPECT_EQ(diamond_auto_fit_date(slot, date, eras, kCentre, m), 5);
    slot.date_format.era = 5;  // "'25/05/01": 9 z < 54 - 2 - 14
    EXPECT_EQ(diamond_auto_fit_date(slot, date, eras, kCentre, m), 4);
    ZeroMeasurer zero;
    EXPECT_EQ(diamond_auto_fit_date(slot, date, eras, kCentre, zero), 16);
}

TEST(DiamondAutoFit, HostileInputs) {
    FakeMeasurer m;
    SlotSettings slot = diamond_slot(35, 4);
    slot.name.height = 10000;
    EXPECT_EQ(diamond_auto_fit_row(slot, std::u16string(520, u'x'), RowBand::kName, kCentre, m), 1);
    EXPECT_EQ(slot.name.height, -1);
    slot.busho.height = -10000;
    EXPECT_EQ(diamond_auto_fit_row(slot, u"", RowBand::kDepartment, kCentre, m), 0);
    EXPECT_EQ(slot.busho.height, -10000);

    ZeroMeasurer zero;
    EXPECT_EQ(diamond_auto_fit_row(slot, u"印田", RowBand::kName, kCentre, zero), 34);

    SlotSettings wild = diamond_slot(35, 0);  // corner count outside the range: a triangle
    SlotSettings triangle = diamond_slot(35, 3);
    EXPECT_EQ(diamond_auto_fit_row(wild, u"印田", RowBand::kName, kCentre, m),
              diamond_auto_fit_row(triangle, u"印田", RowBand::kName, kCentre, m));
}

}  // namespace
}  // namespace markomi
