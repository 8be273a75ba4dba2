#include "output/image_matte.h"

#include <initializer_list>

namespace markomi {
namespace {

std::uint32_t channel(std::uint32_t rgb, int shift) { return (rgb >> shift) & 0xFFu; }

}  // namespace

std::uint32_t matte_pixel(std::uint32_t over_white, std::uint32_t over_black) {
    // A channel lighter over black than over white cannot come from one
    // drawing; it counts as no difference rather than as negative coverage.
    std::uint32_t difference = 0;
    for (int shift : {0, 8, 16}) {
        const std::uint32_t w = channel(over_white, shift), b = channel(over_black, shift);
        difference += w > b ? w - b : 0;
    }
    const std::uint32_t mean = (difference + 1) / 3;  // rounded: 3k+1 down, 3k+2 up
    const std::uint32_t alpha = mean >= 255 ? 0 : 255 - mean;
    if (alpha == 0) return 0x00FFFFFFu;
    std::uint32_t argb = alpha << 24;
    for (int shift : {0, 8, 16}) {
        std::uint32_t c = (channel(over_black, shift) * 255 + alpha / 2) / alpha;
        if (c > 255) c = 255;
        argb |= c << shift;
    }
    return argb;
}

void matte_pixels(const std::uint32_t* over_white, const std::uint32_t* over_black,
                  std::uint32_t* argb, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) argb[i] = matte_pixel(over_white[i], over_black[i]);
}

}  // namespace markomi
