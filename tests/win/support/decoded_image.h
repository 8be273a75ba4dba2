#pragma once
// Pictures decoded by GDI+ for comparisons: straight ARGB, top row first,
// read at once so that no file or stream stays open.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace markomi::testing {

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t at(int x, int y) const { return argb[static_cast<size_t>(y * width + x)]; }
};

// An image file (BMP, PNG, JPEG); empty when it cannot be read.
DecodedImage decode_image_file(const std::wstring& path);
// An image file's bytes in memory, as a pasting program reads the clipboard's "PNG".
DecodedImage decode_image_bytes(const void* bytes, std::size_t size);

}  // namespace markomi::testing
