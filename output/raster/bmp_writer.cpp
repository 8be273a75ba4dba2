#include "output/raster/bmp_writer.h"

#include <limits>

#include "base/little_endian.h"
#include "output/raster/image_resolution.h"

namespace markomi {

namespace {

constexpr std::uint64_t kMaxFileSize = std::numeric_limits<std::uint32_t>::max();

}  // namespace

std::optional<std::uint32_t> bmp_row_stride(std::int32_t width) {
    if (width < 0) return std::nullopt;
    const std::uint64_t stride = 4 * ((3 * static_cast<std::uint64_t>(width) + 3) / 4);
    if (stride > kMaxFileSize) return std::nullopt;
    return static_cast<std::uint32_t>(stride);
}

std::optional<std::uint32_t> bmp_image_size(std::int32_t width, std::int32_t height) {
    const std::optional<std::uint32_t> stride = bmp_row_stride(width);
    if (!stride || height < 0) return std::nullopt;
    const std::uint64_t size = static_cast<std::uint64_t>(*stride) * static_cast<std::uint64_t>(height);
    if (size + kBmpHeadersSize > kMaxFileSize) return std::nullopt;
    return static_cast<std::uint32_t>(size);
}

std::optional<std::array<std::uint8_t, kBmpHeadersSize>> bmp_headers(std::int32_t width,
                                                                      std::int32_t height, int dpi) {
    const std::optional<std::uint32_t> image_size = bmp_image_size(width, height);
    if (!image_size) return std::nullopt;
    std::array<std::uint8_t, kBmpHeadersSize> h{};
    std::uint8_t* p = h.data();
    // File header.
    put_u16(p + 0, kBmpFileType);
    put_u32(p + 2, kBmpHeadersSize + *image_size);
    put_u16(p + 6, 0);
    put_u16(p + 8, 0);
    put_u32(p + 10, kBmpHeadersSize);
    // Info header; a positive height means the rows are stored bottom-up.
    put_u32(p + 14, kBmpInfoHeaderSize);
    put_u32(p + 18, static_cast<std::uint32_t>(width));
    put_u32(p + 22, static_cast<std::uint32_t>(height));
    put_u16(p + 26, 1);
    put_u16(p + 28, kBmpBitsPerPixel);
    put_u32(p + 30, 0);  // BI_RGB
    put_u32(p + 34, *image_size);
    put_u32(p + 38, pixels_per_metre(dpi));
    put_u32(p + 42, pixels_per_metre(dpi));
    // Colour counts (46..53) stay 0.
    return h;
}

std::vector<std::uint8_t> bmp_file_buffer(std::int32_t width, std::int32_t height, int dpi) {
    const auto headers = bmp_headers(width, height, dpi);
    if (!headers) return {};
    std::vector<std::uint8_t> file(kBmpHeadersSize + *bmp_image_size(width, height), 0);
    for (std::size_t i = 0; i < headers->size(); ++i) file[i] = (*headers)[i];
    return file;
}

std::size_t bytes_per_pixel(PixelLayout layout) {
    return layout == PixelLayout::kBgr24 ? 3 : 4;
}

std::size_t packed_row_bytes(std::int32_t width, PixelLayout layout) {
    return width > 0 ? static_cast<std::size_t>(width) * bytes_per_pixel(layout) : 0;
}

std::vector<std::uint8_t> bmp_file_bytes(const PixelView& pixels, int dpi) {
    if (pixels.width < 0 || pixels.height < 0) return {};
    const bool has_pixels = pixels.width > 0 && pixels.height > 0;
    if (has_pixels && (pixels.data == nullptr ||
                       pixels.row_bytes < packed_row_bytes(pixels.width, pixels.layout))) {
        return {};
    }
    std::vector<std::uint8_t> file = bmp_file_buffer(pixels.width, pixels.height, dpi);
    if (file.empty() || !has_pixels) return file;

    const std::size_t stride = *bmp_row_stride(pixels.width);
    const std::size_t step = bytes_per_pixel(pixels.layout);
    const auto rows = static_cast<std::size_t>(pixels.height);
    for (std::size_t row = 0; row < rows; ++row) {
        // The first stored row is the bottom one of the picture.
        const std::uint8_t* src = pixels.data + (rows - 1 - row) * pixels.row_bytes;
        std::uint8_t* dst = file.data() + kBmpHeadersSize + row * stride;
        for (std::int32_t x = 0; x < pixels.width; ++x) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst += 3;
            src += step;
        }
        // The padding bytes were zero-filled with the buffer.
    }
    return file;
}

}  // namespace markomi
