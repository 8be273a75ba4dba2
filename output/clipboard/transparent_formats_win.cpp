#include "output/clipboard/transparent_formats_win.h"

#include <cstring>
#include <utility>

#include "output/clipboard/clipboard_win.h"
#include "output/raster/bmp_writer.h"
#include "output/raster/dib_v5.h"

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

bool put_block(UINT format, ScopedGlobal& block) {
    if (format == 0 || !block.get()) return false;
    if (SetClipboardData(format, block.get()) == nullptr) return false;
    block.release();
    return true;
}

// No convention for alpha in CF_DIBV5 is documented, and readers differ
// (some take it straight, some premultiplied). The pixels are the PNG's,
// straight, with white under full transparency: a straight reader gets the
// PNG's picture, and one that premultiplies or ignores alpha sees a white
// background, as the bitmap has, rather than a black one.
ScopedGlobal dib_v5_block(const ArgbPicture& straight) {
    return global_copy(dib_v5_bytes(straight.pixels, straight.width, straight.height));
}

// What the last offer keeps until the clipboard is emptied.
struct OfferedFormats {
    bool offered = false;
    StampPicture picture;
    bool png_given = false;
    bool dib_v5_given = false;
    bool dib_given = false;
};
OfferedFormats g_offered;

}  // namespace

UINT png_clipboard_format() { return RegisterClipboardFormatW(L"PNG"); }

TransparentFormats transparent_formats(const StampPng& png) {
    TransparentFormats formats;
    formats.png = global_copy(png.file);
    formats.dib_v5 = dib_v5_block(png.picture);
    return formats;
}

TransparentFormats transparent_formats(const StampPicture& picture) {
    TransparentFormats formats = transparent_formats(stamp_png_of(picture));
    formats.dib = on_white_dib(picture);
    return formats;
}

ScopedGlobal on_white_dib(const StampPicture& picture) {
    const std::size_t count =
        static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.bitmap_height);
    if (picture.width <= 0 || picture.bitmap_height <= 0 || picture.on_white.size() < count)
        return ScopedGlobal();
    PixelView view;
    view.data = reinterpret_cast<const std::uint8_t*>(picture.on_white.data());
    view.width = picture.width;
    view.height = picture.bitmap_height;
    view.row_bytes = packed_row_bytes(picture.width, PixelLayout::kBgrx32);
    view.layout = PixelLayout::kBgrx32;
    std::vector<std::uint8_t> file = bmp_file_bytes(view);
    // A packed DIB is the BMP file without its file header.
    constexpr std::size_t kFileHeader = kBmpHeadersSize - kBmpInfoHeaderSize;
    if (file.size() <= kFileHeader) return ScopedGlobal();
    file.erase(file.begin(), file.begin() + kFileHeader);
    return global_copy(file);
}

void put_transparent_formats(TransparentFormats& formats) {
    put_block(png_clipboard_format(), formats.png);
    put_block(CF_DIBV5, formats.dib_v5);
    put_block(CF_DIB, formats.dib);
}

void offer_transparent_formats(StampPicture picture) {
    g_offered = OfferedFormats{};
    const UINT png = png_clipboard_format();
    // Each offer keeps its place in the clipboard's order, which is why the
    // formats are offered rather than left out until they are made.
    if (png != 0) SetClipboardData(png, nullptr);
    SetClipboardData(CF_DIBV5, nullptr);
    SetClipboardData(CF_DIB, nullptr);
    g_offered.picture = std::move(picture);
    g_offered.offered = true;
}

bool render_offered_format(UINT format) {
    if (!g_offered.offered || format == 0) return false;
    if (format == png_clipboard_format() && !g_offered.png_given) {
        ScopedGlobal block = global_copy(stamp_png_of(g_offered.picture).file);
        g_offered.png_given = put_block(format, block);
        return g_offered.png_given;
    }
    if (format == CF_DIBV5 && !g_offered.dib_v5_given) {
        ArgbPicture straight;
        straight.width = g_offered.picture.width;
        straight.height = g_offered.picture.height;
        straight.pixels = straight_pixels(g_offered.picture);
        ScopedGlobal block = dib_v5_block(straight);
        g_offered.dib_v5_given = put_block(format, block);
        return g_offered.dib_v5_given;
    }
    if (format == CF_DIB && !g_offered.dib_given) {
        ScopedGlobal block = on_white_dib(g_offered.picture);
        g_offered.dib_given = put_block(format, block);
        return g_offered.dib_given;
    }
    return false;
}

void render_remaining_offered_formats(HWND owner) {
    if (!g_offered.offered || (g_offered.png_given && g_offered.dib_v5_given && g_offered.dib_given))
        return;
    if (!open_clipboard_patiently(owner)) return;
    // Another program may have taken the clipboard since: its contents are
    // not ours to add to.
    if (GetClipboardOwner() == owner) {
        render_offered_format(png_clipboard_format());
        render_offered_format(CF_DIBV5);
        render_offered_format(CF_DIB);
    }
    CloseClipboard();
}

void forget_offered_formats() { g_offered = OfferedFormats{}; }

}  // namespace markomi
