#pragma once
// The bitmap output of a stamp: its one picture (output/stamp_picture_win.h:
// drawn at twice the size, cropped to the ink plus a one-pixel border,
// halved) composited on white and put on the clipboard as CF_BITMAP and
// CF_DIB, with the same picture beside it as "PNG" and CF_DIBV5, which keep
// its transparency.
#include <windows.h>

#include "output/clipboard_win.h"
#include "render/ink_margins.h"
#include "settings/settings_record.h"

namespace markomi {

// Draws the slot's stamp in black on the ink surface, centred on (cx, cy),
// and returns the blank margins inside the rectangle. The slot's colours
// are put back afterwards; nothing is fitted.
InkMargins stamp_ink_box(SettingsSet& set, int slot_index, int cx, int cy, int left, int top,
                         int right, int bottom);

struct StampBitmap {
    HBITMAP bitmap = nullptr;  // compatible with the window DC; the caller owns it
    int width = 0;
    int height = 0;
};

// Renders the slot's impression as a bitmap compatible with `window_dc` and
// leaves it selected into `memory_dc`. The slot's radius and thickness (and,
// with AJUST 0, its row heights) are exactly as before afterwards.
StampBitmap render_stamp_bitmap(SettingsSet& set, int slot_index, HDC window_dc, HDC memory_dc);

// The window that makes the transparent formats only when a program asks
// for them: its procedure answers WM_RENDERFORMAT, WM_RENDERALLFORMATS and
// WM_DESTROYCLIPBOARD with the functions of transparent_formats_win.h. Null
// (the default) when there is none.
void set_delayed_rendering_window(HWND window);

// Renders the slot's picture and puts it on the clipboard, owned by
// `owner`: "PNG", CF_DIBV5 and CF_DIB first, then the bitmap. Owned by the
// delayed rendering window in resident mode (STATIONTYPE 1 in `set`), the
// three are only offered and the picture is kept to make them from
// (encoding them costs about as much as the rest of a copy); otherwise they
// are made at once, and those that could not be made are left out. False when the clipboard could not be had (everything made
// is then released) or no bitmap was made (the clipboard is then not
// touched); `outcome` tells which.
bool copy_bitmap_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                              ClipboardCopy* outcome = nullptr);

}  // namespace markomi
