#include "output/image_matte.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace markomi {
namespace {

// What drawing colour `rgb` with coverage `alpha` over `background` leaves,
// rounded per channel as a rasteriser does.
std::uint32_t composite(std::uint32_t rgb, std::uint32_t alpha, std::uint32_t background) {
    std::uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const std::uint32_t c = (rgb >> shift) & 0xFF, bg = (background >> shift) & 0xFF;
        out |= ((c * alpha + bg * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

TEST(ImageMatte, BlankAndInkedSpots) {
    // Untouched: white over white, black over black -> transparent white.
    EXPECT_EQ(matte_pixel(0xFFFFFF, 0x000000), 0x00FFFFFFu);
    // Opaque stamp red drawn over both -> the red, fully opaque.
    EXPECT_EQ(matte_pixel(0x0000FF, 0x0000FF), 0xFF0000FFu);
    EXPECT_EQ(matte_pixel(0xFF0000, 0xFF0000), 0xFFFF0000u);
    // Opaque white ink is white, not transparent.
    EXPECT_EQ(matte_pixel(0xFFFFFF, 0xFFFFFF), 0xFFFFFFFFu);
    // The top bytes of the inputs play no part.
    EXPECT_EQ(matte_pixel(0xAAFFFFFF, 0x55000000), 0x00FFFFFFu);
}

TEST(ImageMatte, CoverageRoundsToTheNearestStep) {
    // Differences 254, 254, 254: mean 254 -> alpha 1.
    EXPECT_EQ(matte_pixel(0xFEFEFE, 0x000000) >> 24, 1u);
    // Differences 255, 255, 254 (sum 764 = 3 x 254 + 2): mean rounds up to 255 -> transparent.
    EXPECT_EQ(matte_pixel(0xFFFFFE, 0x000000), 0x00FFFFFFu);
    // Differences 255, 254, 254 (sum 763 = 3 x 254 + 1): mean rounds down to 254 -> alpha 1.
    EXPECT_EQ(matte_pixel(0xFFFEFE, 0x000000) >> 24, 1u);
    // Black ink leaving 0x80 over white: differences 128 -> alpha 127, not 128.
    EXPECT_EQ(matte_pixel(0x808080, 0x000000), 0x7F000000u);
    // Lighter over black than over white counts as no difference: opaque.
    EXPECT_EQ(matte_pixel(0x101010, 0x202020), 0xFF202020u);
}

TEST(ImageMatte, ColourIsUnpremultipliedAndCapped) {
    // Red at alpha 128 over black: 0x80 in red -> 0x80 x 255 / 128 = 255.
    EXPECT_EQ(matte_pixel(composite(0xFF0000, 128, 0xFFFFFF), 0x800000), 0x80FF0000u);
    // Differences 255, 254, 253 (blue, green, red): mean 254 -> alpha 1; the
    // red value 2 over black would give 510 and is capped at 255.
    EXPECT_EQ(matte_pixel(0xFFFFFF, 0x020100), 0x01FFFF00u);
    // Alpha 3 from differences of 252: black 2 -> (2 x 255 + 1) / 3 = 170.
    EXPECT_EQ(matte_pixel(0xFEFEFE, 0x020202), 0x03AAAAAAu);
}

TEST(ImageMatte, RoundTripsEveryCoverageOfTheStampRed) {
    for (std::uint32_t alpha = 1; alpha <= 255; ++alpha) {
        SCOPED_TRACE(alpha);
        const std::uint32_t got = matte_pixel(composite(0xFF0000, alpha, 0xFFFFFF),
                                              composite(0xFF0000, alpha, 0x000000));
        EXPECT_EQ(got >> 24, alpha);
        EXPECT_EQ((got >> 16) & 0xFF, 0xFFu);
        EXPECT_EQ(got & 0xFFFF, 0u);
    }
}

TEST(ImageMatte, WorksInPlaceOverABuffer) {
    std::vector<std::uint32_t> white{0xFFFFFF, 0x0000FF, 0x808080};
    const std::vector<std::uint32_t> black{0x000000, 0x0000FF, 0x000000};
    matte_pixels(white.data(), black.data(), white.data(), white.size());
    EXPECT_EQ(white, (std::vector<std::uint32_t>{0x00FFFFFF, 0xFF0000FF, 0x7F000000}));
}

}  // namespace
}  // namespace markomi
