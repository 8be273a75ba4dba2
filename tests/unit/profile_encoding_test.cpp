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
    // "部署=1" happens to be valid Shift-JIS too; as UTF-8 it holds a
    // character beyond U+07FF, which Shift-JIS text almost never does.
    EXPECT_EQ(detect_profile_encoding(kBushoUtf8 + "=1\r\n"), ProfileEncoding::kUtf8);
    EXPECT_EQ(detect_profile_encoding(std::string(kUtf8Signature) + kBushoUtf8 + "=1\r\n"),
              ProfileEncoding::kUtf8);
    // The signature means UTF-8 always: its bad bytes decode as U+FFFD.
    EXPECT_EQ(detect_profile_encoding(std::string(kUtf8Signature) + kBushoSjis),
              ProfileEncoding::kUtf8);
}

// 総務部 (UTF-8) and ﾃｽﾄ-like half-width pairs that also read as UTF-8.
TEST(ProfileEncoding, CutAndStrayBytesDoNotChangeTheVerdict) {
    const std::string somubu = "\xE7\xB7\x8F\xE5\x8B\x99\xE9\x83\xA8";
    struct Case {
        std::string bytes;
        ProfileEncoding expected;
        std::u16string text;  // decoded, for UTF-8 verdicts
    } cases[] = {
        // Half-width katakana ﾃｩ are C3 A9, also UTF-8 for U+00E9: Shift-JIS.
        {"NAME=\xC3\xA9\xC3\xB1\r\n", ProfileEncoding::kShiftJis, u""},
        // ... but not when they are no Shift-JIS (A0 is no Shift-JIS byte).
        {"NAME=\xC2\xA0\r\n", ProfileEncoding::kUtf8, u"NAME=\u00A0\r\n"},
        // A character cut off at the end: one or two of its three bytes.
        {"BUSHO=" + somubu + "\xE9", ProfileEncoding::kUtf8, u"BUSHO=総務部"},
        {"BUSHO=" + somubu + "\xE9\x83", ProfileEncoding::kUtf8, u"BUSHO=総務部"},
        // One stray byte in UTF-8 Japanese, with and without the signature.
        {"BUSHO=" + somubu + "\xFF=" + kBushoUtf8, ProfileEncoding::kUtf8, u"BUSHO=総務部\uFFFD=部署"},
        {std::string(kUtf8Signature) + "BUSHO=\x81" + somubu, ProfileEncoding::kUtf8, u"BUSHO=\uFFFD総務部"},
        // Shift-JIS cut after a lead byte stays Shift-JIS.
        {"NAME=" + kBushoSjis + "\x95", ProfileEncoding::kShiftJis, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detect_profile_encoding(c.bytes), c.expected) << c.bytes;
        if (c.expected == ProfileEncoding::kUtf8) {
            EXPECT_EQ(decode_utf8_profile(c.bytes), c.text) << c.bytes;
        }
    }
    EXPECT_TRUE(is_profile_text(u"[MARKOMI]\r\nNAME=x\r\n"));
    EXPECT_FALSE(is_profile_text(std::u16string(16, u'\0')));
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
