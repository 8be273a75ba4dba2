#pragma once
// The clipboard formats that carry the stamp's transparency beside its
// CF_BITMAP: the registered "PNG" format (the PNG file's bytes) and
// CF_DIBV5 with an alpha channel. Programs that understand either paste a
// stamp the document shows through; all others keep taking the bitmap.
#include <windows.h>

#include "base/win_handles_win.h"
#include "output/image_file_win.h"

namespace markomi {

// The registered "PNG" clipboard format; 0 when it cannot be registered.
UINT png_clipboard_format();

// The two blocks, made before the clipboard is opened so that it is held
// only for the moment of setting. A block that could not be made is null.
struct TransparentFormats {
    ScopedGlobal png;
    ScopedGlobal dib_v5;
};
TransparentFormats transparent_formats(const StampPng& png);

// Puts each block that was made on the clipboard, which the caller has
// open and emptied. The clipboard owns what it took; what it refused stays
// in `formats` and is freed with it.
void put_transparent_formats(TransparentFormats& formats);

}  // namespace markomi
