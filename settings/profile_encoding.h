#pragma once
// Which encoding the bytes of an INI file are in. A file without the UTF-16
// mark is Shift-JIS (code page 932) whatever code page the system runs
// under; a file that can only be UTF-8 is read as UTF-8.
#include <string_view>

namespace markomi {

enum class ProfileEncoding {
    kUtf16Le,   // begins with FF FE
    kShiftJis,  // code page 932; also plain ASCII, empty files and garbage
    kUtf8,      // see detect_profile_encoding
};

// FF FE gives UTF-16LE. The UTF-8 signature EF BB BF followed by valid UTF-8
// gives UTF-8 (no Shift-JIS text begins with those three bytes by intent),
// and so does valid UTF-8 that is not valid Shift-JIS. Everything else is
// Shift-JIS: text valid as both (plain ASCII, and short Japanese texts can be)
// stays Shift-JIS, as the file format has always been.
ProfileEncoding detect_profile_encoding(std::string_view bytes);

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool is_valid_utf8(std::string_view bytes);

// Well-formed Shift-JIS as code page 932 lays it out: single bytes 00-7F and
// A1-DF; lead bytes 81-9F and E0-FC, each followed by a trail byte 40-7E or
// 80-FC. 80, A0, FD-FF and a lead byte without its trail are not.
bool is_valid_shift_jis(std::string_view bytes);

// The UTF-8 signature, dropped when a file is decoded.
constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";

}  // namespace markomi
