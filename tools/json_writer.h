#pragma once
// A JSON text built value by value. The writer places the commas and
// escapes the strings, so a report assembled piece by piece from many
// probes stays one valid value whatever each probe found.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace markomi {

class JsonWriter {
public:
    // A value goes at the top level, into an open array, or after key().
    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    // The name of the next member of the open object.
    JsonWriter& key(std::u16string_view name);

    JsonWriter& string(std::u16string_view text);
    JsonWriter& number(std::int64_t value);
    // JSON has no NaN or infinity: such values are written as null (see
    // float_bits_text for keeping what they were).
    JsonWriter& real(double value);
    JsonWriter& real(float value);  // the shortest text that reads back as this float
    JsonWriter& boolean(bool value);
    JsonWriter& null();

    const std::u16string& text() const { return text_; }

private:
    void before_value();
    void open(char16_t bracket);
    void close(char16_t bracket);

    std::u16string text_;
    std::vector<bool> empty_;  // per open object or array: nothing in it yet
    bool after_key_ = false;
};

// The raw bits of a float as "0x" and eight hex digits: a reader can tell a
// NaN's payload, an infinity or garbage apart where the number itself is null.
std::u16string float_bits_text(float value);

}  // namespace markomi
