#include <gtest/gtest.h>

#include <string>

#include "settings/profile_encoding.h"

namespace markomi {
namespace {

// 部署 / 日付 as Shift-JIS and as UTF-8 bytes.
const std::string kBushoSjis = "\x95\x94\x8F\x90";
const std::string kBushoUtf8 = "\xE9\x83\xA8\xE7\xBD\xB2";
const std::string kHizukeUtf8 = "\xE6\x97\xA5\xE4\xBB\x98";

TEST(ProfileEncoding, ShiftJisUnlessTheBytesCanOnlyBeUtf8) {
    EXPECT_EQ(detect_profile_encoding("\xFF\xFE[\0"), ProfileEncoding::kUtf16Le);
    EXPECT_EQ(detect_profile_encoding(""), ProfileEncoding::kShiftJis);
    EXPECT_EQ(detect_profile_encoding("[ENABLE]\r\nA=1\r\n"), ProfileEncoding::kShiftJis);
    EXPECT_EQ(detect_profile_encoding("[ENABLE]\r\n" + kBushoSjis + "=1\r\n"), ProfileEncoding::kShiftJis);
    // Half-width katakana and user files with stray bytes stay Shift-JIS.
    EXPECT_EQ(detect_profile_encoding("NAME=\xB1\xB2\xB3\r\n"), ProfileEncoding::kShiftJis);
    EXPECT_EQ(detect_profile_encoding("NAME=\xFF\x80\r\n"), ProfileEncoding::kShiftJis);

    // "日付=" cannot be Shift-JIS (0x98 is a lead byte, '=' no trail byte).
    EXPECT_EQ(detect_profile_encoding("[ENABLE]\r\n" + kHizukeUtf8 + "=0\r\n"), ProfileEncoding::kUtf8);
    // "部署=1" happens to be valid Shift-JIS too: only the signature decides.
    EXPECT_EQ(detect_profile_encoding(kBushoUtf8 + "=1\r\n"), ProfileEncoding::kShiftJis);
    EXPECT_EQ(detect_profile_encoding(std::string(kUtf8Signature) + kBushoUtf8 + "=1\r\n"),
              ProfileEncoding::kUtf8);
    // A signature before bytes that are no UTF-8 is just Shift-JIS text.
    EXPECT_EQ(detect_profile_encoding(std::string(kUtf8Signature) + kBushoSjis),
              ProfileEncoding::kShiftJis);
}

TEST(ProfileEncoding, Utf8MustBeWellFormed) {
    EXPECT_TRUE(is_valid_utf8(kBushoUtf8 + "a\xC3\xA9\xF0\x9F\x98\x80"));
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(is_valid_utf8("\xE0\x80\xAF"));      // overlong
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(is_valid_utf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(is_valid_utf8("\xE6\x97"));          // cut off
    EXPECT_FALSE(is_valid_utf8("\xE6\x97\x41"));
    EXPECT_FALSE(is_valid_utf8("\x95"));
}

TEST(ProfileEncoding, ShiftJisMustBeWellFormed) {
    EXPECT_TRUE(is_valid_shift_jis(kBushoSjis + "\xB1\x81\x40\xFC\xFC\xE0\x80"));
    EXPECT_FALSE(is_valid_shift_jis("\x80"));
    EXPECT_FALSE(is_valid_shift_jis("\xA0"));
    EXPECT_FALSE(is_valid_shift_jis("\xFD"));
    EXPECT_FALSE(is_valid_shift_jis("a\x95"));      // lead byte at the end
    EXPECT_FALSE(is_valid_shift_jis("\x95\x7F"));   // no trail byte
    EXPECT_FALSE(is_valid_shift_jis("\x95\x3D"));
    EXPECT_FALSE(is_valid_shift_jis("\x95\xFD"));
}

}  // namespace
}  // namespace markomi
