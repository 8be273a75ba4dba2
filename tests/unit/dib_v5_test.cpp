#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "output/raster/dib_v5.h"

namespace markomi {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t u32_at(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(DibV5, HeaderStatesA32BitBottomUpSrgbPictureWithAlpha) {
    const Bytes b = dib_v5_bytes(std::vector<std::uint32_t>(6, 0), 3, 2);
    ASSERT_EQ(b.size(), 124u + 24u);
    const Bytes first = {
        124, 0, 0, 0,  // header size
        3, 0, 0, 0,    // width
        2, 0, 0, 0,    // height, positive: bottom-up
        1, 0,          // planes
        32, 0,         // bits per pixel
        3, 0, 0, 0,    // BI_BITFIELDS
        24, 0, 0, 0,   // image size 3 x 2 x 4
    };
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 24), first);
    EXPECT_EQ(u32_at(b, 24), 3780u);  // pixels per metre across: 96 dpi
    EXPECT_EQ(u32_at(b, 28), 3780u);  // and down
    for (std::size_t at = 32; at < 40; ++at) EXPECT_EQ(b[at], 0) << at;  // colour counts
    EXPECT_EQ(u32_at(b, 40), 0x00FF0000u);  // red
    EXPECT_EQ(u32_at(b, 44), 0x0000FF00u);  // green
    EXPECT_EQ(u32_at(b, 48), 0x000000FFu);  // blue
    EXPECT_EQ(u32_at(b, 52), 0xFF000000u);  // alpha
    EXPECT_EQ(Bytes(b.begin() + 56, b.begin() + 60), (Bytes{'B', 'G', 'R', 's'}));  // LCS_sRGB
    for (std::size_t at = 60; at < 108; ++at) EXPECT_EQ(b[at], 0) << at;  // endpoints, gamma
    EXPECT_EQ(u32_at(b, 108), 4u);  // LCS_GM_IMAGES
    for (std::size_t at = 112; at < 124; ++at) EXPECT_EQ(b[at], 0) << at;  // no profile
}

TEST(DibV5, RowsGoBottomUpAsBlueGreenRedAlpha) {
    // Top row: half-covered red, transparent white; bottom row: opaque blue, green.
    const std::vector<std::uint32_t> argb = {0x80FF0000u, 0x00FFFFFFu, 0xFF0000FFu, 0xFF00FF00u};
    const Bytes b = dib_v5_bytes(argb, 2, 2);
    ASSERT_EQ(b.size(), 124u + 16u);
    const Bytes pixels(b.begin() + 124, b.end());
    const Bytes expected = {
        0xFF, 0, 0, 0xFF, 0, 0xFF, 0, 0xFF,           // bottom row first
        0, 0, 0xFF, 0x80, 0xFF, 0xFF, 0xFF, 0x00,     // then the top row, alpha as given
    };
    EXPECT_EQ(pixels, expected);
}

TEST(DibV5, SizesThatDoNotMatchOrFitGiveNothing) {
    EXPECT_TRUE(dib_v5_bytes({}, 0, 0).empty());
    EXPECT_TRUE(dib_v5_bytes({1, 2}, 2, -1).empty());
    EXPECT_TRUE(dib_v5_bytes({1, 2, 3}, 2, 2).empty());  // one pixel short
}

}  // namespace
}  // namespace markomi
