#include "tools/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "base/u16_format.h"
#include "tools/companion_args.h"

namespace markomi {
namespace {

template <typename T>
std::u16string shortest_text(T value) {
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ascii_to_u16(std::string_view(buffer, static_cast<std::size_t>(r.ptr - buffer)));
}

}  // namespace

void JsonWriter::before_value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back()) text_ += u',';
        empty_.back() = false;
    }
}

void JsonWriter::open(char16_t bracket) {
    before_value();
    text_ += bracket;
    empty_.push_back(true);
}

void JsonWriter::close(char16_t bracket) {
    if (!empty_.empty()) empty_.pop_back();
    text_ += bracket;
}

JsonWriter& JsonWriter::begin_object() {
    open(u'{');
    return *this;
}

JsonWriter& JsonWriter::end_object() {
    close(u'}');
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    open(u'[');
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    close(u']');
    return *this;
}

JsonWriter& JsonWriter::key(std::u16string_view name) {
    before_value();
    text_ += json_string(name);
    text_ += u':';
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::u16string_view value) {
    before_value();
    text_ += json_string(value);
    return *this;
}

JsonWriter& JsonWriter::number(std::int64_t value) {
    before_value();
    text_ += decimal_text(value);
    return *this;
}

JsonWriter& JsonWriter::real(double value) {
    before_value();
    text_ += std::isfinite(value) ? shortest_text(value) : u"null";
    return *this;
}

JsonWriter& JsonWriter::real(float value) {
    before_value();
    text_ += std::isfinite(value) ? shortest_text(value) : u"null";
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    before_value();
    text_ += value ? u"true" : u"false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    before_value();
    text_ += u"null";
    return *this;
}

std::u16string float_bits_text(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    static const char16_t kHex[] = u"0123456789abcdef";
    std::u16string text = u"0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(bits >> shift) & 15];
    return text;
}

}  // namespace markomi
