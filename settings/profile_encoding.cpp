#include "settings/profile_encoding.h"

#include <cstddef>

namespace markomi {
namespace {

unsigned char byte_at(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

bool starts_with(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
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
            return false;
        }
        if (i + extra >= bytes.size()) return false;
        unsigned char second = byte_at(bytes, i + 1);
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k <= extra; ++k) {
            if ((byte_at(bytes, i + k) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
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
    if (!is_valid_utf8(bytes)) return ProfileEncoding::kShiftJis;
    if (starts_with(bytes, kUtf8Signature) || !is_valid_shift_jis(bytes))
        return ProfileEncoding::kUtf8;
    return ProfileEncoding::kShiftJis;
}

}  // namespace markomi
