#include "output/bitmap_output_win.h"

#include <array>

#include "output/clipboard_win.h"
#include "output/output_common_win.h"
#include "output/halve_win.h"
#include "output/image_file_win.h"
#include "output/stamp_canvas.h"
#include "output/transparent_formats_win.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/preview_geometry.h"
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

StampBitmap render_stamp_bitmap(SettingsSet& set, int slot_index, HDC window_dc, HDC memory_dc) {
    StampBitmap result;
    if (slot_index < 0 || slot_index >= kSlotCount) return result;
    const SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    ScaledSlot scaled(set, slot_index, kSupersampleFactor);
    const ScaledGeometry& sg = scaled.geometry();
    WorkingCanvas canvas = working_canvas(canvas_shape_of_slot(slot_index), sg, slot.frame.bunkatu);
    InkMargins margins =
        stamp_ink_box(set, slot_index, canvas.cx, canvas.cy, 0, 0, canvas.width, canvas.height);
    const bool shadow = slot.frame.shadow > 0;
    BitmapLayout layout = bitmap_layout(canvas, margins, shadow, sg.shadow_distance, kSupersampleFactor);

    HDC work_dc = CreateCompatibleDC(window_dc);
    HBITMAP work = CreateCompatibleBitmap(window_dc, layout.work_width, layout.work_height);
    HGDIOBJ old_work = SelectObject(work_dc, work);
    fill_white(work_dc, 0, 0, layout.work_width, layout.work_height);
    GraphicsWrapper g;
    if (gdip::GdipCreateFromHDC(work_dc, &g.graphics) == Gdiplus::Ok) {
        prepare_graphics(g);
        const int fit = set.global.ajust;
        if (shadow)
            render_stamp(g, set, slot_index, layout.px + sg.shadow_distance,
                         layout.py + sg.shadow_distance, slot.frame.shadow, fit);
        render_stamp(g, set, slot_index, layout.px, layout.py, 0, fit);
        gdip::GdipDeleteGraphics(g.graphics);
    }

    // Halved by averaging 2x2 blocks (the halftone stretch of some systems
    // samples instead and loses thin lines).
    SelectObject(work_dc, old_work);
    std::vector<std::uint32_t> half = halved_pixels(window_dc, work, layout.work_width,
                                                    layout.work_height, 0, 0, layout.work_width,
                                                    layout.work_height);
    result.bitmap = bitmap_from_pixels(window_dc, half, layout.width, layout.height);
    SelectObject(memory_dc, result.bitmap);
    result.width = layout.width;
    result.height = layout.height;

    DeleteObject(work);
    DeleteDC(work_dc);
    return result;
}

bool copy_bitmap_to_clipboard(SettingsSet& set, int slot_index, HWND owner,
                              ClipboardCopy* outcome) {
    HDC window_dc = GetDC(owner);
    HDC memory_dc = CreateCompatibleDC(window_dc);
    HGDIOBJ original = GetCurrentObject(memory_dc, OBJ_BITMAP);
    StampBitmap stamp = render_stamp_bitmap(set, slot_index, window_dc, memory_dc);
    // The clipboard takes a bitmap that no device context holds.
    SelectObject(memory_dc, original);
    bool placed = false;
    ClipboardCopy result = ClipboardCopy::kNotRendered;
    if (stamp.bitmap) {
        // The transparent forms are the PNG writer's picture; one that
        // cannot be made is left out and the bitmap goes on without it.
        TransparentFormats extras = transparent_formats(render_stamp_png(set, slot_index));
        result = ClipboardCopy::kClipboardBusy;
        if (open_clipboard_patiently(owner)) {
            EmptyClipboard();
            // Programs take the first format on the clipboard they can
            // read, so the transparent forms come first and the bitmap,
            // which every program reads, last. Without the bitmap there is
            // no copy: the clipboard is left empty.
            put_transparent_formats(extras);
            placed = SetClipboardData(CF_BITMAP, stamp.bitmap) != nullptr;
            if (!placed) EmptyClipboard();
            CloseClipboard();
            if (placed) result = ClipboardCopy::kPlaced;
        }
    }
    if (outcome) *outcome = result;
    if (!placed && stamp.bitmap) DeleteObject(stamp.bitmap);
    DeleteDC(memory_dc);
    ReleaseDC(owner, window_dc);
    return placed;
}

}  // namespace markomi
