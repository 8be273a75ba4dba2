#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "base/u16_format.h"
#include "render/row_layout.h"

namespace markomi {
namespace {

// Measures a line as units x size by size (size = |height|), unless the
// table gives the line's height outright.
class FakeMeasurer : public TextMeasurer {
public:
    std::map<std::u16string, std::int32_t> heights;
    int calls = 0;

    void measure_line(const FontDescription& font, LineRecord& line) override {
        ++calls;
        line.width = line.height = 0;
        line.top_margin = line.bottom_margin = line.left_margin = line.right_margin = 0;
        if (line.text.empty()) return;
        const std::int32_t size = std::abs(font.height);
        line.width = static_cast<std::int32_t>(line.text.size()) * size;
        line.height = size;
        auto it = heights.find(line.text.str());
        if (it != heights.end()) line.height = it->second;
    }
};

class ZeroMeasurer : public TextMeasurer {
public:
    void measure_line(const FontDescription&, LineRecord& line) override {
        line.width = line.height = 0;
    }
};

FontDescription font_of_size(std::int32_t size) {
    FontDescription f;
    f.height = -size;
    return f;
}

const StampGeometry kDefault = stamp_geometry(115, 106, 35, 1);  // T 2, s 8, y0 cy+9, A 25

std::vector<std::int32_t> ys(const std::vector<LineRecord>& lines) {
    std::vector<std::int32_t> out;
    for (const LineRecord& l : lines) out.push_back(l.y);
    return out;
}

using Ys = std::vector<std::int32_t>;

TEST(RowLayout, OneNameLineSitsHalfAGapBelowTheBandTop) {
    FakeMeasurer m;
    // top = cy + 9, M = (25 - 14) / 2 = 5, y = top + 5 - 2 + 7.
    std::vector<LineRecord> name = lay_out_row(kDefault, font_of_size(14), u"印田", RowBand::kName, m);
    ASSERT_EQ(name.size(), 1u);
    EXPECT_EQ(name[0].x, 115);
    EXPECT_EQ(name[0].y, 106 + 19);
    EXPECT_EQ(name[0].width, 28);
    EXPECT_EQ(name[0].height, 14);

    std::vector<LineRecord> dept = lay_out_row(kDefault, font_of_size(14), u"印田", RowBand::kDepartment, m);
    EXPECT_EQ(dept[0].y, 106 - 19);
    EXPECT_EQ(m.calls, 2);
}

TEST(RowLayout, OddHeightsAndGapsTruncate) {
    FakeMeasurer m;
    // M = 12 / 2 = 6, y = 115 + 6 - 3 + 13 / 2.
    EXPECT_EQ(ys(lay_out_row(kDefault, font_of_size(13), u"x", RowBand::kName, m)), Ys({124}));
    // M = 14 / 2 = 7, y = 115 + 7 - 3 + 5.
    EXPECT_EQ(ys(lay_out_row(kDefault, font_of_size(11), u"x", RowBand::kName, m)), Ys({124}));
}

TEST(RowLayout, TwoLinesMoveTheBandTopDownOne) {
    FakeMeasurer m;
    // n = 2: top = 116, M = (25 - 16) / 3 = 3; y = 116 + 3 - 1 + 4, then + 3 + 8.
    std::vector<LineRecord> name = lay_out_row(kDefault, font_of_size(8), u"上//下", RowBand::kName, m);
    ASSERT_EQ(name.size(), 2u);
    EXPECT_EQ(u16_to_utf8(name[0].text.view()), "上");
    EXPECT_EQ(ys(name), Ys({122, 133}));

    // The department row mirrors the reversed lines: its first line ends at the top.
    std::vector<LineRecord> dept = lay_out_row(kDefault, font_of_size(8), u"上//下", RowBand::kDepartment, m);
    ASSERT_EQ(dept.size(), 2u);
    EXPECT_EQ(u16_to_utf8(dept[0].text.view()), "下");
    EXPECT_EQ(u16_to_utf8(dept[1].text.view()), "上");
    EXPECT_EQ(ys(dept), Ys({106 - 16, 106 - 27}));
    EXPECT_LT(dept[1].y, dept[0].y);
    for (const LineRecord& l : dept) EXPECT_EQ(l.x, 115);
}

TEST(RowLayout, DepartmentLinesKeepTheirCharacters) {
    FakeMeasurer m;
    // Re-joining "a//b/" backwards would give "b///a" and move the "/".
    std::vector<LineRecord> dept = lay_out_row(kDefault, font_of_size(8), u"a//b/", RowBand::kDepartment, m);
    ASSERT_EQ(dept.size(), 2u);
    EXPECT_EQ(u16_to_utf8(dept[0].text.view()), "b/");
    EXPECT_EQ(u16_to_utf8(dept[1].text.view()), "a");
    EXPECT_LT(dept[1].y, dept[0].y);
}

TEST(RowLayout, TallLinesAreSpreadEvenly) {
    FakeMeasurer m;
    // S = 60 > A: centres at top + trunc(8 * 0.5), trunc(8 * 1.5), trunc(8 * 2.5); top = 116.
    std::vector<LineRecord> name = lay_out_row(kDefault, font_of_size(20), u"a//b//c", RowBand::kName, m);
    EXPECT_EQ(ys(name), Ys({116 + 4, 116 + 12, 116 + 20}));
    std::vector<LineRecord> dept = lay_out_row(kDefault, font_of_size(20), u"a//b//c", RowBand::kDepartment, m);
    EXPECT_EQ(ys(dept), Ys({106 - 14, 106 - 22, 106 - 30}));
    EXPECT_EQ(u16_to_utf8(dept[2].text.view()), "a");
}

TEST(RowLayout, ZeroGapUsesTheGapRule) {
    FakeMeasurer m;
    m.heights[u"a"] = 5;
    m.heights[u"b"] = 19;
    // S = 24, M = 1 / 3 = 0: the lines stack from the top (the spread would give 122, 134).
    EXPECT_EQ(ys(lay_out_row(kDefault, font_of_size(9), u"a//b", RowBand::kName, m)), Ys({118, 130}));
}

TEST(RowLayout, NegativeUsableHeightSpreadsFromTheTop) {
    FakeMeasurer m;
    // Band height 0: A = -2, A / 3 truncates to 0, so every centre is the top.
    std::vector<LineRecord> lines =
        lay_out_row_in_band(kDefault, 0, font_of_size(5), u"a//b//c", RowBand::kName, m);
    EXPECT_EQ(ys(lines), Ys({116, 116, 116}));
    // Band height -5: A = -7, A / 3 = -2: centres at top - 1, top - 3, top - 5.
    lines = lay_out_row_in_band(kDefault, -5, font_of_size(5), u"a//b//c", RowBand::kName, m);
    EXPECT_EQ(ys(lines), Ys({115, 113, 111}));
}

TEST(RowLayout, OtherBandHeight) {
    FakeMeasurer m;
    // Band 9 (a triangle's lower band): A = 7, M = (7 - 4) / 2 = 1; y = 115 + 1 - 0 + 2.
    EXPECT_EQ(ys(lay_out_row_in_band(kDefault, 9, font_of_size(4), u"x", RowBand::kName, m)), Ys({118}));
}

TEST(RowLayout, EmptyLinesAndEmptyText) {
    FakeMeasurer m;
    // "//": two empty lines, M = 25 / 3 = 8; y = 116 + 8 - 4, 116 + 16 - 4.
    std::vector<LineRecord> lines = lay_out_row(kDefault, font_of_size(14), u"//", RowBand::kName, m);
    EXPECT_EQ(ys(lines), Ys({120, 128}));
    EXPECT_EQ(lines[0].width, 0);
    // An empty text is one empty line: M = 12, y = 115 + 12 - 6.
    EXPECT_EQ(ys(lay_out_row(kDefault, font_of_size(14), u"", RowBand::kName, m)), Ys({121}));
}

TEST(RowLayout, ZeroSizedMeasurementsDoNotDivideByZero) {
    ZeroMeasurer zero;
    std::vector<LineRecord> lines = lay_out_row(kDefault, font_of_size(0), u"a//b//c", RowBand::kName, zero);
    EXPECT_EQ(ys(lines), Ys({116 + 3, 116 + 9, 116 + 15}));  // M = 25 / 4 = 6
}

TEST(RowLayout, HostileTextsAndHeights) {
    FakeMeasurer m;
    const std::u16string long_text(700, u'x');
    std::vector<LineRecord> lines = lay_out_row(kDefault, font_of_size(10), long_text, RowBand::kName, m);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text.size(), 499u);
    EXPECT_EQ(lines[0].width, 4990);

    std::u16string breaks;
    for (int i = 0; i < 400; ++i) breaks += u"x//";
    lines = lay_out_row(kDefault, font_of_size(10000), breaks, RowBand::kDepartment, m);
    ASSERT_EQ(lines.size(), 401u);
    // Spread: A / n = 25 / 401 = 0, so every centre is the (mirrored) top.
    for (const LineRecord& l : lines) EXPECT_EQ(l.y, 106 - 10);

    lines = lay_out_row(kDefault, font_of_size(-10000), u"ab", RowBand::kName, m);
    EXPECT_EQ(lines[0].height, 10000);
    EXPECT_EQ(lines[0].y, 115 + 12);  // one line: trunc(25 * 0.5) below the top
}

TEST(DateRow, OneRecordAtTheCentre) {
    FakeMeasurer m;
    LineRecord date = lay_out_date_row(115, 106, font_of_size(12), u"2025//05//01", m);
    EXPECT_EQ(date.text.view(), u"2025//05//01");  // never split
    EXPECT_EQ(date.x, 115);
    EXPECT_EQ(date.y, 106);
    EXPECT_EQ(date.width, 144);
    EXPECT_EQ(date.height, 12);

    date = lay_out_date_row(0, 0, font_of_size(1), std::u16string(520, u'9'), m);
    EXPECT_EQ(date.text.size(), 499u);
}

}  // namespace
}  // namespace markomi
