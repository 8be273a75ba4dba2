#include "output/pdf_sign/ber_length.h"

namespace markomi {
namespace {

constexpr int kDeepest = 64;

// The end of the element at `at`, or 0 when there is none.
std::size_t element_end(std::string_view b, std::size_t at, int depth) {
    if (depth > kDeepest || at >= b.size()) return 0;
    const unsigned char tag = static_cast<unsigned char>(b[at++]);
    if ((tag & 0x1f) == 0x1f) {  // a tag number in further bytes
        for (int i = 0;; ++i) {
            if (i == 4 || at >= b.size()) return 0;
            if ((static_cast<unsigned char>(b[at++]) & 0x80) == 0) break;
        }
    }
    if (at >= b.size()) return 0;
    const unsigned char first = static_cast<unsigned char>(b[at++]);
    if (first == 0x80) {  // indefinite: constructed contents up to 00 00
        if ((tag & 0x20) == 0) return 0;
        while (at + 1 < b.size()) {
            if (b[at] == 0 && b[at + 1] == 0) return at + 2;
            at = element_end(b, at, depth + 1);
            if (at == 0) return 0;
        }
        return 0;
    }
    std::size_t length = first;
    if (first > 0x80) {
        const int count = first & 0x7f;
        if (count > 4) return 0;  // beyond any signature's room
        length = 0;
        for (int i = 0; i < count; ++i, ++at) {
            if (at >= b.size()) return 0;
            length = (length << 8) | static_cast<unsigned char>(b[at]);
        }
    }
    return length <= b.size() - at ? at + length : 0;
}

}  // namespace

std::size_t ber_element_length(std::string_view bytes) {
    return element_end(bytes, 0, 0);
}

}  // namespace markomi
