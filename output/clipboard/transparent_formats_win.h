#pragma once
// The clipboard formats that carry the stamp's transparency beside its
// CF_BITMAP: the registered "PNG" format (the PNG file's bytes) and
// CF_DIBV5 with an alpha channel. Programs that understand either paste a
// stamp the document shows through; all others keep taking the bitmap.
// Beside them goes CF_DIB of the bitmap's own picture on white: which
// format the system would make it from is not documented, so it is put
// there rather than left to a conversion.
// Made at once (the companion and the normal program, which end right after
// copying), or only offered and made when a program asks (the resident
// program).
#include <windows.h>

#include "base/win_handles_win.h"
#include "output/raster/image_file_win.h"
#include "output/raster/stamp_picture.h"

namespace markomi {

// The registered "PNG" clipboard format; 0 when it cannot be registered.
UINT png_clipboard_format();

// The two blocks, made before the clipboard is opened so that it is held
// only for the moment of setting. A block that could not be made is null.
struct TransparentFormats {
    ScopedGlobal png;
    ScopedGlobal dib_v5;
    ScopedGlobal dib;  // on white; only from a whole picture
};
TransparentFormats transparent_formats(const StampPng& png);
TransparentFormats transparent_formats(const StampPicture& picture);

// CF_DIB of the picture's bitmap rows on white (what CF_BITMAP shows): a
// 40-byte BITMAPINFOHEADER, then 24-bit rows bottom-up. Null when none
// could be made.
ScopedGlobal on_white_dib(const StampPicture& picture);

// Puts each block that was made on the clipboard, which the caller has
// open and emptied, in the order "PNG", CF_DIBV5, CF_DIB. The clipboard owns
// what it took; what it refused stays in `formats` and is freed with it.
void put_transparent_formats(TransparentFormats& formats);

// ---- Made on request --------------------------------------------------------
// The clipboard's owner window is asked for an offered format's data when a
// program first reads it (WM_RENDERFORMAT), for all that are still missing
// before it goes (WM_RENDERALLFORMATS), and is told when the clipboard is
// emptied (WM_DESTROYCLIPBOARD). Its procedure hands these to the three
// functions after the first.

// Offers "PNG", CF_DIBV5 and CF_DIB without data on the clipboard, which the caller
// has open as the owner window and emptied, and keeps `picture` to make them
// from. The picture of an earlier offer is dropped.
void offer_transparent_formats(StampPicture picture);

// WM_RENDERFORMAT: puts the format, made from the kept picture, on the
// clipboard (which the asking program holds open). False for a format that
// is not offered, was given already or could not be made.
bool render_offered_format(UINT format);

// WM_RENDERALLFORMATS, and the owner's end however it comes: opens the
// clipboard as `owner` and, while it still owns it, puts on every offered
// format not given yet.
void render_remaining_offered_formats(HWND owner);

// WM_DESTROYCLIPBOARD: the clipboard was emptied; the kept picture goes.
void forget_offered_formats();

}  // namespace markomi
