#include <gtest/gtest.h>

#include "base/fixed_text.h"
#include "base/u16_format.h"

namespace markomi {
namespace {

TEST(FixedText, CutsToCapacityWithoutSplittingSurrogatePairs) {
    FixedText<3> t(u"abcdef");
    EXPECT_EQ(t.view(), u"abc");
    EXPECT_EQ(t.c_str()[3], 0);
    // U+20BB7 is a surrogate pair; cutting after its first half drops the half.
    FixedText<3> s(u"ab\U00020BB7");
    EXPECT_EQ(s.view(), u"ab");
    FixedText<4> whole(u"ab\U00020BB7");
    EXPECT_EQ(whole.size(), 4u);
    FixedText<0> none(u"x");
    EXPECT_TRUE(none.empty());
}

TEST(U16Format, DecimalsPadLikePrintf) {
    std::u16string out;
    append_decimal(out, 5, 2);
    append_decimal(out, -5, 3);
    append_decimal(out, 7, 2, u' ');
    append_decimal(out, INT64_MIN);
    EXPECT_EQ(out, u"05-05 7-9223372036854775808");
    EXPECT_EQ(fixed6_text(87.0f), u"87.000000");
}

TEST(U16Format, Utf8RoundTripAndBadBytes) {
    std::u16string jp = u"技術部\U00020BB7";
    EXPECT_EQ(utf8_to_u16(u16_to_utf8(jp)), jp);
    EXPECT_EQ(utf8_to_u16("\xE6\x8A"), u"\uFFFD\uFFFD");
    // An encoded surrogate, an overlong slash, a value past U+10FFFF: each byte one U+FFFD.
    EXPECT_EQ(utf8_to_u16("\xED\xA0\x80|\xC0\xAF|\xF4\x90\x80\x80"),
              u"\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(u16_to_utf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace markomi
