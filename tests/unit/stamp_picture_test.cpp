#include "output/raster/stamp_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "output/raster/halve.h"

namespace markomi {
namespace {

int channel(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// A 2x2 block at the doubled size, `inked` of its pixels covered by the
// opaque `ink` and the rest transparent, made into a 1x1 picture.
StampPicture halved_block(std::uint32_t ink, int inked) {
    std::vector<std::uint32_t> block(4, 0u);
    for (int i = 0; i < inked; ++i) block[static_cast<std::size_t>(i)] = ink;
    StampPicture picture;
    halve_picture(block.data(), 2, 2, 2, &picture);
    return picture;
}

// An edge pixel keeps the ink's own colour with less alpha: averaging
// straight pixels with transparent white ones would pale it, and writing the
// premultiplied values as straight ones would darken it. On white it is, to
// the last rounding, what halving the drawing over white always gave, so
// the bitmap does not change and a faint edge does not turn white or back.
TEST(StampPicture, EdgePixelsKeepTheInkColourAndOnWhiteAreTheBitmapsAsBefore) {
    const std::uint32_t inks[] = {0xFFFF0000u, 0xFF1E90FFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF7F3FFDu};
    for (std::uint32_t ink : inks) {
        for (int inked = 0; inked <= 4; ++inked) {
            SCOPED_TRACE(::testing::Message() << std::hex << ink << " " << inked);
            const StampPicture edge = halved_block(ink, inked);
            ASSERT_EQ(edge.width, 1);
            ASSERT_EQ(edge.height, 1);
            const int alpha = (255 * inked + 2) / 4;
            EXPECT_EQ(static_cast<int>(edge.pixels[0] >> 24), alpha);
            const std::uint32_t straight = straight_pixels(edge)[0];
            if (inked == 0) {
                // Nothing there: white for readers that ignore alpha.
                EXPECT_EQ(straight, 0x00FFFFFFu);
            } else {
                // Rounding the premultiplied value costs up to 255 / alpha.
                const int tolerance = std::max(1, 255 / alpha);
                for (int shift : {0, 8, 16})
                    EXPECT_NEAR(channel(straight, shift), channel(ink, shift), tolerance);
            }
            for (int shift : {0, 8, 16})
                EXPECT_EQ(channel(edge.on_white[0], shift),
                          (channel(ink, shift) * inked + 255 * (4 - inked) + 2) / 4);
        }
    }
}

TEST(StampPicture, APartOfALargerDrawingIsHalvedIntoBothForms) {
    // 3 x 2 part at (1, 0) of a 5-pixel-wide drawing; the odd column is dropped.
    const std::uint32_t red = 0xFFFF0000u, half_green = 0x80008000u;
    const std::vector<std::uint32_t> drawing{0xFF0000FFu, red, half_green, red, 0xFF0000FFu,
                                             0xFF0000FFu, red, 0u,         red, 0xFF0000FFu};
    StampPicture picture;
    halve_picture(drawing.data() + 1, 3, 2, 5, &picture);
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.height, 1);
    // Premultiplied mean of red, half green, red, nothing.
    EXPECT_EQ(picture.pixels, (std::vector<std::uint32_t>{0xA0802000u}));
    // On white: red, half green on white (7F FF 7F), red and white averaged.
    EXPECT_EQ(picture.on_white, (std::vector<std::uint32_t>{0xFFDF8060u}));
    EXPECT_EQ(straight_pixels(picture), (std::vector<std::uint32_t>{0xA0CC3300u}));
}

// The key must be a colour the stamp does not draw, or that ink would turn
// transparent; the top bytes GDI leaves in a 32-bit read play no part.
TEST(StampPicture, TheKeyIsNoDrawnColourAndOnlyTheKeyTurnsTransparent) {
    std::vector<std::vector<std::uint32_t>> drawn_sets = {
        {},
        {0xFF0000, 0xFFCCCC, 0x000000, 0xFFFFFF},
        {0x01FE02, 0xFE03FD, 0x04FDFC, 0xFB05FA, 0x06F907, 0x7F087F, 0x097E0A, 0x0B0C7D},
        {0xAA01FE02, 0x55FE03FD, 0x04FDFC, 0xFB05FA, 0x06F907, 0x7F087F, 0x097E0A, 0x0B0C7D, 0x7C7B0D},
        {0x01FE02, 0xFE03FD, 0x04FDFC, 0xFB05FA, 0x06F907, 0x7F087F, 0x097E0A, 0x0B0C7D, 0x7C7B0D,
         0x000000, 0x000001, 0x000003},
    };
    for (const auto& drawn : drawn_sets) {
        SCOPED_TRACE(drawn.size());
        const std::uint32_t key = key_colour_outside(drawn);
        EXPECT_EQ(key >> 24, 0u);
        for (std::uint32_t c : drawn) EXPECT_NE(key, c & 0xFFFFFFu);
        std::vector<std::uint32_t> read{key, 0xFF000000u | key, key ^ 1u, 0xAB123456u};
        keyed_to_premultiplied(read.data(), read.size(), key);
        EXPECT_EQ(read, (std::vector<std::uint32_t>{0u, 0u, 0xFF000000u | (key ^ 1u), 0xFF123456u}));
    }
}

}  // namespace
}  // namespace markomi
