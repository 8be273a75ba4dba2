// The encoding of a settings file someone edited or replaced, and the text
// its bytes decode to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/u16_format.h"
#include "settings/profile_encoding.h"

namespace {

// UTF-16 that a Windows text function accepts: every surrogate paired.
bool well_formed(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xDC00 && c <= 0xDFFF) return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const markomi::ProfileEncoding encoding = markomi::detect_profile_encoding(bytes);
    markomi::is_valid_shift_jis(bytes);
    const std::u16string text = markomi::decode_utf8_profile(bytes);
    markomi::is_profile_text(text);
    if (!well_formed(text)) std::abort();
    if (bytes.substr(0, 3) == markomi::kUtf8Signature) {
        if (encoding != markomi::ProfileEncoding::kUtf8) std::abort();
        bytes.remove_prefix(3);
    }
    // Sound UTF-8 decodes to exactly its characters.
    if (markomi::is_valid_utf8(bytes) && markomi::u16_to_utf8(text) != bytes) std::abort();
    return 0;
}
