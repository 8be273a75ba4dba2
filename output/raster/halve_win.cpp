#include "output/raster/halve_win.h"

#include "output/raster/halve.h"

namespace markomi {
namespace {

BITMAPINFO top_down_32(int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

std::vector<std::uint32_t> halved_pixels(HDC reference_dc, HBITMAP bitmap, int bitmap_width,
                                         int bitmap_height, int x, int y, int w, int h) {
    if (bitmap_width <= 0 || bitmap_height <= 0 || x < 0 || y < 0 || w <= 0 || h <= 0 ||
        x + w > bitmap_width || y + h > bitmap_height)
        return {};
    std::vector<std::uint32_t> whole(static_cast<std::size_t>(bitmap_width) * bitmap_height);
    BITMAPINFO info = top_down_32(bitmap_width, bitmap_height);
    if (GetDIBits(reference_dc, bitmap, 0, bitmap_height, whole.data(), &info, DIB_RGB_COLORS) !=
        bitmap_height)
        return {};
    std::vector<std::uint32_t> part(static_cast<std::size_t>(w) * h);
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            part[static_cast<std::size_t>(row) * w + col] =
                whole[static_cast<std::size_t>(y + row) * bitmap_width + x + col] | 0xFF000000u;
    std::vector<std::uint32_t> half(static_cast<std::size_t>(w / 2) * (h / 2));
    halve_pixels(part.data(), w, h, half.data());
    return half;
}

HBITMAP bitmap_from_pixels(HDC reference_dc, const std::vector<std::uint32_t>& pixels, int w, int h) {
    // Without its pixels (a work bitmap that could not be read) there is
    // no picture: an uninitialised bitmap would be passed on as one.
    if (w <= 0 || h <= 0 || pixels.size() < static_cast<std::size_t>(w) * h) return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(reference_dc, w, h);
    if (!bitmap) return nullptr;
    BITMAPINFO info = top_down_32(w, h);
    if (SetDIBits(reference_dc, bitmap, 0, h, pixels.data(), &info, DIB_RGB_COLORS) != h) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

void draw_pixels(HDC target, const std::vector<std::uint32_t>& pixels, int x, int y, int w, int h) {
    if (pixels.size() < static_cast<std::size_t>(w) * h || w <= 0 || h <= 0) return;
    BITMAPINFO info = top_down_32(w, h);
    SetDIBitsToDevice(target, x, y, w, h, 0, 0, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace markomi
