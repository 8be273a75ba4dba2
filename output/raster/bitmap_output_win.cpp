#include "output/raster/bitmap_output_win.h"

#include <array>
#include <utility>

#include "base/gdi_handles_win.h"
#include "output/canvas/output_common_win.h"
#include "output/raster/halve_win.h"
#include "output/raster/image_file_win.h"
#include "output/raster/stamp_picture_win.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {

InkMargins stamp_ink_box(SettingsSet& set, int slot_index, int cx, int cy, int left, int top,
                         int right, int bottom) {
    HDC ink = g_surfaces.ink.dc;
    if (!ink || slot_index < 0 || slot_index >= kSlotCount) return InkMargins{};
    fill_white(ink, left, top, right, bottom);

    SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    const std::array<ColorRef, 4> colours{slot.frame.color, slot.busho.color, slot.date.color,
                                          slot.name.color};
    slot.frame.color = slot.busho.color = slot.date.color = slot.name.color = 0;
    GraphicsWrapper g;
    if (gdip::GdipCreateFromHDC(ink, &g.graphics) == Gdiplus::Ok) {
        prepare_graphics(g);
        render_stamp(g, set, slot_index, cx, cy, 0, 0);
        gdip::GdipDeleteGraphics(g.graphics);
    }
    slot.frame.color = colours[0];
    slot.busho.color = colours[1];
    slot.date.color = colours[2];
    slot.name.color = colours[3];
    return stamp_ink_margins(surface_reader(g_surfaces.ink), left, top, right, bottom);
}

HBITMAP stamp_bitmap_of(HDC dc, const StampPicture& picture) {
    return bitmap_from_pixels(dc, picture.on_white, picture.width, picture.bitmap_height);
}

StampBitmap render_stamp_bitmap(SettingsSet& set, int slot_index, HDC window_dc, HDC memory_dc) {
    StampBitmap result;
    const StampPicture picture = render_stamp_picture(set, slot_index);
    result.bitmap = stamp_bitmap_of(window_dc, picture);
    if (!result.bitmap) return result;
    SelectObject(memory_dc, result.bitmap);
    result.width = picture.width;
    result.height = picture.bitmap_height;
    return result;
}

}  // namespace markomi
