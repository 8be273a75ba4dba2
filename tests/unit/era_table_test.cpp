#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/u16_format.h"
#include "dates/era_table.h"

namespace markomi {
namespace {

RawEraValue sz(std::u16string name, std::u16string data) { return {std::move(name), std::move(data), true}; }

// The values as a standard Windows installation holds them, in an order that
// is not the table's.
std::vector<RawEraValue> standard_values() {
    return {sz(u"1868 01 01", u"明治_明_Meiji_M"), sz(u"1912 07 30", u"大正_大_Taisho_T"),
            sz(u"1926 12 25", u"昭和_昭_Showa_S"), sz(u"1989 01 08", u"平成_平_Heisei_H"),
            sz(u"2019 05 01", u"令和_令_Reiwa_R")};
}

std::vector<std::u16string> start_dates(const EraTable& t) {
    std::vector<std::u16string> out;
    for (const EraEntry& e : t) out.push_back(e.start_date.str());
    return out;
}

void expect_entry(const EraEntry& e, std::u16string_view start, int year, std::u16string_view full,
                  std::u16string_view short_name, std::u16string_view symbol) {
    EXPECT_EQ(e.start_date.view(), start) << u16_to_utf8(e.start_date.view());
    EXPECT_EQ(e.start_year, year) << u16_to_utf8(e.start_date.view());
    EXPECT_EQ(e.full_name.view(), full) << u16_to_utf8(e.full_name.view());
    EXPECT_EQ(e.short_name.view(), short_name) << u16_to_utf8(e.short_name.view());
    EXPECT_EQ(e.symbol.view(), symbol) << u16_to_utf8(e.symbol.view());
}

void expect_standard_table(const EraTable& t) {
    ASSERT_EQ(t.size(), 6u);
    expect_entry(t[0], u"2019 05 01", 2019, u"令和", u"令", u"R");
    expect_entry(t[1], u"1989 01 08", 1989, u"平成", u"平", u"H");
    expect_entry(t[2], u"1926 12 25", 1926, u"昭和", u"昭", u"S");
    expect_entry(t[3], u"1912 07 30", 1912, u"大正", u"大", u"T");
    expect_entry(t[4], u"1868 01 01", 1868, u"明治", u"明", u"M");
    expect_entry(t[5], u"0000 00 00", 0, u"？？", u"？", u"?");
    EXPECT_EQ(t[0].description.view(), u"令和_令_Reiwa_R");
    EXPECT_EQ(t[5].description.view(), u"？？_？_?_?");
}

TEST(EraTableBuild, BuiltinAndStandardRegistryDataGiveTheSameTable) {
    expect_standard_table(builtin_era_table());
    expect_standard_table(build_era_table(standard_values()));
}

TEST(EraTableBuild, NewerEraComesFirstWithNamesTakenByPosition) {
    std::vector<RawEraValue> values = standard_values();
    values.push_back(sz(u"2040 01 01", u"未来_未_Mirai_X"));
    // Positions, not underscores: a one-character full name borrows the underscore.
    values.push_back(sz(u"2050 02 03", u"新_新_Shin_N"));
    EraTable t = build_era_table(values);
    ASSERT_EQ(t.size(), 8u);
    expect_entry(t[0], u"2050 02 03", 2050, u"新_", u"新", u"N");
    expect_entry(t[1], u"2040 01 01", 2040, u"未来", u"未", u"X");
    expect_entry(t[2], u"2019 05 01", 2019, u"令和", u"令", u"R");
    EXPECT_EQ(t.back().start_date.view(), u"0000 00 00");
}

TEST(EraTableBuild, SkipsValuesThatCannotBeEras) {
    std::vector<RawEraValue> values = standard_values();
    values.push_back({u"2030 01 01", u"数値_数_Suuchi_D", false});  // not a string value
    values.push_back(sz(u"2031 01 01", u""));                     // empty data
    values.push_back(sz(u"Version", u"6.1"));                      // would sort above every era
    values.push_back(sz(u"203", u"短_短_Mijikai_M"));              // fewer than four characters
    values.push_back(sz(u"20x3 01 01", u"壊_壊_Koware_K"));        // not four digits
    values.push_back(sz(u"", u"空_空_Kara_K"));
    expect_standard_table(build_era_table(values));

    // Nothing usable: the built-in list, not the sentinel alone (which would
    // print every year as "？？").
    expect_standard_table(build_era_table({{u"2030 01 01", u"x", false}, sz(u"abcd", u"y"),
                                           sz(u"2031 01 01", u"")}));
    expect_standard_table(build_era_table({}));
}

TEST(EraTableBuild, SentinelStaysLastAndOrderIsCodeUnitOrder) {
    std::vector<RawEraValue> values = {sz(u"0000 00 00", u"零_零_Zero_Z"), sz(u"0000", u"低_低_Low_L"),
                                       sz(u"1999 1", u"短_短_Short_S"), sz(u"1999 01 01", u"長_長_Long_G"),
                                       sz(u"19999", u"大_大_Big_B")};
    EraTable t = build_era_table(values);
    // Plain text order: "19999" > "1999 1" > "1999 01 01" since '9' > ' ' and '1' > '0'.
    EXPECT_EQ(start_dates(t), (std::vector<std::u16string>{u"19999", u"1999 1", u"1999 01 01", u"0000 00 00",
                                                           u"0000", u"0000 00 00"}));
    EXPECT_EQ(t[3].description.view(), u"零_零_Zero_Z");
    EXPECT_EQ(t.back().description.view(), u"？？_？_?_?");
}

TEST(EraTableBuild, EqualStartDatesBothStayAndTheFirstValueWins) {
    EraTable t = build_era_table({sz(u"2019 05 01", u"令和_令_Reiwa_R"), sz(u"2019 05 01", u"別名_別_Betsu_B"),
                                  sz(u"1989 01 08", u"平成_平_Heisei_H")});
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].full_name.view(), u"令和");
    EXPECT_EQ(t[1].full_name.view(), u"別名");
    EXPECT_EQ(find_era(t, 2020, 1, 1).full_name.view(), u"令和");
}

TEST(EraTableBuild, LongAndOddTextsAreCutSafely) {
    std::u16string long_name = u"2100 01 01" + std::u16string(600, u'9');
    std::u16string long_data = u"長期" + std::u16string(600, u'x') + u"Q";
    EraTable t = build_era_table({sz(long_name, long_data), sz(u"2099 01 01", u"一"),
                                  sz(u"2098 01 01", u"\U00020BB7_\U00020BB7"), sz(u"2097 01 01", u"a\U00020BB7")});
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].start_date.size(), 499u);
    EXPECT_EQ(t[0].description.size(), 499u);
    EXPECT_EQ(t[0].start_year, 2100);
    EXPECT_EQ(t[0].full_name.view(), u"長期");
    EXPECT_EQ(t[0].symbol.view(), u"x");  // the last character of the cut description
    expect_entry(t[1], u"2099 01 01", 2099, u"一", u"一", u"一");
    // Half a surrogate pair never ends up in a name.
    expect_entry(t[2], u"2098 01 01", 2098, u"\U00020BB7", u"", u"");
    expect_entry(t[3], u"2097 01 01", 2097, u"a", u"a", u"");
}

TEST(EraLookup, BoundariesOfTheBuiltinEras) {
    EraTable t = builtin_era_table();
    struct Case { int y, m, d; const char16_t* era; };
    const Case cases[] = {
        {2019, 5, 1, u"令和"}, {2019, 4, 30, u"平成"}, {1989, 1, 8, u"平成"}, {1989, 1, 7, u"昭和"},
        {1926, 12, 25, u"昭和"}, {1926, 12, 24, u"大正"}, {1912, 7, 30, u"大正"}, {1912, 7, 29, u"明治"},
        {1868, 1, 1, u"明治"}, {1867, 12, 31, u"？？"}, {0, 0, 0, u"？？"}, {9999, 12, 31, u"令和"},
        {-1, 1, 1, u"？？"}};
    for (const Case& c : cases) {
        EXPECT_EQ(find_era(t, c.y, c.m, c.d).full_name.view(), c.era) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(EraLookup, TablesWithoutAMatchFallBack) {
    EXPECT_EQ(find_era(EraTable{}, 2025, 5, 1).start_date.view(), u"0000 00 00");
    // A hand-made table without sentinel: a date before every era gets the last entry.
    EraTable t = builtin_era_table();
    t.pop_back();
    EXPECT_EQ(find_era(t, 1800, 1, 1).full_name.view(), u"明治");
}

TEST(RegistryBytes, TextStopsAtTheDataAndAtTheFirstNul) {
    const unsigned char reiwa[] = {0xE4, 0x4E, 0x8C, 0x54, 'R', 0, 0, 0, 0, 0};  // "令和R" NUL NUL
    EXPECT_EQ(text_from_registry_bytes(reiwa, sizeof reiwa), u"令和R");
    EXPECT_EQ(text_from_registry_bytes(reiwa, 6), u"令和R");       // unterminated
    EXPECT_EQ(text_from_registry_bytes(reiwa, 5), u"令和");         // odd byte dropped
    const unsigned char inner_nul[] = {'a', 0, 0, 0, 'b', 0};
    EXPECT_EQ(text_from_registry_bytes(inner_nul, sizeof inner_nul), u"a");
    EXPECT_EQ(text_from_registry_bytes(nullptr, 8), u"");
    EXPECT_EQ(text_from_registry_bytes(reiwa, 1), u"");
}

}  // namespace
}  // namespace markomi
