#pragma once
// Which encoding the bytes of an INI file are in. A file without the UTF-16
// mark is Shift-JIS (code page 932) whatever code page the system runs
// under; a file that can only be UTF-8 is read as UTF-8.
#include <string>
#include <string_view>

namespace markomi {

enum class ProfileEncoding {
    kUtf16Le,   // begins with FF FE
    kShiftJis,  // code page 932; also plain ASCII, empty files and garbage
    kUtf8,      // see detect_profile_encoding
};

// FF FE gives UTF-16LE; the UTF-8 signature EF BB BF gives UTF-8 always
// (bytes that are not UTF-8 then decode as U+FFFD). Otherwise the bytes are
// read as UTF-8 when they are UTF-8 with at least one multi-byte sequence:
// Japanese written as UTF-8 is very often valid Shift-JIS too, while
// Shift-JIS text is almost never valid UTF-8. The exception is a UTF-8
// reading that yields nothing beyond U+07FF (as pairs of half-width katakana
// do) of bytes that are valid Shift-JIS: those stay Shift-JIS. A character
// cut off at the very end (one to three bytes) does not change the verdict,
// and neither do up to three stray bytes in a file that is not Shift-JIS at
// all. Everything else (plain ASCII, empty files, garbage) is Shift-JIS, as
// the file format has always been.
ProfileEncoding detect_profile_encoding(std::string_view bytes);

// The text of UTF-8 bytes: the signature dropped, a character cut off at the
// very end dropped, other bytes that are not UTF-8 as U+FFFD.
std::u16string decode_utf8_profile(std::string_view bytes);

// False for bytes that decoded into something no editor writes: a NUL (a
// file of zeros after a power cut, a binary file put in its place).
bool is_profile_text(std::u16string_view text);

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool is_valid_utf8(std::string_view bytes);

// Well-formed Shift-JIS as code page 932 lays it out: single bytes 00-7F and
// A1-DF; lead bytes 81-9F and E0-FC, each followed by a trail byte 40-7E or
// 80-FC. 80, A0, FD-FF and a lead byte without its trail are not.
bool is_valid_shift_jis(std::string_view bytes);

// The UTF-8 signature, dropped when a file is decoded.
constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";

}  // namespace markomi
