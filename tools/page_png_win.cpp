// The page picture encoded by GDI+'s PNG encoder (the one the image files
// use), from a 24-bit bitmap so that the file has no alpha channel.
#include "tools/page_png_win.h"

#include <windows.h>
#include <gdiplus.h>
#include <objidl.h>

#include <cstring>

#include "base/com_ptr_win.h"
#include "base/safe_file_win.h"
#include "output/raster/image_file_win.h"
#include "render/gdiplus_handles_gdiplus.h"

namespace markomi {
namespace {

std::vector<std::uint8_t> png_bytes(const std::vector<std::uint8_t>& rgb, int width, int height, int dpi) {
    CLSID encoder{};
    if (find_image_encoder(u"image/png", &encoder) < 0) return {};
    Gdiplus::GpBitmap* raw = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat24bppRGB, nullptr, &raw) != Gdiplus::Ok)
        return {};
    GdipImagePtr image(raw);
    gdip::GdipBitmapSetResolution(raw, static_cast<Gdiplus::REAL>(dpi), static_cast<Gdiplus::REAL>(dpi));
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (gdip::GdipBitmapLockBits(raw, &all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data) !=
        Gdiplus::Ok)
        return {};
    // GDI+ keeps 24-bit pixels blue first.
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        auto* to = static_cast<std::uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
        for (int x = 0; x < width; ++x, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    gdip::GdipBitmapUnlockBits(raw, &data);
    ScopedComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(stream.out())))) return {};
    if (gdip::GdipSaveImageToStream(raw, stream.get(), &encoder, nullptr) != Gdiplus::Ok) return {};
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0 ||
        stat.cbSize.QuadPart > 0x7FFFFFFF)
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    const LARGE_INTEGER start{};
    ULONG read = 0;
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size())
        return {};
    return bytes;
}

}  // namespace

bool write_page_png(const std::wstring& path, const std::vector<std::uint8_t>& rgb, int width, int height,
                    int dpi) {
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<std::size_t>(width) * height * 3) return false;
    const std::vector<std::uint8_t> bytes = png_bytes(rgb, width, height, dpi);
    return !bytes.empty() && replace_file_with_bytes(path.c_str(), bytes.data(), bytes.size());
}

}  // namespace markomi
