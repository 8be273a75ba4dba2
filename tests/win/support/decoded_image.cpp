#include "support/decoded_image.h"

#include <windows.h>
#include <shlwapi.h>

#include "render/gdiplus_handles_gdiplus.h"

namespace markomi::testing {
namespace {

DecodedImage pixels_of(Gdiplus::GpBitmap* raw) {
    DecodedImage out;
    GdipImagePtr image(raw);
    UINT w = 0, h = 0;
    gdip::GdipGetImageWidth(raw, &w);
    gdip::GdipGetImageHeight(raw, &h);
    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    out.argb.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            Gdiplus::ARGB c = 0;
            gdip::GdipBitmapGetPixel(raw, x, y, &c);
            out.argb[static_cast<size_t>(y * out.width + x)] = c;
        }
    return out;
}

}  // namespace

DecodedImage decode_image_file(const std::wstring& path) {
    Gdiplus::GpBitmap* raw = nullptr;
    if (gdip::GdipCreateBitmapFromFile(path.c_str(), &raw) != Gdiplus::Ok) return {};
    return pixels_of(raw);
}

DecodedImage decode_image_bytes(const void* bytes, std::size_t size) {
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(size));
    if (!stream) return {};
    DecodedImage out;
    Gdiplus::GpBitmap* raw = nullptr;
    if (gdip::GdipCreateBitmapFromStream(stream, &raw) == Gdiplus::Ok) out = pixels_of(raw);
    stream->Release();
    return out;
}

}  // namespace markomi::testing
