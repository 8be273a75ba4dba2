#include "output/pdf_sign/cms_attributes.h"

#include <cstdint>

namespace markomi {
namespace {

constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kSet = 0x31;
constexpr unsigned char kOctetString = 0x04;
constexpr unsigned char kUtf8String = 0x0C;
constexpr unsigned char kUtcTime = 0x17;
constexpr unsigned char kGeneralizedTime = 0x18;

// Object identifiers 2.5.4.3 (commonName) and 2.5.4.10 (organizationName),
// tag and length included.
constexpr char kCommonName[] = "\x06\x03\x55\x04\x03";
constexpr char kOrganisation[] = "\x06\x03\x55\x04\x0A";

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int month_days(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t days_from_civil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civil_from_days(std::int64_t z, int* y, int* m, int* d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

void append_two(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + v / 10 % 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

std::string name_part(const char* oid, std::string_view value) {
    return der_element(kSet, der_element(kSequence, std::string(oid, 5) + der_element(kUtf8String, value)));
}

int hex_value(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

}  // namespace

std::string der_element(unsigned char tag, std::string_view content) {
    std::string out(1, static_cast<char>(tag));
    const std::size_t n = content.size();
    if (n < 0x80) {
        out.push_back(static_cast<char>(n));
    } else {
        std::string digits;
        for (std::size_t rest = n; rest != 0; rest >>= 8) digits.insert(digits.begin(), static_cast<char>(rest & 0xFF));
        out.push_back(static_cast<char>(0x80 | digits.size()));
        out += digits;
    }
    out.append(content.data(), content.size());
    return out;
}

std::string signing_certificate_v2_value(std::string_view certificate_sha256) {
    const std::string ess_cert_id = der_element(kSequence, der_element(kOctetString, certificate_sha256));
    return der_element(kSequence, der_element(kSequence, ess_cert_id));
}

std::optional<std::string> signing_time_value(const SigningTime& t) {
    if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > month_days(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
        t.minute > 59 || t.second < 0 || t.second > 59 || t.utc_offset_minutes < -24 * 60 ||
        t.utc_offset_minutes > 24 * 60)
        return std::nullopt;
    const std::int64_t local = (days_from_civil(t.year, t.month, t.day) * 24 + t.hour) * 60 + t.minute;
    const std::int64_t utc = local - t.utc_offset_minutes;
    const std::int64_t day = utc >= 0 ? utc / 1440 : -((-utc + 1439) / 1440);
    const int minutes = static_cast<int>(utc - day * 1440);
    int y = 0, m = 0, d = 0;
    civil_from_days(day, &y, &m, &d);
    if (y < 1 || y > 9999) return std::nullopt;
    const bool utc_time = y >= 1950 && y <= 2049;
    std::string text;
    if (!utc_time) append_two(text, y / 100);
    append_two(text, y % 100);
    append_two(text, m);
    append_two(text, d);
    append_two(text, minutes / 60);
    append_two(text, minutes % 60);
    append_two(text, t.second);
    text.push_back('Z');
    return der_element(utc_time ? kUtcTime : kGeneralizedTime, text);
}

std::optional<std::string> subject_name(std::string_view cn_utf8, std::string_view organisation_utf8) {
    if (cn_utf8.empty()) return std::nullopt;
    std::string parts = name_part(kCommonName, cn_utf8);
    if (!organisation_utf8.empty()) parts += name_part(kOrganisation, organisation_utf8);
    return der_element(kSequence, parts);
}

std::u16string upper_hex(std::string_view bytes) {
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
    }
    return out;
}

std::optional<std::u16string> parse_thumbprint(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u' ') continue;
        const int v = hex_value(c);
        if (v < 0 || out.size() == 40) return std::nullopt;
        out.push_back(u"0123456789ABCDEF"[v]);
    }
    if (out.size() != 40) return std::nullopt;
    return out;
}

std::string thumbprint_bytes(std::u16string_view thumbprint) {
    std::string out;
    for (std::size_t i = 0; i + 1 < thumbprint.size(); i += 2)
        out.push_back(static_cast<char>(hex_value(thumbprint[i]) * 16 + hex_value(thumbprint[i + 1])));
    return out;
}

}  // namespace markomi
