#pragma once
// The bytes of a BMP file: a 14-byte file header, a 40-byte info header and
// 24-bit pixels, rows bottom-up and each padded to a multiple of 4 bytes.
// Writing the file is glue; the glue may also let the platform read the
// pixels straight into a buffer from bmp_file_buffer().
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "output/raster/image_resolution.h"

namespace markomi {

constexpr std::uint32_t kBmpHeadersSize = 54;      // file header 14 + info header 40
constexpr std::uint32_t kBmpInfoHeaderSize = 40;
constexpr std::uint16_t kBmpFileType = 0x4D42;     // "BM"
constexpr std::uint16_t kBmpBitsPerPixel = 24;

// Bytes per stored row: 4 x ((3w + 3) / 4); 12 for a width of 3.
// std::nullopt for a negative width or one whose row does not fit in 32 bits.
std::optional<std::uint32_t> bmp_row_stride(std::int32_t width);

// stride x h, or std::nullopt when the size is negative or the whole file
// (54 + image size) would not fit the 32-bit size field.
std::optional<std::uint32_t> bmp_image_size(std::int32_t width, std::int32_t height);

// The two headers for a w x h picture, little-endian, as stored at offset 0:
// "BM", file size 54 + image size, two reserved 0, pixel offset 54, header
// size 40, w, h (positive: bottom-up), 1 plane, 24 bits, BI_RGB, image size,
// resolutions `dpi` in pixels per metre (96 dpi: 3780) both ways, colours 0. std::nullopt when bmp_image_size() gives none.
std::optional<std::array<std::uint8_t, kBmpHeadersSize>> bmp_headers(std::int32_t width,
                                                                      std::int32_t height,
                                                                      int dpi = kImageDpi);

// A whole file of w x h with the headers filled and the pixels zero (black);
// the pixels start at offset 54. Empty when the size is not representable.
std::vector<std::uint8_t> bmp_file_buffer(std::int32_t width, std::int32_t height,
                                          int dpi = kImageDpi);

// A picture in memory. Rows run top to bottom, `row_bytes` apart (at least
// width x bytes per pixel). Each pixel is blue, green, red in that byte order,
// followed in the 32-bit layout by one byte that is ignored (alpha or unused),
// i.e. a little-endian 0xXXRRGGBB word.
enum class PixelLayout { kBgr24, kBgrx32 };

struct PixelView {
    const std::uint8_t* data = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t row_bytes = 0;
    PixelLayout layout = PixelLayout::kBgrx32;
};

// Bytes per pixel of a layout: 3 or 4.
std::size_t bytes_per_pixel(PixelLayout layout);

// The row distance of a tightly packed picture of that width.
std::size_t packed_row_bytes(std::int32_t width, PixelLayout layout);

// The complete BMP file of a picture: the headers, then the rows from the
// bottom one up, three bytes a pixel, padding bytes 0. Empty when the view
// has no data, a too short row distance or a size no BMP can hold.
std::vector<std::uint8_t> bmp_file_bytes(const PixelView& pixels, int dpi = kImageDpi);

}  // namespace markomi
