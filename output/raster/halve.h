#pragma once
// Reducing a supersampled picture to half its size by averaging each 2x2
// block. The platform's halftone stretch does the same on Windows, but not
// everywhere (under Wine it samples every other row, so thin lines vanish);
// averaging here gives the same impression on every system.
#include <cstdint>

namespace markomi {

// `src` is sw x sh pixels of 0xAARRGGBB (rows top-down, tightly packed);
// `dst` receives (sw / 2) x (sh / 2) pixels, an odd last row or column being
// dropped. Each channel is the rounded mean of its block.
void halve_pixels(const std::uint32_t* src, int sw, int sh, std::uint32_t* dst);

}  // namespace markomi
