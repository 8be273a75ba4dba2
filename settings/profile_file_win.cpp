#include "settings/profile_file_win.h"

#include <windows.h>

#include <climits>

#include "base/u16_format.h"
#include "base/wide_text_win.h"

namespace markomi {
namespace {

// Shift-JIS as Windows lays it out, wherever the program runs.
constexpr UINT kShiftJisCodePage = 932;

constexpr unsigned char kUtf16Mark[2] = {0xFF, 0xFE};

}  // namespace

std::u16string decode_profile_bytes(std::string_view bytes, ProfileEncoding encoding) {
    switch (encoding) {
        case ProfileEncoding::kUtf16Le: {
            if (bytes.size() >= 2 && bytes.substr(0, 2) == std::string_view("\xFF\xFE", 2))
                bytes.remove_prefix(2);
            std::u16string text(bytes.size() / 2, u'\0');
            for (std::size_t i = 0; i < text.size(); ++i) {
                text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
            }
            return text;
        }
        case ProfileEncoding::kUtf8: return decode_utf8_profile(bytes);
        case ProfileEncoding::kShiftJis: break;
    }
    if (bytes.empty() || bytes.size() > INT_MAX) return std::u16string();
    int n = MultiByteToWideChar(kShiftJisCodePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                nullptr, 0);
    std::wstring text(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(kShiftJisCodePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                            text.data(), n);
    return std::u16string(as_u16(text));
}

std::string encode_profile_text(std::u16string_view text, ProfileEncoding encoding,
                                bool utf8_signature, bool* exact) {
    if (exact) *exact = true;
    switch (encoding) {
        case ProfileEncoding::kUtf16Le: {
            std::string bytes(reinterpret_cast<const char*>(kUtf16Mark), 2);
            for (char16_t c : text) {
                bytes.push_back(static_cast<char>(c & 0xFF));
                bytes.push_back(static_cast<char>(c >> 8));
            }
            return bytes;
        }
        case ProfileEncoding::kUtf8:
            return (utf8_signature ? std::string(kUtf8Signature) : std::string()) + u16_to_utf8(text);
        case ProfileEncoding::kShiftJis: break;
    }
    if (text.empty() || text.size() > INT_MAX / 2) return std::string();
    const wchar_t* wide = as_wide(text.data());
    // No best fit: a character without a Shift-JIS form must be noticed, not
    // quietly turned into a look-alike.
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide,
                                static_cast<int>(text.size()), nullptr, 0, nullptr, &lost);
    std::string bytes(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide,
                            static_cast<int>(text.size()), bytes.data(), n, nullptr, &lost);
    if (exact) *exact = n > 0 && !lost;
    return bytes;
}

}  // namespace markomi
