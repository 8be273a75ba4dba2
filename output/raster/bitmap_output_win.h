#pragma once
// The bitmap output of a stamp: its one picture (output/raster/stamp_picture_win.h:
// drawn at twice the size, cropped to the ink plus a one-pixel border,
// halved) composited on white, as the clipboard's CF_BITMAP
// (output/clipboard/stamp_copy_win.h) and the BMP file hold it.
#include <windows.h>

#include "output/raster/stamp_picture.h"
#include "settings/settings_record.h"

namespace markomi {

struct StampBitmap {
    HBITMAP bitmap = nullptr;  // compatible with the window DC; the caller owns it
    int width = 0;
    int height = 0;
};

// Renders the slot's impression as a bitmap compatible with `window_dc` and
// leaves it selected into `memory_dc`. The slot's radius and thickness (and,
// with AJUST 0, its row heights) are exactly as before afterwards.
StampBitmap render_stamp_bitmap(SettingsSet& set, int slot_index, HDC window_dc, HDC memory_dc);

// The picture's bitmap rows on white, as a bitmap compatible with `dc`; the
// caller owns it. Null when none could be made.
HBITMAP stamp_bitmap_of(HDC dc, const StampPicture& picture);

}  // namespace markomi
