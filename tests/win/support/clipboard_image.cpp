#include "support/clipboard_image.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace markomi::testing {

std::vector<unsigned char> clipboard_block_bytes(HANDLE block) {
    const SIZE_T size = block ? GlobalSize(block) : 0;
    const auto* at = static_cast<const unsigned char*>(block ? GlobalLock(block) : nullptr);
    if (!at) return {};
    std::vector<unsigned char> bytes(at, at + size);
    GlobalUnlock(block);
    return bytes;
}

bool starts_with(const std::vector<unsigned char>& bytes, const std::vector<unsigned char>& head) {
    return !head.empty() && bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin());
}

int dib_v5_differences(const std::vector<unsigned char>& dib, const DecodedImage& expected) {
    BITMAPV5HEADER header{};
    if (expected.width <= 0 || dib.size() < sizeof header) return -1;
    std::memcpy(&header, dib.data(), sizeof header);
    const size_t pixel_bytes = static_cast<size_t>(expected.width) * expected.height * 4;
    if (header.bV5Size != sizeof header || header.bV5Width != expected.width ||
        header.bV5Height != expected.height || header.bV5BitCount != 32 ||
        header.bV5Compression != static_cast<DWORD>(BI_BITFIELDS) || header.bV5AlphaMask != 0xFF000000u ||
        dib.size() < sizeof header + pixel_bytes)
        return -1;
    auto alpha = [](std::uint32_t argb) { return argb >> 24; };
    int differing = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            std::uint32_t stored = 0;
            std::memcpy(&stored,
                        dib.data() + sizeof header +
                            (static_cast<size_t>(expected.height - 1 - y) * expected.width + x) * 4,
                        4);
            const std::uint32_t want = expected.at(x, y);
            if (alpha(stored) != alpha(want) || (alpha(want) > 0 && stored != want)) ++differing;
        }
    return differing;
}

}  // namespace markomi::testing
