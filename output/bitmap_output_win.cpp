#include "output/bitmap_output_win.h"

#include <array>
#include <utility>

#include "base/gdi_handles_win.h"
#include "output/clipboard_win.h"
#include "output/halve_win.h"
#include "output/image_file_win.h"
#include "output/output_common_win.h"
#include "output/stamp_picture_win.h"
#include "output/transparent_formats_win.h"
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

namespace {

HWND g_delayed_rendering_window = nullptr;

// The picture's first bitmap rows on white, as a bitmap compatible with `dc`.
HBITMAP picture_bitmap(HDC dc, const StampPicture& picture) {
    return bitmap_from_pixels(dc, picture.on_white, picture.width, picture.bitmap_height);
}

}  // namespace

StampBitmap render_stamp_bitmap(SettingsSet& set, int slot_index, HDC window_dc, HDC memory_dc) {
    StampBitmap result;
    const StampPicture picture = render_stamp_picture(set, slot_index);
    result.bitmap = picture_bitmap(window_dc, picture);
    if (!result.bitmap) return result;
    SelectObject(memory_dc, result.bitmap);
    result.width = picture.width;
    result.height = picture.bitmap_height;
    return result;
}

void set_delayed_rendering_window(HWND window) { g_delayed_rendering_window = window; }

bool copy_bitmap_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                              ClipboardCopy* outcome) {
    StampPicture picture = render_stamp_picture(set, slot_index);
    GdiBitmap bitmap;
    {
        WindowDc window_dc(owner);
        if (window_dc) bitmap.reset(picture_bitmap(window_dc.get(), picture));
    }
    bool placed = false;
    ClipboardCopy result = ClipboardCopy::kNotRendered;
    if (bitmap) {
        // Only a resident program is still there when they are read: the
        // normal program ends right after its copy or paste, and what it
        // would make then (opening the clipboard a reader may hold) can be
        // lost.
        const bool on_request = owner != nullptr && owner == g_delayed_rendering_window &&
                                set.global.station_type == 1;
        // Made before the clipboard is opened, so that it is held only for
        // the moment of setting.
        TransparentFormats extras;
        if (!on_request) extras = transparent_formats(picture);
        result = ClipboardCopy::kClipboardBusy;
        if (open_clipboard_patiently(owner)) {
            // Emptying tells the owner of the last copy (this window, maybe)
            // to drop what it kept for it; the new picture is kept after.
            EmptyClipboard();
            // Programs take the first format on the clipboard they can
            // read, so the transparent forms come first and the bitmap,
            // which every program reads, last. Without the bitmap there is
            // no copy: the clipboard is left empty.
            if (on_request)
                offer_transparent_formats(std::move(picture));
            else
                put_transparent_formats(extras);
            placed = SetClipboardData(CF_BITMAP, bitmap.get()) != nullptr;
            if (placed) {
                bitmap.release();  // the clipboard's now
            } else {
                EmptyClipboard();
                forget_offered_formats();
            }
            CloseClipboard();
            if (placed) result = ClipboardCopy::kPlaced;
        }
    }
    if (outcome) *outcome = result;
    return placed;
}

}  // namespace markomi
