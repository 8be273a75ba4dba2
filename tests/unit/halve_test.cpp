#include <gtest/gtest.h>

#include <vector>

#include "output/raster/halve.h"

namespace markomi {
namespace {

TEST(Halve, AveragesEachBlockAndDropsAnOddEdge) {
    // 5 x 3 source: the last column and row are dropped.
    std::vector<std::uint32_t> src(15, 0xFFFFFFFF);
    src[0] = 0xFF000000;       // one black pixel in the first block: 3/4 white
    src[6] = 0xFFFF0000;       // (1, 1): red in the first block too
    src[2] = src[3] = src[7] = src[8] = 0xFF0000FF;  // second block all blue
    std::vector<std::uint32_t> dst(2, 0);
    halve_pixels(src.data(), 5, 3, dst.data());
    // First block: white, black, white(5), red(6) -> R (255+0+255+255)/4, G,B (255+0+255+0)/4.
    EXPECT_EQ(dst[0], 0xFFBF8080u);
    EXPECT_EQ(dst[1], 0xFF0000FFu);
}

TEST(Halve, AThinLineOnAnyRowSurvivesAsAHalfTone) {
    // A one-pixel line on an odd row must not vanish (as point sampling would make it).
    const int w = 8, h = 8;
    std::vector<std::uint32_t> src(w * h, 0xFFFFFFFF);
    for (int x = 0; x < w; ++x) src[5 * w + x] = 0xFFFF0000;
    std::vector<std::uint32_t> dst(16, 0);
    halve_pixels(src.data(), w, h, dst.data());
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(dst[2 * 4 + x], 0xFFFF8080u);  // half red over white
        EXPECT_EQ(dst[1 * 4 + x], 0xFFFFFFFFu);
    }
}

}  // namespace
}  // namespace markomi
