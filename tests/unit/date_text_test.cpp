#include <gtest/gtest.h>

#include <string>

#include "base/u16_format.h"
#include "dates/date_text.h"

namespace markomi {
namespace {

StampDate make_date(int y, int m, int d) {
    StampDate date;
    date.year = y;
    date.month = m;
    date.day = d;
    return date;
}

std::string date_text(int era_style, int y, int m, int d, int delimiter = 1, int month_style = 0,
                      const EraTable& eras = builtin_era_table()) {
    std::u16string out = u"untouched";
    if (!format_date_text(era_style, delimiter, make_date(y, m, d), month_style, eras, &out)) return "<false>";
    return u16_to_utf8(out);
}

TEST(DateText, EachEraStyle) {
    EXPECT_EQ(date_text(1, 2025, 5, 1), "令和7/05/01");
    EXPECT_EQ(date_text(2, 2025, 5, 1), "令7/05/01");
    EXPECT_EQ(date_text(3, 2025, 5, 1), "R7/05/01");
    EXPECT_EQ(date_text(4, 2025, 5, 1), "2025/05/01");
    EXPECT_EQ(date_text(5, 2025, 5, 1), "'25/05/01");
    EXPECT_EQ(date_text(5, 2000, 3, 5), "'00/03/05");
    EXPECT_EQ(date_text(4, 987, 3, 5), "0987/03/05");
    EXPECT_EQ(date_text(1, 2088, 11, 30), "令和70/11/30");
}

TEST(DateText, DelimitersAndMonthStyles) {
    EXPECT_EQ(date_text(4, 2025, 5, 1, 2), "2025.05.01");
    EXPECT_EQ(date_text(4, 2025, 5, 1, 3), "2025-05-01");
    EXPECT_EQ(date_text(4, 2025, 5, 1, 0), "2025-05-01");   // any other delimiter is "-"
    EXPECT_EQ(date_text(4, 2025, 5, 1, 99), "2025-05-01");
    EXPECT_EQ(date_text(3, 2025, 5, 1, 2), "R7.05.01");
    EXPECT_EQ(date_text(5, 2025, 5, 1, 3), "'25-05-01");
    EXPECT_EQ(date_text(4, 2025, 12, 24, 1, 1), "2025/Dec/24");
    EXPECT_EQ(date_text(1, 2025, 1, 9, 2, 1), "令和7.Jan.09");
}

TEST(DateText, EraBoundaries) {
    EXPECT_EQ(date_text(1, 2019, 5, 1), "令和1/05/01");
    EXPECT_EQ(date_text(1, 2019, 4, 30), "平成31/04/30");
    EXPECT_EQ(date_text(1, 1989, 1, 8), "平成1/01/08");
    EXPECT_EQ(date_text(1, 1989, 1, 7), "昭和64/01/07");
    EXPECT_EQ(date_text(1, 1926, 12, 25), "昭和1/12/25");
    EXPECT_EQ(date_text(1, 1926, 12, 24), "大正15/12/24");
    EXPECT_EQ(date_text(2, 1912, 7, 30), "大1/07/30");
    EXPECT_EQ(date_text(3, 1912, 7, 29), "M45/07/29");
    EXPECT_EQ(date_text(3, 1868, 1, 1), "M1/01/01");
}

TEST(DateText, DatesBeforeEveryEraUseTheSentinel) {
    EXPECT_EQ(date_text(1, 1867, 12, 31), "？？1868/12/31");
    EXPECT_EQ(date_text(2, 1867, 12, 31), "？1868/12/31");
    EXPECT_EQ(date_text(3, 1867, 12, 31), "?1868/12/31");
}

TEST(DateText, UsesTheTableItIsGiven) {
    EraTable eras = build_era_table({{u"2019 05 01", u"令和_令_Reiwa_R", true},
                                     {u"2040 01 01", u"未来_未_Mirai_X", true}});
    EXPECT_EQ(date_text(1, 2045, 6, 7, 1, 0, eras), "未来6/06/07");
    EXPECT_EQ(date_text(3, 2039, 12, 31, 1, 0, eras), "R21/12/31");
    EXPECT_EQ(date_text(1, 2018, 1, 1, 1, 0, eras), "？？2019/01/01");
    // An empty table (before the table is loaded) still gives a text.
    EXPECT_EQ(date_text(2, 2025, 5, 1, 1, 0, EraTable{}), "？2026/05/01");
}

TEST(DateText, EraStyleOutsideRangeLeavesTheBufferAlone) {
    for (int style : {0, 6, -1, 100}) {
        std::u16string out = u"before";
        EXPECT_FALSE(format_date_text(style, 1, make_date(2025, 5, 1), 0, builtin_era_table(), &out));
        EXPECT_EQ(out, u"before");
    }
}

TEST(DateText, ExtremeYearsDoNotOverflow) {
    EXPECT_EQ(date_text(1, 2147483647, 1, 1), "令和2147481629/01/01");
    EXPECT_EQ(date_text(1, -2147483647 - 1, 1, 1), "？？-2147483647/01/01");
    EXPECT_EQ(date_text(5, -5, 1, 1), "'-5/01/01");
}

TEST(MonthText, NumbersAndAbbreviations) {
    const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(u16_to_utf8(month_text(1, m)), names[m - 1]);
    EXPECT_EQ(month_text(1, 0), u"???");
    EXPECT_EQ(month_text(1, 13), u"???");
    EXPECT_EQ(month_text(0, 1), u"01");
    EXPECT_EQ(month_text(0, 12), u"12");
    EXPECT_EQ(month_text(0, 0), u"00");
}

TEST(Weekday, KnownDatesAndCalendarRules) {
    EXPECT_EQ(weekday_of(2025, 5, 1), 4);    // Thursday
    EXPECT_EQ(weekday_of(1970, 1, 1), 4);
    EXPECT_EQ(weekday_of(2000, 2, 29), 2);   // leap day of a 400-year
    EXPECT_EQ(weekday_of(2000, 3, 1), 3);
    EXPECT_EQ(weekday_of(1900, 3, 1), 4);    // 1900 had no 29 February
    EXPECT_EQ(weekday_of(1900, 2, 28), 3);
    EXPECT_EQ(weekday_of(2024, 12, 29), 0);  // Sunday
    EXPECT_EQ(weekday_of(1868, 1, 1), 3);
    EXPECT_EQ(weekday_of(1, 1, 1), 1);       // proleptic Gregorian: Monday
    EXPECT_EQ(weekday_of(0, 12, 31), 0);
    EXPECT_EQ(weekday_of(-1, 1, 1), 5);
    // Months and days outside their range roll over.
    EXPECT_EQ(weekday_of(2024, 13, 1), weekday_of(2025, 1, 1));
    EXPECT_EQ(weekday_of(2025, 0, 31), weekday_of(2024, 12, 31));
    EXPECT_EQ(weekday_of(2025, 1, 32), weekday_of(2025, 2, 1));
    // Seven consecutive days give seven different weekdays in order.
    for (int d = 1; d <= 6; ++d) EXPECT_EQ(weekday_of(2025, 3, d + 1), (weekday_of(2025, 3, d) + 1) % 7);
}

TEST(DatePickerCaption, PadsMonthAndDayAndNamesTheWeekday) {
    EXPECT_EQ(u16_to_utf8(date_picker_caption(make_date(2025, 5, 1))), "  2025年  5月  1日 (木)");
    EXPECT_EQ(u16_to_utf8(date_picker_caption(make_date(2024, 12, 29))), "  2024年 12月 29日 (日)");
    EXPECT_EQ(u16_to_utf8(date_picker_caption(make_date(2025, 11, 15))), "  2025年 11月 15日 (土)");
    // The stored weekday is not trusted.
    StampDate wrong = make_date(2025, 5, 5);
    wrong.weekday = 3;
    EXPECT_EQ(u16_to_utf8(date_picker_caption(wrong)), "  2025年  5月  5日 (月)");
}

}  // namespace
}  // namespace markomi
