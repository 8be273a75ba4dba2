#include "settings/profile_encoding.h"

#include <cstddef>

#include "base/u16_format.h"

namespace markomi {
namespace {

unsigned char byte_at(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

bool starts_with(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

namespace {

// What a UTF-8 reading of some bytes finds.
struct Utf8Scan {
    std::size_t invalid = 0;    // bytes outside any well-formed sequence
    std::size_t multibyte = 0;  // well-formed sequences of two to four bytes
    bool beyond_07ff = false;   // one of them is U+0800 or more
    std::size_t cut_tail = 0;   // bytes of a sequence cut off at the very end
};

Utf8Scan scan_utf8(std::string_view bytes) {
    Utf8Scan scan;
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned char b = byte_at(bytes, i);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra;
        // The range the second byte must fall in excludes overlong forms,
        // surrogates and code points past U+10FFFF.
        unsigned char low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            ++scan.invalid;
            ++i;
            continue;
        }
        bool ok = true;
        std::size_t k = 1;
        for (; k <= extra && i + k < bytes.size(); ++k) {
            unsigned char c = byte_at(bytes, i + k);
            if (k == 1 ? (c < low || c > high) : (c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
        }
        if (ok && k <= extra) {  // the bytes ran out in the middle of a sequence
            scan.cut_tail = bytes.size() - i;
            break;
        }
        if (!ok) {
            ++scan.invalid;
            ++i;
            continue;
        }
        ++scan.multibyte;
        if (extra >= 2) scan.beyond_07ff = true;
        i += extra + 1;
    }
    return scan;
}

// Shift-JIS, allowing one lead byte cut off from its trail at the very end.
bool is_shift_jis_but_for_a_cut(std::string_view bytes) {
    if (is_valid_shift_jis(bytes)) return true;
    if (bytes.empty()) return false;
    unsigned char last = byte_at(bytes, bytes.size() - 1);
    bool lead = (last >= 0x81 && last <= 0x9F) || (last >= 0xE0 && last <= 0xFC);
    return lead && is_valid_shift_jis(bytes.substr(0, bytes.size() - 1));
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
    Utf8Scan scan = scan_utf8(bytes);
    return scan.invalid == 0 && scan.cut_tail == 0;
}

bool is_valid_shift_jis(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned char b = byte_at(bytes, i);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) {
            ++i;
            continue;
        }
        bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (!lead || i + 1 >= bytes.size()) return false;
        unsigned char trail = byte_at(bytes, i + 1);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
        i += 2;
    }
    return true;
}

ProfileEncoding detect_profile_encoding(std::string_view bytes) {
    if (bytes.size() >= 2 && byte_at(bytes, 0) == 0xFF && byte_at(bytes, 1) == 0xFE)
        return ProfileEncoding::kUtf16Le;
    if (starts_with(bytes, kUtf8Signature)) return ProfileEncoding::kUtf8;
    Utf8Scan scan = scan_utf8(bytes);
    if (scan.multibyte == 0) return ProfileEncoding::kShiftJis;
    const bool shift_jis = is_shift_jis_but_for_a_cut(bytes);
    if (scan.invalid == 0) {
        return !scan.beyond_07ff && shift_jis ? ProfileEncoding::kShiftJis : ProfileEncoding::kUtf8;
    }
    // A stray byte or two in what is otherwise Japanese UTF-8: Shift-JIS
    // text read as UTF-8 breaks on nearly every character, never on so few.
    if (!shift_jis && scan.beyond_07ff && scan.invalid <= 3 && scan.multibyte > scan.invalid)
        return ProfileEncoding::kUtf8;
    return ProfileEncoding::kShiftJis;
}

std::u16string decode_utf8_profile(std::string_view bytes) {
    if (starts_with(bytes, kUtf8Signature)) bytes.remove_prefix(kUtf8Signature.size());
    bytes.remove_suffix(scan_utf8(bytes).cut_tail);
    return utf8_to_u16(bytes);
}

bool is_profile_text(std::u16string_view text) {
    return text.find(u'\0') == std::u16string_view::npos;
}

}  // namespace markomi
