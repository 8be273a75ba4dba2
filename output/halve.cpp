#include "output/halve.h"

#include <cstddef>

namespace markomi {

void halve_pixels(const std::uint32_t* src, int sw, int sh, std::uint32_t* dst) {
    const int dw = sw / 2, dh = sh / 2;
    for (int y = 0; y < dh; ++y) {
        const std::uint32_t* row0 = src + static_cast<std::size_t>(2 * y) * sw;
        const std::uint32_t* row1 = row0 + sw;
        for (int x = 0; x < dw; ++x) {
            const std::uint32_t p[4] = {row0[2 * x], row0[2 * x + 1], row1[2 * x], row1[2 * x + 1]};
            std::uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                std::uint32_t sum = 0;
                for (std::uint32_t v : p) sum += (v >> shift) & 0xFF;
                out |= ((sum + 2) / 4) << shift;
            }
            dst[static_cast<std::size_t>(y) * dw + x] = out;
        }
    }
}

}  // namespace markomi
