#include <gtest/gtest.h>

#include "output/companion_args.h"

namespace markomi {
namespace {

CompanionParse parse(std::vector<std::u16string> argv) { return parse_companion_args(argv); }

TEST(CompanionArgs, ReadsEveryOption) {
    CompanionParse p = parse({u"--ini", u"C:\\設定.ini", u"--slot", u"3", u"--date", u"2025-05-01",
                              u"--format", u"B", u"--dpi", u"300", u"--out", u"印影.png"});
    ASSERT_TRUE(p.args) << std::string(p.error.begin(), p.error.end());
    EXPECT_EQ(*p.args->ini, u"C:\\設定.ini");
    EXPECT_EQ(p.args->slot, 3);
    EXPECT_EQ(p.args->date->year, 2025);
    EXPECT_EQ(p.args->date->weekday, 4);  // a Thursday
    EXPECT_EQ(*p.args->format, u'B');
    EXPECT_EQ(*p.args->out, u"印影.png");
    EXPECT_EQ(*p.args->dpi, 300);
    EXPECT_FALSE(p.args->clipboard);

    CompanionParse clip = parse({u"--clipboard"});
    ASSERT_TRUE(clip.args);
    EXPECT_EQ(clip.args->slot, 0);
    EXPECT_FALSE(clip.args->date);
    EXPECT_FALSE(clip.args->diagnose);

    CompanionParse diagnose = parse({u"--ini", u"a.ini", u"--date", u"2025-05-01", u"--diagnose"});
    ASSERT_TRUE(diagnose.args) << std::string(diagnose.error.begin(), diagnose.error.end());
    EXPECT_TRUE(diagnose.args->diagnose);
    EXPECT_EQ(*diagnose.args->ini, u"a.ini");
}

// Help and the version are answered wherever they stand, even beside
// arguments that would be refused.
TEST(CompanionArgs, HelpAndVersionWinOverEverythingElse) {
    for (const char16_t* help : {u"--help", u"-h", u"/?"}) {
        CompanionParse p = parse({u"--slot", u"9", help});
        ASSERT_TRUE(p.args) << static_cast<int>(help[1]);
        EXPECT_TRUE(p.args->help);
    }
    CompanionParse v = parse({u"--version", u"--out"});
    ASSERT_TRUE(v.args);
    EXPECT_TRUE(v.args->version);
    EXPECT_FALSE(v.args->help);
}

TEST(CompanionArgs, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::u16string>> bad = {
        {},
        {u"--clipboard", u"--out", u"x.png"},
        {u"--out"},
        {u"--slot", u"8", u"--clipboard"},
        {u"--slot", u"0", u"--clipboard"},
        {u"--slot", u"12", u"--clipboard"},
        {u"--format", u"b", u"--clipboard"},
        {u"--date", u"2025-02-29", u"--clipboard"},
        {u"--date", u"2025-5-1", u"--clipboard"},
        {u"--date", u"0000-01-01", u"--clipboard"},
        {u"--clipboard", u"--verbose"},
        {u"--out", u""},
        {u"--diagnose", u"--clipboard"},
        {u"--diagnose", u"--out", u"x.png"},
        {u"--diagnose", u"--slot", u"2"},
        {u"--diagnose", u"--format", u"B"},
        {u"--dpi", u"95", u"--out", u"x.png"},
        {u"--dpi", u"1201", u"--out", u"x.png"},
        {u"--dpi", u"3OO", u"--out", u"x.png"},
        {u"--dpi", u"-300", u"--out", u"x.png"},
        {u"--dpi", u"300", u"--clipboard"},
    };
    for (const auto& argv : bad) {
        CompanionParse p = parse(argv);
        EXPECT_FALSE(p.args) << argv.size();
        EXPECT_FALSE(p.error.empty());
    }
}

TEST(CompanionArgs, DatesFollowTheCalendar) {
    EXPECT_TRUE(parse_iso_date(u"2024-02-29"));
    EXPECT_FALSE(parse_iso_date(u"2100-02-29"));
    EXPECT_TRUE(parse_iso_date(u"2000-02-29"));
    EXPECT_FALSE(parse_iso_date(u"2025-04-31"));
    EXPECT_FALSE(parse_iso_date(u"2025-13-01"));
    EXPECT_FALSE(parse_iso_date(u"２０２５-01-01"));
}

TEST(CompanionArgs, JsonStringsAreEscaped) {
    EXPECT_EQ(json_string(u"技術部"), u"\"技術部\"");
    EXPECT_EQ(json_string(u"a\"b\\c\n\x01"), u"\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_NE(companion_usage().find(u"使い方"), std::u16string::npos);
    EXPECT_NE(companion_usage().find(u"Usage"), std::u16string::npos);
}

}  // namespace
}  // namespace markomi
