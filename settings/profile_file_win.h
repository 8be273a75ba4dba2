#pragma once
// The bytes of profile files without the UTF-16 mark. Shift-JIS is decoded
// and encoded through code page 932 itself, not the system's ANSI code page,
// which is 932 only on Japanese Windows without the UTF-8 option: elsewhere
// Japanese keys and values would come in garbled and be saved that way.
#include <string>
#include <string_view>

#include "settings/profile_encoding.h"

namespace markomi {

// Text of a file's bytes: Shift-JIS through code page 932, UTF-8 as
// decode_utf8_profile reads it, UTF-16LE without its mark (an odd last byte
// of a cut file is dropped).
std::u16string decode_profile_bytes(std::string_view bytes, ProfileEncoding encoding);

// Bytes of `text` in `encoding`: UTF-16LE with FF FE, UTF-8 with the
// signature when asked. `exact`, when given, is set false when a character
// has no form in the encoding (only Shift-JIS can lack one).
std::string encode_profile_text(std::u16string_view text, ProfileEncoding encoding,
                                bool utf8_signature, bool* exact = nullptr);

}  // namespace markomi
