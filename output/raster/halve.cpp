#include "output/raster/halve.h"

#include <cstddef>

namespace markomi {

void halve_pixels(const std::uint32_t* src, int sw, int sh, std::uint32_t* dst) {
    const int dw = sw / 2, dh = sh / 2;
    // Two channels at a time, each in 16 bits of its own: four values of at
    // most 255 and the rounding 2 cannot carry into the neighbour.
    constexpr std::uint32_t kLanes = 0x00FF00FFu, kHalfOfFour = 0x00020002u;
    for (int y = 0; y < dh; ++y) {
        const std::uint32_t* row0 = src + static_cast<std::size_t>(2 * y) * sw;
        const std::uint32_t* row1 = row0 + sw;
        std::uint32_t* out = dst + static_cast<std::size_t>(y) * dw;
        for (int x = 0; x < dw; ++x) {
            const std::uint32_t a = row0[2 * x], b = row0[2 * x + 1], c = row1[2 * x], d = row1[2 * x + 1];
            const std::uint32_t blue_red =
                (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + kHalfOfFour;
            const std::uint32_t green_alpha = ((a >> 8) & kLanes) + ((b >> 8) & kLanes) +
                                              ((c >> 8) & kLanes) + ((d >> 8) & kLanes) + kHalfOfFour;
            out[x] = ((blue_red >> 2) & kLanes) | (((green_alpha >> 2) & kLanes) << 8);
        }
    }
}

}  // namespace markomi
