#include "settings/profile_value.h"

#include <limits>

#include "base/u16_format.h"

namespace markomi {

std::int32_t parse_profile_int(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // The magnitude stops growing just past 2^31, enough to decide saturation
    // for either sign without overflowing on any number of digits.
    constexpr std::int64_t kCap = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (magnitude <= kCap) magnitude = magnitude * 10 + (text[i] - u'0');
    }
    if (negative) {
        return magnitude >= kCap ? std::numeric_limits<std::int32_t>::min()
                                 : static_cast<std::int32_t>(-magnitude);
    }
    return magnitude >= kCap ? std::numeric_limits<std::int32_t>::max()
                             : static_cast<std::int32_t>(magnitude);
}

std::u16string profile_int_text(std::int64_t value) {
    return decimal_text(value);
}

std::u16string profile_color_text(ColorRef color) {
    return decimal_text(static_cast<std::int32_t>(color));
}

ColorRef parse_profile_color(std::u16string_view text) {
    return static_cast<ColorRef>(parse_profile_int(text));
}

bool is_profile_space(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20 || c == 0x85 || c == 0xA0 ||
           c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

std::u16string profile_text_value(std::u16string_view text) {
    auto blank = is_profile_space;
    auto quote = [](char16_t c) { return c == u'"' || c == u'\''; };
    bool loses_something =
        !text.empty() && (blank(text.front()) || blank(text.back()) ||
                          (text.size() >= 2 && quote(text.front()) && text.back() == text.front()));
    if (!loses_something) return std::u16string(text);
    std::u16string out;
    out.reserve(text.size() + 2);
    out += u'"';
    out += text;
    out += u'"';
    return out;
}

}  // namespace markomi
