#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "output/raster/bmp_writer.h"

namespace markomi {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(BmpStride, RowsArePaddedToFourBytes) {
    EXPECT_EQ(*bmp_row_stride(0), 0u);
    EXPECT_EQ(*bmp_row_stride(1), 4u);
    EXPECT_EQ(*bmp_row_stride(3), 12u);  // 9 bytes of pixels, 3 of padding
    EXPECT_EQ(*bmp_row_stride(4), 12u);  // exact, no padding
    EXPECT_EQ(*bmp_row_stride(5), 16u);
    EXPECT_EQ(*bmp_row_stride(73), 220u);
    EXPECT_FALSE(bmp_row_stride(-1));
    EXPECT_EQ(*bmp_image_size(3, 2), 24u);
    EXPECT_FALSE(bmp_image_size(3, -1));
    // A file over 4 GiB cannot state its size.
    EXPECT_FALSE(bmp_image_size(0x7FFFFFFF, 2));
    EXPECT_FALSE(bmp_image_size(0x7FFFFFFF, 1));
    EXPECT_EQ(*bmp_image_size(1, 1000), 4000u);
}

TEST(BmpHeaders, MatchTheFileLayoutByteForByte) {
    const auto h = bmp_headers(3, 2);
    ASSERT_TRUE(h);
    const Bytes expected = {
        'B', 'M', 78, 0, 0, 0,   // type, file size 54 + 24
        0, 0, 0, 0,              // reserved
        54, 0, 0, 0,             // pixel offset
        40, 0, 0, 0,             // header size
        3, 0, 0, 0,              // width
        2, 0, 0, 0,              // height, positive: bottom-up
        1, 0,                    // planes
        24, 0,                   // bits per pixel
        0, 0, 0, 0,              // BI_RGB
        24, 0, 0, 0,             // image size 12 x 2
        0xC4, 0x0E, 0, 0,        // 3780 pixels per metre (96 dpi) across
        0xC4, 0x0E, 0, 0,        // and down
        0, 0, 0, 0, 0, 0, 0, 0,  // colours used, important
    };
    EXPECT_EQ(Bytes(h->begin(), h->end()), expected);
}

TEST(BmpHeaders, MultiByteFieldsAreLittleEndian) {
    const auto h = bmp_headers(300, 260);  // stride 900, image 234000 = 0x39210
    ASSERT_TRUE(h);
    EXPECT_EQ((*h)[2], 0x46);  // 234054 = 0x00039246
    EXPECT_EQ((*h)[3], 0x92);
    EXPECT_EQ((*h)[4], 0x03);
    EXPECT_EQ((*h)[5], 0x00);
    EXPECT_EQ((*h)[18], 0x2C);  // 300
    EXPECT_EQ((*h)[19], 0x01);
    EXPECT_EQ((*h)[22], 0x04);  // 260
    EXPECT_EQ((*h)[23], 0x01);
    EXPECT_EQ((*h)[34], 0x10);
    EXPECT_EQ((*h)[35], 0x92);
    EXPECT_EQ((*h)[36], 0x03);
}

TEST(BmpFile, BufferForThePlatformHasHeadersAndZeroPixels) {
    const Bytes file = bmp_file_buffer(3, 2);
    ASSERT_EQ(file.size(), 78u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[2], 78);
    for (std::size_t i = 54; i < file.size(); ++i) EXPECT_EQ(file[i], 0) << i;
    EXPECT_TRUE(bmp_file_buffer(-3, 2).empty());
    EXPECT_EQ(bmp_file_buffer(0, 0).size(), 54u);
}

TEST(BmpFile, RowsGoBottomUpAsBlueGreenRedWithZeroPadding) {
    // 3 x 2 picture, 32-bit 0xXXRRGGBB words; the fourth byte must be dropped.
    const Bytes pixels = {
        1, 2, 3, 0xAA, 4, 5, 6, 0xAA, 7, 8, 9, 0xAA,          // top row
        11, 12, 13, 0xBB, 14, 15, 16, 0xBB, 17, 18, 19, 0xBB,  // bottom row
    };
    const Bytes file = bmp_file_bytes({pixels.data(), 3, 2, 12, PixelLayout::kBgrx32});
    ASSERT_EQ(file.size(), 78u);
    const Bytes body(file.begin() + 54, file.end());
    const Bytes expected = {
        11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0,  // bottom row first
        1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,
    };
    EXPECT_EQ(body, expected);
}

TEST(BmpFile, TwentyFourBitSourcesMayHavePaddedRows) {
    // 1 x 3 picture with 5 bytes between rows (2 bytes of source padding).
    const Bytes pixels = {10, 20, 30, 99, 99, 40, 50, 60, 99, 99, 70, 80, 90, 99, 99};
    const Bytes file = bmp_file_bytes({pixels.data(), 1, 3, 5, PixelLayout::kBgr24});
    ASSERT_EQ(file.size(), 54u + 12u);
    const Bytes body(file.begin() + 54, file.end());
    EXPECT_EQ(body, (Bytes{70, 80, 90, 0, 40, 50, 60, 0, 10, 20, 30, 0}));
    EXPECT_EQ(file[22], 3);
}

TEST(BmpFile, RejectsViewsItCannotReadSafely) {
    const Bytes pixels(12, 0);
    EXPECT_TRUE(bmp_file_bytes({nullptr, 3, 1, 12, PixelLayout::kBgrx32}).empty());
    EXPECT_TRUE(bmp_file_bytes({pixels.data(), 3, 1, 11, PixelLayout::kBgrx32}).empty());
    EXPECT_TRUE(bmp_file_bytes({pixels.data(), -3, 1, 12, PixelLayout::kBgrx32}).empty());
    EXPECT_EQ(bmp_file_bytes({pixels.data(), 4, 1, 12, PixelLayout::kBgr24}).size(), 54u + 12u);
    // An empty picture is still a valid file of headers alone.
    EXPECT_EQ(bmp_file_bytes({nullptr, 0, 0, 0, PixelLayout::kBgr24}).size(), 54u);
}

}  // namespace
}  // namespace markomi
