#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "diag/debug_log.h"

namespace markomi {
namespace {

const LogTime kTime{2024, 1, 5, 9, 3, 7, 45};

TEST(DebugLogLine, PadsTheTimestampAndEndsInOneLineFeed) {
    EXPECT_EQ(format_log_line(kTime, u"hello"), u"2024/01/05 09:03:07.045 hello\n");
    EXPECT_EQ(format_log_line(LogTime{987, 12, 31, 23, 59, 59, 999}, u""),
              u"0987/12/31 23:59:59.999 \n");
    EXPECT_EQ(format_log_line(kTime, u"技術部 \U00020BB7"),
              u"2024/01/05 09:03:07.045 技術部 \U00020BB7\n");
}

TEST(DebugLogLine, CutsTheMessageTo199UnitsWithoutSplittingASurrogatePair) {
    const std::u16string prefix = u"2024/01/05 09:03:07.045 ";
    std::u16string exact(199, u'm');
    EXPECT_EQ(format_log_line(kTime, exact), prefix + exact + u"\n");
    EXPECT_EQ(format_log_line(kTime, exact + u"xyz"), prefix + exact + u"\n");

    // A pair that would straddle the cut is dropped whole.
    std::u16string straddling = std::u16string(198, u'm') + u"\U00020BB7";
    EXPECT_EQ(format_log_line(kTime, straddling), prefix + std::u16string(198, u'm') + u"\n");
    std::u16string fitting = std::u16string(197, u'm') + u"\U00020BB7" + u"z";
    EXPECT_EQ(format_log_line(kTime, fitting),
              prefix + std::u16string(197, u'm') + u"\U00020BB7\n");
}

TEST(DebugLogLine, CutsTheWholeLineTo249UnitsKeepingTheLineFeed) {
    // Out-of-range fields are printed as given and make the prefix long enough
    // for the line limit to bite before the message limit does.
    const LogTime wide{INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN};
    const std::u16string prefix =
        u"-2147483648/-2147483648/-2147483648 -2147483648:-2147483648:-2147483648.-2147483648 ";
    ASSERT_EQ(prefix.size(), 84u);
    const std::size_t room = 248 - prefix.size();  // units left for the message

    std::u16string line = format_log_line(wide, std::u16string(199, u'm'));
    EXPECT_EQ(line.size(), 249u);
    EXPECT_EQ(line, prefix + std::u16string(room, u'm') + u"\n");

    std::u16string straddling = std::u16string(room - 1, u'm') + u"\U00020BB7";
    EXPECT_EQ(format_log_line(wide, straddling), prefix + std::u16string(room - 1, u'm') + u"\n");
}

TEST(DebugLogPath, JoinsTheFolderAndRefusesOverlongOrMissingFolders) {
    EXPECT_EQ(debug_log_path(u"C:\\Users\\山田\\AppData\\Local\\Markomi2"),
              u"C:\\Users\\山田\\AppData\\Local\\Markomi2\\debug.log");
    // "\debug.log" is 10 units: a 239-unit folder makes the longest allowed path.
    EXPECT_EQ(debug_log_path(std::u16string(239, u'a')).size(), 249u);
    EXPECT_TRUE(debug_log_path(std::u16string(240, u'a')).empty());
    EXPECT_TRUE(debug_log_path(u"").empty());
}

TEST(DebugLogMessages, ScalarFormatters) {
    EXPECT_EQ(bool_message(u"found", 2), u"found = true");
    EXPECT_EQ(bool_message(u"found", -1), u"found = true");
    EXPECT_EQ(bool_message(u"found", 0), u"found = false");
    EXPECT_EQ(text_message(u"st", u"総務部"), u"st = '総務部'");
    EXPECT_EQ(text_message(u"st", u""), u"st = ''");
    EXPECT_EQ(int_message(u"lf.lfHeight", -13), u"lf.lfHeight = -13");
    EXPECT_EQ(int_message(u"x", INT32_MIN), u"x = -2147483648");
    EXPECT_EQ(long_message(u"y", INT32_MAX), u"y = 2147483647");
    EXPECT_EQ(unsigned_message(u"hits", UINT32_MAX), u"hits = 4294967295");
    EXPECT_EQ(size_message(u"canvas", 640, -1), u"canvas (cx, cy) = (640, -1)");
}

TEST(DebugLogMessages, PairFormattersJoinWithCommas) {
    EXPECT_EQ(two_ints_message(u"x", 3, u"y", -4), u"x = 3, y = -4");
    EXPECT_EQ(four_ints_message(u"a", 1, u"b", 22, u"c", -333, u"d", 0),
              u"a = 1, b = 22, c = -333, d = 0");
    EXPECT_EQ(two_floats_message(u"sx", 0.5f, u"sy", -2.25f), u"sx = 0.500000, sy = -2.250000");
    EXPECT_EQ(two_doubles_message(u"r", 1.0 / 3.0, u"s", 1e7),
              u"r = 0.333333, s = 10000000.000000");
}

TEST(DebugLogMessages, FloatsPrintTheirSinglePrecisionValue) {
    EXPECT_EQ(float_message(u"w", 87.0f), u"w = 87.000000");
    // 16777217 is not a float; the value that arrives is 16777216.
    EXPECT_EQ(float_message(u"w", 16777217.0f), u"w = 16777216.000000");
    EXPECT_EQ(double_message(u"w", 16777217.0), u"w = 16777217.000000");
    EXPECT_EQ(float_message(u"w", 0.1f), u"w = 0.100000");
    EXPECT_EQ(double_message(u"w", -0.0000004), u"w = -0.000000");
}

}  // namespace
}  // namespace markomi
