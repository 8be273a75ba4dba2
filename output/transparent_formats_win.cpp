#include "output/transparent_formats_win.h"

#include <cstring>

#include "output/dib_v5.h"

namespace markomi {
namespace {

ScopedGlobal global_copy(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return ScopedGlobal();
    ScopedGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!block.get()) return block;
    void* at = GlobalLock(block.get());
    if (!at) return ScopedGlobal();
    std::memcpy(at, bytes.data(), bytes.size());
    GlobalUnlock(block.get());
    return block;
}

void put_block(UINT format, ScopedGlobal& block) {
    if (format == 0 || !block.get()) return;
    if (SetClipboardData(format, block.get()) != nullptr) block.release();
}

}  // namespace

UINT png_clipboard_format() { return RegisterClipboardFormatW(L"PNG"); }

TransparentFormats transparent_formats(const StampPng& png) {
    TransparentFormats formats;
    formats.png = global_copy(png.file);
    // No convention for alpha in CF_DIBV5 is documented, and readers differ
    // (some take it straight, some premultiplied). The pixels are the PNG's,
    // straight, with white under full transparency: a straight reader gets
    // the PNG's picture, and one that premultiplies or ignores alpha sees a
    // white background, as the bitmap has, rather than a black one.
    formats.dib_v5 = global_copy(
        dib_v5_bytes(png.picture.pixels, png.picture.width, png.picture.height));
    return formats;
}

void put_transparent_formats(TransparentFormats& formats) {
    put_block(png_clipboard_format(), formats.png);
    put_block(CF_DIBV5, formats.dib_v5);
}

}  // namespace markomi
