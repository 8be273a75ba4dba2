#pragma once
// Value syntax of the INI files: signed decimal integers and colours.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings_record.h"

namespace markomi {

// Leading blanks (space, tab), an optional sign, then decimal digits up to the
// first other character. No digits gives 0 ("abc", "0x10" -> 0, "-5x" -> -5).
// A magnitude beyond 32 bits saturates to INT32_MIN / INT32_MAX, so that the
// clamping that follows treats an absurd value like the nearest range end.
std::int32_t parse_profile_int(std::u16string_view text);

// Signed decimal, as "%d" / "%ld" print it.
std::u16string profile_int_text(std::int64_t value);

// Colours are stored as the signed 32-bit reading of their bits
// (0xFFFFFFFF is "-1"), and read back to the same bits.
std::u16string profile_color_text(ColorRef color);
ColorRef parse_profile_color(std::u16string_view text);

// White space that a profile reader may drop from either end of a value:
// the platform's reader takes every Unicode space (the ideographic space
// U+3000 of Japanese texts included) and ^Z; the list errs on the wide side,
// since a needless pair of quotes costs nothing.
bool is_profile_space(char16_t c);

// The form in which a text value is written so that the profile reader,
// which drops surrounding white space and one pair of enclosing quotes, gives
// back exactly `text`: the text itself, or the text in double quotes when it
// begins or ends with white space or is itself enclosed in quotes.
std::u16string profile_text_value(std::u16string_view text);

}  // namespace markomi
