#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "dates/era_table.h"
#include "fake_measurer.h"
#include "render/row_fit.h"

namespace markomi {
namespace {

using testing::Box;
using testing::FakeMeasurer;
using testing::ZeroMeasurer;
using testing::font_of_size;

constexpr StampPoint kCentre{115, 106};
const StampGeometry kDefault = stamp_geometry(115, 106, 35, 1);

SlotSettings slot_with(std::int32_t radius, std::int32_t thick) {
    SlotSettings slot;
    slot.frame.hankei = radius;
    slot.frame.thick = thick;
    return slot;
}

StampDate may_first_2025() {
    StampDate d;
    d.year = 2025;
    d.month = 5;
    d.day = 1;
    return d;
}

TEST(PointInRing, EdgesOfTheDefaultRing) {
    // Horizontally: r - ceil(T/2) - g.
    EXPECT_TRUE(point_in_ring(34, 0, 35, 2, 0));
    EXPECT_FALSE(point_in_ring(35, 0, 35, 2, 0));
    EXPECT_TRUE(point_in_ring(-28, 0, 35, 2, 6));
    EXPECT_FALSE(point_in_ring(-29, 0, 35, 2, 6));
    // Vertically: |dy| <= r - g - ceil(T/2).
    EXPECT_TRUE(point_in_ring(0, 34, 35, 2, 0));
    EXPECT_FALSE(point_in_ring(0, -35, 35, 2, 0));
    EXPECT_TRUE(point_in_ring(0, -28, 35, 2, 6));
    EXPECT_FALSE(point_in_ring(0, 29, 35, 2, 6));
    EXPECT_TRUE(point_in_ring(0, 33, 35, 4, 0));
    EXPECT_FALSE(point_in_ring(0, 34, 35, 4, 0));
    // Beyond the radius the arcsine has no value.
    EXPECT_FALSE(point_in_ring(0, 36, 35, 0, 0));
    EXPECT_FALSE(point_in_ring(0, -36, 35, 0, -10));
    // At dy = 34 the ring is sqrt(69) = 8.31 wide: 7 fits, 8 does not.
    EXPECT_TRUE(point_in_ring(7, 34, 35, 2, 0));
    EXPECT_FALSE(point_in_ring(8, 34, 35, 2, 0));
}

TEST(PointInRing, QuotientIsSinglePrecision) {
    // 21 / 35 = 0.6 is inexact in single precision: the reach comes out just
    // under 28 (it would be exactly 28 in double), so 27 is outside.
    EXPECT_FALSE(point_in_ring(27, 21, 35, 2, 0));
    EXPECT_FALSE(point_in_ring(-27, -21, 35, 2, 0));
    EXPECT_TRUE(point_in_ring(26, 21, 35, 2, 0));
    EXPECT_FALSE(point_in_ring(62, 48, 80, 4, 0));
    EXPECT_TRUE(point_in_ring(61, 48, 80, 4, 0));
}

TEST(PointInRing, DegenerateRadius) {
    EXPECT_FALSE(point_in_ring(0, 0, 0, 0, 0));
    EXPECT_FALSE(point_in_ring(0, 0, -5, 0, 0));
}

TEST(Clash, SharedBoundaryRowsClash) {
    EXPECT_TRUE(extents_clash({0, 10, 0, 20}, {0, 20, 0, 30}));
    EXPECT_TRUE(extents_clash({0, 20, 0, 30}, {0, 10, 0, 20}));
    EXPECT_FALSE(extents_clash({0, 10, 0, 20}, {0, 21, 0, 30}));
    EXPECT_FALSE(extents_clash({0, 21, 0, 30}, {0, 10, 0, 20}));
    EXPECT_TRUE(extents_clash({0, 10, 0, 30}, {0, 15, 0, 20}));  // one inside the other
    EXPECT_TRUE(extents_clash({0, 15, 0, 20}, {0, 10, 0, 30}));
    EXPECT_TRUE(extents_clash({0, 10, 0, 20}, {0, 10, 0, 20}));
    EXPECT_FALSE(extents_clash({0, 5, 0, 5}, {0, 5, 0, 5}));      // empty lines
    EXPECT_FALSE(extents_clash({0, 10, 0, 20}, {0, 10, 0, 10}));  // touches the open end only
}

TEST(RowFits, TwoLinesWithoutAGapClash) {
    FakeMeasurer m;
    // Heights 11 + 11 leave a gap of 1 between the lines; 12 + 12 leave none,
    // so the boxes share row cy + 22 and the row does not fit.
    m.table[u"a"] = {0, 11};
    m.table[u"b"] = {0, 11};
    EXPECT_TRUE(row_fits(kDefault, font_of_size(1), u"a//b", RowBand::kName, m));
    m.table[u"a"] = {0, 12};
    m.table[u"b"] = {0, 12};
    EXPECT_FALSE(row_fits(kDefault, font_of_size(1), u"a//b", RowBand::kName, m));
}

LineRecord line_at(std::int32_t y, std::int32_t width, std::int32_t height) {
    LineRecord line;
    line.x = 115;
    line.y = y;
    line.width = width;
    line.height = height;
    return line;
}

TEST(LinesFit, EveryLineClearsTheChords) {
    const PointInside anywhere = [](std::int64_t, std::int64_t) { return true; };
    // s = 8: a box may start 8 rows below the centre, not 7.
    EXPECT_TRUE(lines_fit({line_at(119, 4, 10)}, 115, 106, 8, line_fit_box, anywhere));
    EXPECT_FALSE(lines_fit({line_at(118, 4, 10)}, 115, 106, 8, line_fit_box, anywhere));
    EXPECT_TRUE(lines_fit({line_at(93, 4, 10)}, 115, 106, 8, line_fit_box, anywhere));
    EXPECT_FALSE(lines_fit({line_at(94, 4, 10)}, 115, 106, 8, line_fit_box, anywhere));
    // A box across the centre has both edges far enough but still straddles it.
    EXPECT_TRUE(lines_fit({line_at(106, 4, 20)}, 115, 106, 8, line_fit_box, anywhere));
}

TEST(LinesFit, AllFourCornersAreTested) {
    const LineRecord line = line_at(130, 10, 10);  // box (110, 125) - (120, 135)
    const std::pair<std::int64_t, std::int64_t> corners[] = {{-5, 19}, {-5, 29}, {5, 19}, {5, 29}};
    for (const auto& corner : corners) {
        const PointInside all_but = [corner](std::int64_t dx, std::int64_t dy) {
            return !(dx == corner.first && dy == corner.second);
        };
        EXPECT_FALSE(lines_fit({line}, 115, 106, 8, line_fit_box, all_but)) << corner.first << "," << corner.second;
    }
    const PointInside anywhere = [](std::int64_t, std::int64_t) { return true; };
    EXPECT_TRUE(lines_fit({line}, 115, 106, 8, line_fit_box, anywhere));
}

TEST(LinesFit, ConsecutiveLinesMustNotShareARow) {
    const PointInside anywhere = [](std::int64_t, std::int64_t) { return true; };
    // Boxes [120, 130] and [130, 140] share row 130; [131, 141] does not.
    EXPECT_FALSE(lines_fit({line_at(125, 0, 10), line_at(135, 0, 10)}, 115, 106, 8, line_fit_box, anywhere));
    EXPECT_TRUE(lines_fit({line_at(125, 0, 10), line_at(136, 0, 10)}, 115, 106, 8, line_fit_box, anywhere));
    // Only neighbours are compared.
    EXPECT_TRUE(lines_fit({line_at(125, 0, 10), line_at(150, 0, 10), line_at(126, 0, 0)}, 115, 106, 8,
                          line_fit_box, anywhere));
}

TEST(RowFits, WorkedSizesOfTheDefaultStamp) {
    FakeMeasurer m;
    EXPECT_TRUE(row_fits(kDefault, font_of_size(18), u"印田", RowBand::kName, m));
    EXPECT_FALSE(row_fits(kDefault, font_of_size(19), u"印田", RowBand::kName, m));
    EXPECT_TRUE(row_fits(kDefault, font_of_size(14), u"技術部", RowBand::kDepartment, m));
    EXPECT_FALSE(row_fits(kDefault, font_of_size(15), u"技術部", RowBand::kDepartment, m));
    EXPECT_TRUE(row_fits(kDefault, font_of_size(9), u"営業部//第一課", RowBand::kDepartment, m));
    EXPECT_FALSE(row_fits(kDefault, font_of_size(10), u"営業部//第一課", RowBand::kDepartment, m));
}

TEST(RowFits, SingleCharacterGetsTheExtraMargin) {
    FakeMeasurer m;
    // "xy" is measured like a single "x" would be, so only the margin differs.
    for (std::int32_t size : {17, 18, 21}) {
        m.table[u"xy"] = {size, size};
        const bool plain = row_fits(kDefault, font_of_size(1), u"xy", RowBand::kName, m);
        const bool single = row_fits(kDefault, font_of_size(size), u"x", RowBand::kName, m);
        EXPECT_TRUE(plain) << size;
        EXPECT_EQ(single, size <= 17) << size;
    }
    SlotSettings slot = slot_with(35, 1);
    EXPECT_EQ(auto_fit_row(slot, u"x", RowBand::kName, kCentre, m), 17);
    EXPECT_EQ(auto_fit_row(slot, u"印", RowBand::kName, kCentre, m), 17);
    // "//" is two empty lines, not one character: it fits at every size tried.
    EXPECT_EQ(auto_fit_row(slot, u"//", RowBand::kName, kCentre, m), 34);
}

TEST(RowFits, EmptyTextFitsAndMeasuresNothing) {
    FakeMeasurer m;
    EXPECT_TRUE(row_fits(kDefault, font_of_size(10000), u"", RowBand::kName, m));
    EXPECT_EQ(m.calls, 0);
}

TEST(RowFits, HostileHeightsAndTexts) {
    FakeMeasurer m;
    EXPECT_TRUE(row_fits(kDefault, font_of_size(0), u"印田", RowBand::kName, m));
    EXPECT_FALSE(row_fits(kDefault, font_of_size(10000), u"印田", RowBand::kName, m));
    EXPECT_FALSE(row_fits(kDefault, font_of_size(-10000), u"印田", RowBand::kDepartment, m));
    EXPECT_FALSE(row_fits(kDefault, font_of_size(1), std::u16string(600, u'x'), RowBand::kName, m));
    ZeroMeasurer zero;
    EXPECT_TRUE(row_fits(kDefault, font_of_size(20), u"a//b//c", RowBand::kName, zero));
}

TEST(DateFits, StrictLimitsFromTheChords) {
    FakeMeasurer m;
    // r = 35, T = 2: width < trunc(67.80 - 2 - 14) = 51, height < 16 - 2 - 4 = 10.
    m.table[u"D"] = {50, 9};
    EXPECT_TRUE(date_fits(kDefault, font_of_size(1), u"D", m));
    m.table[u"D"] = {51, 9};
    EXPECT_FALSE(date_fits(kDefault, font_of_size(1), u"D", m));
    m.table[u"D"] = {50, 10};
    EXPECT_FALSE(date_fits(kDefault, font_of_size(1), u"D", m));
    // THICK 3: width < 49, height < 8.
    const StampGeometry thick = stamp_geometry(115, 106, 35, 3);
    m.table[u"D"] = {48, 7};
    EXPECT_TRUE(date_fits(thick, font_of_size(1), u"D", m));
    m.table[u"D"] = {49, 7};
    EXPECT_FALSE(date_fits(thick, font_of_size(1), u"D", m));
    m.table[u"D"] = {48, 8};
    EXPECT_FALSE(date_fits(thick, font_of_size(1), u"D", m));
}

TEST(SizeSearch, LargestSizeTriedIsOneBelowTheLimit) {
    std::vector<std::int32_t> tried;
    auto record = [&](bool result) {
        return [&tried, result](std::int32_t size) {
            tried.push_back(size);
            return result;
        };
    };
    EXPECT_EQ(largest_fitting_size(35, record(true)), 34);
    EXPECT_EQ(tried, (std::vector<std::int32_t>{18, 26, 30, 32, 33, 34, 34}));  // never 35
    tried.clear();
    EXPECT_EQ(largest_fitting_size(35, record(false)), 1);
    EXPECT_EQ(tried, (std::vector<std::int32_t>{18, 9, 5, 3, 2, 1, 1}));
}

TEST(SizeSearch, FindsTheBoundary) {
    for (std::int32_t limit = 1; limit < 35; ++limit) {
        EXPECT_EQ(largest_fitting_size(35, [limit](std::int32_t s) { return s <= limit; }), limit);
    }
    EXPECT_EQ(largest_fitting_size(2, [](std::int32_t) { return true; }), 1);
    EXPECT_EQ(largest_fitting_size(1, [](std::int32_t) { return true; }), 1);
    EXPECT_EQ(largest_fitting_size(0, [](std::int32_t) { return true; }), 1);
    EXPECT_EQ(largest_fitting_size(-40, [](std::int32_t) { return false; }), 1);
}

TEST(AutoFit, RowsOfTheDefaultStamp) {
    FakeMeasurer m;
    SlotSettings slot = slot_with(35, 1);
    EXPECT_EQ(auto_fit_row(slot, u"印田", RowBand::kName, kCentre, m), 18);
    EXPECT_EQ(slot.name.height, -18);
    EXPECT_EQ(auto_fit_row(slot, u"技術部", RowBand::kDepartment, kCentre, m), 14);
    EXPECT_EQ(slot.busho.height, -14);
    EXPECT_EQ(auto_fit_row(slot, u"営業部//第一課", RowBand::kDepartment, kCentre, m), 9);
    EXPECT_EQ(slot.busho.height, -9);
    EXPECT_EQ(slot.name.height, -18);
    EXPECT_EQ(slot.date.height, -13);
}

TEST(AutoFit, SmallestAndLargestRadiusAndThickness) {
    FakeMeasurer m;
    struct Case {
        std::int32_t radius, thick, name, department, two_lines, single;
    };
    for (const Case& c : {Case{20, 1, 10, 8, 5, 6}, Case{20, 3, 9, 7, 4, 4}, Case{35, 3, 17, 14, 9, 15},
                          Case{80, 1, 42, 33, 22, 50}, Case{80, 3, 41, 33, 21, 48}}) {
        SlotSettings slot = slot_with(c.radius, c.thick);
        EXPECT_EQ(auto_fit_row(slot, u"印田", RowBand::kName, kCentre, m), c.name) << c.radius;
        EXPECT_EQ(auto_fit_row(slot, u"技術部", RowBand::kDepartment, kCentre, m), c.department);
        EXPECT_EQ(auto_fit_row(slot, u"営業部//第一課", RowBand::kDepartment, kCentre, m), c.two_lines);
        EXPECT_EQ(auto_fit_row(slot, u"印", RowBand::kName, kCentre, m), c.single);
        EXPECT_EQ(auto_fit_row(slot, u"//", RowBand::kName, kCentre, m), c.radius - 1);
    }
}

TEST(AutoFit, NothingFitsGivesMinusOne) {
    FakeMeasurer m;
    SlotSettings slot = slot_with(35, 1);
    EXPECT_EQ(auto_fit_row(slot, std::u16string(520, u'x'), RowBand::kName, kCentre, m), 1);
    EXPECT_EQ(slot.name.height, -1);
}

TEST(AutoFit, EmptyTextKeepsItsHeight) {
    FakeMeasurer m;
    SlotSettings slot = slot_with(35, 1);
    slot.busho.height = -10000;
    EXPECT_EQ(auto_fit_row(slot, u"", RowBand::kDepartment, kCentre, m), 0);
    EXPECT_EQ(slot.busho.height, -10000);
    EXPECT_EQ(m.calls, 0);
}

TEST(AutoFit, StoredHeightDoesNotMatter) {
    FakeMeasurer m;
    for (std::int32_t stored : {0, 10000, -10000}) {
        SlotSettings slot = slot_with(35, 1);
        slot.name.height = stored;
        EXPECT_EQ(auto_fit_row(slot, u"印田", RowBand::kName, kCentre, m), 18);
        EXPECT_EQ(slot.name.height, -18);
    }
}

TEST(AutoFit, ZeroSizedMeasurementsFitEverywhere) {
    ZeroMeasurer zero;
    SlotSettings slot = slot_with(35, 1);
    EXPECT_EQ(auto_fit_row(slot, u"印田", RowBand::kName, kCentre, zero), 34);
    EXPECT_EQ(auto_fit_date(slot, may_first_2025(), builtin_era_table(), kCentre, zero), 16);
}

TEST(AutoFit, DateUsesTheSlotsFormat) {
    FakeMeasurer m;
    const EraTable eras = builtin_era_table();
    SlotSettings slot = slot_with(35, 1);
    slot.date_format.era = 4;  // "2025/05/01": 10 units, width 10 x size < 51
    EXPECT_EQ(auto_fit_date(slot, may_first_2025(), eras, kCentre, m), 5);
    EXPECT_EQ(slot.date.height, -5);

    m.table[u"2025/05/01"] = {40, 9};  // fits at every size below r / 2
    EXPECT_EQ(auto_fit_date(slot, may_first_2025(), eras, kCentre, m), 16);
    m.table[u"令和7.May.01"] = {51, 1};
    slot.date_format = {1, 2, 1};
    EXPECT_EQ(auto_fit_date(slot, may_first_2025(), eras, kCentre, m), 1);
    EXPECT_EQ(slot.date.height, -1);

    SlotSettings small = slot_with(20, 1);
    small.date_format.era = 4;
    m.table.clear();
    EXPECT_EQ(auto_fit_date(small, may_first_2025(), eras, kCentre, m), 1);
    SlotSettings large = slot_with(80, 1);
    large.date_format.era = 4;
    EXPECT_EQ(auto_fit_date(large, may_first_2025(), eras, kCentre, m), 13);
}

}  // namespace
}  // namespace markomi
