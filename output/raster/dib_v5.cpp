#include "output/raster/dib_v5.h"

#include <limits>

#include "base/little_endian.h"
#include "output/raster/image_resolution.h"

namespace markomi {

std::vector<std::uint8_t> dib_v5_bytes(const std::vector<std::uint32_t>& argb, std::int32_t width,
                                       std::int32_t height) {
    if (width <= 0 || height <= 0) return {};
    const std::uint64_t count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (argb.size() != count) return {};
    const std::uint64_t image_size = count * 4;
    if (image_size + kDibV5HeaderSize > std::numeric_limits<std::uint32_t>::max()) return {};

    std::vector<std::uint8_t> block(kDibV5HeaderSize + static_cast<std::size_t>(image_size), 0);
    std::uint8_t* h = block.data();
    put_u32(h + 0, kDibV5HeaderSize);
    put_u32(h + 4, static_cast<std::uint32_t>(width));
    put_u32(h + 8, static_cast<std::uint32_t>(height));  // positive: bottom-up
    put_u16(h + 12, 1);
    put_u16(h + 14, 32);
    put_u32(h + 16, kDibV5BitFields);
    put_u32(h + 20, static_cast<std::uint32_t>(image_size));
    put_u32(h + 24, kImagePixelsPerMetre);
    put_u32(h + 28, kImagePixelsPerMetre);
    // Colour counts (32..39) stay 0.
    put_u32(h + 40, kDibV5RedMask);
    put_u32(h + 44, kDibV5GreenMask);
    put_u32(h + 48, kDibV5BlueMask);
    put_u32(h + 52, kDibV5AlphaMask);
    put_u32(h + 56, kDibV5ColorSpaceSrgb);
    // Endpoints and gamma (60..107) are unused with sRGB.
    put_u32(h + 108, kDibV5IntentImages);
    // Profile offset and size, reserved (112..123) stay 0.

    const auto w = static_cast<std::size_t>(width);
    const auto rows = static_cast<std::size_t>(height);
    for (std::size_t row = 0; row < rows; ++row) {
        // The first stored row is the bottom one of the picture.
        const std::uint32_t* src = argb.data() + (rows - 1 - row) * w;
        std::uint8_t* dst = block.data() + kDibV5HeaderSize + row * w * 4;
        for (std::size_t x = 0; x < w; ++x) put_u32(dst + 4 * x, src[x]);
    }
    return block;
}

}  // namespace markomi
