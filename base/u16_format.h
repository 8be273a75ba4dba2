#pragma once
// Small UTF-16 formatting helpers for the portable core (there is no
// printf for char16_t). They cover the %d, %02d, %2u, %ld and %f cases the
// program's texts use.
#include <cstdint>
#include <string>
#include <string_view>

namespace markomi {

// Appends `value` in decimal, padded on the left with `pad` to at least
// `min_width` characters (the sign counts towards the width, as in printf).
void append_decimal(std::u16string& out, std::int64_t value, int min_width = 0, char16_t pad = u'0');

// `value` in decimal, as "%d" / "%ld" would print it.
std::u16string decimal_text(std::int64_t value);

// `value` as "%f" prints it (six decimals).
std::u16string fixed6_text(double value);

// Widens an ASCII text.
std::u16string ascii_to_u16(std::string_view ascii);

// UTF-16 to UTF-8 and back (unpaired surrogates become U+FFFD); for tests and logs.
std::string u16_to_utf8(std::u16string_view text);
std::u16string utf8_to_u16(std::string_view text);

}  // namespace markomi
