#pragma once
// A strict JSON reader for the tests of what the programs print: exactly
// one value in the grammar of RFC 8259, UTF-8 text, no name twice in an
// object. Strings come back decoded, as UTF-8.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace markomi::testing {

struct JsonValue {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    bool boolean = false;
    double number = 0;
    std::string text;                                        // kString
    std::vector<JsonValue> items;                            // kArray
    std::vector<std::pair<std::string, JsonValue>> members;  // kObject, in order

    // The member of that name; null when there is none or this is no object.
    const JsonValue* find(const std::string& name) const;
};

// The value the whole text holds (whitespace around it allowed); nullopt,
// with where and what in `error`, when it is not exactly one valid value.
std::optional<JsonValue> parse_json(const std::string& text, std::string* error);

}  // namespace markomi::testing
