#include <gtest/gtest.h>

#include "base/u16_format.h"
#include "output/pdf_sign/cms_attributes.h"

namespace markomi {
namespace {

std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

// Lengths from 128 up take the long form with as few bytes as they need.
TEST(CmsAttributes, ElementLengthsUseTheShortOrTheLongForm) {
    const std::vector<std::pair<std::size_t, std::string>> rows = {
        {0, bytes({0x04, 0x00})},
        {127, bytes({0x04, 0x7F})},
        {128, bytes({0x04, 0x81, 0x80})},
        {255, bytes({0x04, 0x81, 0xFF})},
        {256, bytes({0x04, 0x82, 0x01, 0x00})},
        {70000, bytes({0x04, 0x83, 0x01, 0x11, 0x70})},
    };
    for (const auto& [n, head] : rows) {
        const std::string e = der_element(0x04, std::string(n, 'x'));
        EXPECT_EQ(e.substr(0, head.size()), head) << n;
        EXPECT_EQ(e.size(), head.size() + n) << n;
    }
}

// SEQUENCE { SEQUENCE OF { ESSCertIDv2 { certHash } } }, no hash algorithm.
TEST(CmsAttributes, SigningCertificateV2HoldsTheCertificatesHashAlone) {
    std::string hash;
    for (int i = 0; i < 32; ++i) hash.push_back(static_cast<char>(0xE0 + i));
    EXPECT_EQ(signing_certificate_v2_value(hash), bytes({0x30, 0x26, 0x30, 0x24, 0x30, 0x22, 0x04, 0x20}) + hash);
}

// The local time goes to UTC across a day, a month, a year and a leap day;
// UTCTime until 2049, GeneralizedTime outside 1950..2049.
TEST(CmsAttributes, SigningTimeIsWrittenInUtc) {
    const std::vector<std::pair<SigningTime, std::string>> rows = {
        {{2027, 1, 1, 8, 59, 7, 540}, "\x17\x0D" "261231235907Z"},
        {{2026, 12, 31, 20, 0, 0, -300}, "\x17\x0D" "270101010000Z"},
        {{2028, 3, 1, 2, 0, 0, 540}, "\x17\x0D" "280229170000Z"},
        {{2026, 12, 9, 10, 31, 0, 0}, "\x17\x0D" "261209103100Z"},
        {{2050, 1, 1, 8, 0, 0, 540}, "\x17\x0D" "491231230000Z"},
        {{2050, 1, 1, 9, 0, 0, 540}, "\x18\x0F" "20500101000000Z"},
        {{1950, 1, 1, 0, 0, 0, 0}, "\x17\x0D" "500101000000Z"},
        {{1950, 1, 1, 0, 0, 0, 60}, "\x18\x0F" "19491231230000Z"},
        {{2100, 3, 1, 0, 30, 0, 60}, "\x18\x0F" "21000228233000Z"},
        {{2000, 3, 1, 8, 0, 0, 540}, "\x17\x0D" "000229230000Z"},
        {{2027, 2, 1, 3, 0, 0, 540}, "\x17\x0D" "270131180000Z"},
        {{2028, 2, 29, 0, 0, 0, -1440}, "\x17\x0D" "280301000000Z"},
        {{2026, 1, 2, 0, 0, 0, 1440}, "\x17\x0D" "260101000000Z"},
        {{9999, 12, 31, 12, 0, 0, 0}, "\x18\x0F" "99991231120000Z"},
        {{2026, 7, 1, 9, 0, 0, 540}, "\x17\x0D" "260701000000Z"},
    };
    for (const auto& [t, der] : rows) EXPECT_EQ(signing_time_value(t).value_or("none"), der) << t.year << t.hour;
    for (const SigningTime& bad : std::vector<SigningTime>{
             {2026, 2, 29, 0, 0, 0, 0}, {2026, 4, 31, 0, 0, 0, 0}, {2026, 13, 1, 0, 0, 0, 0},
             {2026, 1, 0, 0, 0, 0, 0}, {2026, 1, 1, 24, 0, 0, 0}, {2026, 1, 1, 0, 60, 0, 0},
             {2026, 1, 1, 0, 0, 60, 0}, {2026, 1, 1, 0, 0, -1, 0}, {2026, 1, 1, 0, 0, 0, 1441},
             {2026, 1, 1, 0, 0, 0, -1441}, {2100, 2, 29, 0, 0, 0, 0}, {10000, 1, 1, 0, 0, 0, 0},
             {1, 1, 1, 0, 0, 0, 60}, {0, 1, 1, 0, 0, 0, 0}})
        EXPECT_FALSE(signing_time_value(bad)) << bad.year << '-' << bad.month << '-' << bad.day;
    // Every month's last day, in a common and a leap year, and not the day after.
    const int kLast[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int year : {2026, 2024})
        for (int month = 1; month <= 12; ++month) {
            const int last = kLast[month - 1] + (month == 2 && year == 2024);
            EXPECT_TRUE(signing_time_value({year, month, last, 0, 0, 0, 0})) << year << '-' << month;
            EXPECT_FALSE(signing_time_value({year, month, last + 1, 0, 0, 0, 0})) << year << '-' << month;
        }
}

// The department and name lines are values, whatever signs they hold.
TEST(CmsAttributes, SubjectNamesCarryTheLinesAsUtf8Values) {
    const std::string cn = u16_to_utf8(u"佐藤, \"花子\"");
    const std::string cn_set = bytes({0x31, 0x19, 0x30, 0x17, 0x06, 0x03, 0x55, 0x04, 0x03, 0x0C, 0x10}) + cn;
    EXPECT_EQ(subject_name(cn, ""), bytes({0x30, 0x1B}) + cn_set);
    EXPECT_EQ(subject_name(cn, "O=x"),
              bytes({0x30, 0x29}) + cn_set +
                  bytes({0x31, 0x0C, 0x30, 0x0A, 0x06, 0x03, 0x55, 0x04, 0x0A, 0x0C, 0x03}) + "O=x");
    EXPECT_FALSE(subject_name("", "総務部"));
}

TEST(CmsAttributes, ThumbprintsAreFortyHexDigitsInAnyCase) {
    const std::u16string upper = u"0123456789ABCDEF0123456789ABCDEFA0B1C2D3";
    EXPECT_EQ(parse_thumbprint(u"01 23 45 67 89 ab cd ef 01 23 45 67 89 AB CD EF a0 b1 c2 d3"), upper);
    EXPECT_EQ(upper_hex(thumbprint_bytes(upper)), upper);
    EXPECT_EQ(thumbprint_bytes(upper).substr(0, 2), bytes({0x01, 0x23}));
    for (const std::u16string& bad : {upper.substr(1), upper + u"0", u"G" + upper.substr(1), upper.substr(1) + u"/",
                                      upper.substr(1) + u":", upper.substr(1) + u"@", std::u16string(u"")})
        EXPECT_FALSE(parse_thumbprint(bad)) << u16_to_utf8(bad);
}

}  // namespace
}  // namespace markomi
