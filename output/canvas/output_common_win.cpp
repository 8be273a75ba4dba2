#include "output/canvas/output_common_win.h"

#include <cstring>

#include "dates/era_table.h"
#include "render/layout_pass.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "render/text_path_gdiplus.h"

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

std::vector<std::uint32_t> premultiplied_pixels(Gdiplus::GpBitmap* bitmap, int w, int h) {
    Gdiplus::Rect all(0, 0, w, h);
    Gdiplus::BitmapData data{};
    if (w <= 0 || h <= 0 ||
        gdip::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) !=
            Gdiplus::Ok)
        return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * w,
                    static_cast<const BYTE*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride,
                    static_cast<std::size_t>(w) * 4);
    gdip::GdipBitmapUnlockBits(bitmap, &data);
    return pixels;
}

void fit_slot_rows(SettingsSet& set, int slot_index) {
    if (set.global.ajust != 1 || slot_index < 0 || slot_index >= kSlotCount) return;
    GdiplusTextMeasurer measurer;
    auto_fit_slot(set, slot_index, g_era_table, fit_reference_centre(), measurer);
}

}  // namespace markomi
