#pragma once
// The bitmap output of a stamp: drawn at twice the size on white, cropped to
// the ink plus a one-pixel border, halved with halftone filtering, and put on
// the clipboard as CF_BITMAP, with the PNG writer's transparent picture
// beside it as "PNG" and CF_DIBV5.
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

// Renders and puts the bitmap on the clipboard, owned by `owner`, followed
// by the transparent formats that could be made. False when the clipboard
// could not be had (everything made is then released) or no bitmap was
// made (the clipboard is then not touched); `outcome` tells which.
bool copy_bitmap_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                              ClipboardCopy* outcome = nullptr);

}  // namespace markomi
