#include <gtest/gtest.h>

#include <string>

#include "base/u16_format.h"
#include "render/text_lines.h"

namespace markomi {
namespace {

std::vector<std::string> texts_of(const std::vector<LineRecord>& records) {
    std::vector<std::string> out;
    for (const LineRecord& r : records) out.push_back(u16_to_utf8(r.text.view()));
    return out;
}

using Lines = std::vector<std::string>;

TEST(TextLines, CountsBreaksLeftToRight) {
    EXPECT_EQ(count_lines(u""), 1);
    EXPECT_EQ(count_lines(u"技術部"), 1);
    EXPECT_EQ(count_lines(u"/"), 1);
    EXPECT_EQ(count_lines(u"a/b"), 1);
    EXPECT_EQ(count_lines(u"//"), 2);
    EXPECT_EQ(count_lines(u"営業部//第一課"), 2);
    EXPECT_EQ(count_lines(u"///"), 2);   // one break, then "/"
    EXPECT_EQ(count_lines(u"////"), 3);
    EXPECT_EQ(count_lines(u"/////"), 3);
    EXPECT_EQ(count_lines(u"a//b//c"), 3);
}

TEST(TextLines, SplitsAtEachBreak) {
    EXPECT_EQ(texts_of(split_lines(u"")), Lines({""}));
    EXPECT_EQ(texts_of(split_lines(u"営業部//第一課")), Lines({"営業部", "第一課"}));
    EXPECT_EQ(texts_of(split_lines(u"//")), Lines({"", ""}));
    EXPECT_EQ(texts_of(split_lines(u"a///b")), Lines({"a", "/b"}));
    EXPECT_EQ(texts_of(split_lines(u"a/b//")), Lines({"a/b", ""}));
    EXPECT_EQ(texts_of(split_lines(u"////x")), Lines({"", "", "x"}));
    for (const LineRecord& r : split_lines(u"a//b")) {
        EXPECT_EQ(r.x, 0);
        EXPECT_EQ(r.height, 0);
    }
}

TEST(TextLines, SplitAgreesWithCount) {
    const std::u16string samples[] = {u"", u"/", u"//", u"///", u"a////b/", u"//a//", u"x/y//z///"};
    for (const std::u16string& s : samples) {
        EXPECT_EQ(static_cast<int>(split_lines(s).size()), count_lines(s)) << u16_to_utf8(s);
        EXPECT_EQ(static_cast<int>(line_views(s).size()), count_lines(s)) << u16_to_utf8(s);
    }
}

TEST(TextLines, LongLinesAreCutToTheRecord) {
    const std::u16string long_line(600, u'長');
    std::vector<LineRecord> records = split_lines(long_line + u"//" + u"短");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].text.size(), 499u);
    EXPECT_EQ(records[0].text.view(), std::u16string(499, u'長'));
    EXPECT_EQ(records[1].text.view(), u"短");

    EXPECT_EQ(split_lines(std::u16string(499, u'x'))[0].text.size(), 499u);

    // A surrogate pair across the cut is dropped whole.
    std::u16string pair_at_cut(498, u'x');
    pair_at_cut += u"\U00020BB7";
    EXPECT_EQ(split_lines(pair_at_cut)[0].text.size(), 498u);
}

TEST(TextLines, ManyBreaksGiveManyEmptyLines) {
    std::u16string breaks;
    for (int i = 0; i < 300; ++i) breaks += u"//";
    EXPECT_EQ(count_lines(breaks), 301);
    std::vector<LineRecord> records = split_lines(breaks);
    ASSERT_EQ(records.size(), 301u);
    for (const LineRecord& r : records) EXPECT_TRUE(r.text.empty());
}

TEST(TextLines, ReverseJoinsLinesBackwards) {
    EXPECT_EQ(reverse_lines(u""), u"");
    EXPECT_EQ(reverse_lines(u"技術部"), u"技術部");
    EXPECT_EQ(reverse_lines(u"営業部//第一課"), u"第一課//営業部");
    EXPECT_EQ(reverse_lines(u"a//b//c"), u"c//b//a");
    EXPECT_EQ(reverse_lines(u"//"), u"//");
    EXPECT_EQ(reverse_lines(u"a///b"), u"/b//a");
    EXPECT_EQ(reverse_lines(u"a///"), u"///a");  // lines "a" and "/"
    const std::u16string long_text = std::u16string(600, u'x') + u"//y";
    EXPECT_EQ(reverse_lines(long_text), u"y//" + std::u16string(600, u'x'));  // not cut
}

TEST(TextLines, SingleCharacterText) {
    EXPECT_TRUE(is_single_character_text(u"印"));
    EXPECT_TRUE(is_single_character_text(u"a"));
    EXPECT_TRUE(is_single_character_text(u"/"));
    EXPECT_TRUE(is_single_character_text(u"\U00020BB7"));  // one character in two units
    EXPECT_FALSE(is_single_character_text(u""));
    EXPECT_FALSE(is_single_character_text(u"//"));
    EXPECT_FALSE(is_single_character_text(u"印田"));
    EXPECT_FALSE(is_single_character_text(u"印//"));
    EXPECT_FALSE(is_single_character_text(std::u16string(1, char16_t(0xD842)) + u"a"));
    EXPECT_FALSE(is_single_character_text(std::u16string(1, char16_t(0xDFB7)) + std::u16string(1, char16_t(0xD842))));
}

}  // namespace
}  // namespace markomi
