#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "settings/memory_profile.h"
#include "settings/profile_value.h"

namespace markomi {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(ProfileInt, ReadsSignAndDigitsUpToTheFirstOtherCharacter) {
    EXPECT_EQ(parse_profile_int(u"12"), 12);
    EXPECT_EQ(parse_profile_int(u"  12"), 12);
    EXPECT_EQ(parse_profile_int(u"\t 12"), 12);
    EXPECT_EQ(parse_profile_int(u"+7"), 7);
    EXPECT_EQ(parse_profile_int(u"-5x"), -5);
    EXPECT_EQ(parse_profile_int(u"0x10"), 0);
    EXPECT_EQ(parse_profile_int(u"12 34"), 12);
    EXPECT_EQ(parse_profile_int(u"007"), 7);
    EXPECT_EQ(parse_profile_int(u"-0"), 0);
}

TEST(ProfileInt, NoDigitsGivesZero) {
    EXPECT_EQ(parse_profile_int(u""), 0);
    EXPECT_EQ(parse_profile_int(u"abc"), 0);
    EXPECT_EQ(parse_profile_int(u"-"), 0);
    EXPECT_EQ(parse_profile_int(u"+-3"), 0);
    EXPECT_EQ(parse_profile_int(u"- 3"), 0);
    EXPECT_EQ(parse_profile_int(u"\n3"), 0);   // only space and tab are blanks
    EXPECT_EQ(parse_profile_int(u"１２"), 0);  // full-width digits are not digits
}

TEST(ProfileInt, SaturatesBeyond32Bits) {
    EXPECT_EQ(parse_profile_int(u"2147483647"), kMax);
    EXPECT_EQ(parse_profile_int(u"2147483648"), kMax);
    EXPECT_EQ(parse_profile_int(u"-2147483648"), kMin);
    EXPECT_EQ(parse_profile_int(u"-2147483649"), kMin);
    EXPECT_EQ(parse_profile_int(u"99999999999"), kMax);
    EXPECT_EQ(parse_profile_int(u"-99999999999"), kMin);
    EXPECT_EQ(parse_profile_int(std::u16string(5000, u'9')), kMax);
    EXPECT_EQ(parse_profile_int(u"000000000000000000000000042"), 42);
}

TEST(ProfileInt, TextsReadBack) {
    EXPECT_EQ(profile_int_text(0), u"0");
    EXPECT_EQ(profile_int_text(-13), u"-13");
    EXPECT_EQ(profile_int_text(400), u"400");
    for (std::int32_t v : {kMin, -1, 0, 1, 598, kMax}) {
        EXPECT_EQ(parse_profile_int(profile_int_text(v)), v);
    }
}

TEST(ProfileColor, WrittenAsSigned32BitAndReadBackToTheSameBits) {
    EXPECT_EQ(profile_color_text(255), u"255");
    EXPECT_EQ(profile_color_text(0xFFFFFFFFu), u"-1");
    EXPECT_EQ(profile_color_text(0x80000000u), u"-2147483648");
    for (ColorRef c : {0u, 255u, 0x00FF00FFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        EXPECT_EQ(parse_profile_color(profile_color_text(c)), c);
    }
    // An unsigned spelling beyond 31 bits saturates like any other integer.
    EXPECT_EQ(parse_profile_color(u"4294967295"), 0x7FFFFFFFu);
}

TEST(ProfileText, QuotedOnlyWhenTheReaderWouldLoseSomething) {
    EXPECT_EQ(profile_text_value(u"技術部"), u"技術部");
    EXPECT_EQ(profile_text_value(u""), u"");
    EXPECT_EQ(profile_text_value(u"a b"), u"a b");
    EXPECT_EQ(profile_text_value(u"\"a"), u"\"a");
    EXPECT_EQ(profile_text_value(u" a"), u"\" a\"");
    EXPECT_EQ(profile_text_value(u"a\t"), u"\"a\t\"");
    EXPECT_EQ(profile_text_value(u"\"a\""), u"\"\"a\"\"");
    EXPECT_EQ(profile_text_value(u"'a'"), u"\"'a'\"");
    // Japanese texts are padded with the ideographic space; other spaces count too.
    EXPECT_EQ(profile_text_value(u"\u3000営業部"), u"\"\u3000営業部\"");
    EXPECT_EQ(profile_text_value(u"営業部\u3000"), u"\"営業部\u3000\"");
    EXPECT_EQ(profile_text_value(u"\u00A0a\u2003"), u"\"\u00A0a\u2003\"");
    EXPECT_EQ(profile_text_value(u"営\u3000業"), u"営\u3000業");

    MemoryProfile store;
    for (std::u16string text : {u" a ", u"\"x\"", u"'y'", u"\"", u"  ", u"\"\"", u"a\"b", u"'"}) {
        store.write(u"S", u"K", profile_text_value(text));
        EXPECT_EQ(store.read(u"S", u"K"), text);
    }
}

}  // namespace
}  // namespace markomi
