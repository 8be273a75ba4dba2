#include "output/preview_output_win.h"

#include "base/process_globals_win.h"
#include "output/halve_win.h"
#include "output/output_common_win.h"
#include "output/preview_render_geometry.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {
namespace {

// One logical unit per device pixel, whatever the context had before.
void one_to_one_mapping(HDC dc) {
    SetMapMode(dc, MM_ISOTROPIC);
    int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
    SetWindowExtEx(dc, width, height, nullptr);
    SetViewportExtEx(dc, width, height, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

}  // namespace

void draw_preview_slot(HDC dc, SettingsSet& set, int slot_index, int current_dpi) {
    if (!dc || slot_index < 0 || slot_index >= kSlotCount) return;
    SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    const bool ajust = set.global.ajust == 1;
    const SlotSizes stored = slot_sizes_of(slot);
    const SlotSizes scaled =
        preview_slot_sizes(stored, ajust, preview_scale(current_dpi), kSupersampleFactor);
    write_slot_sizes(slot, scaled);
    PreviewWork work =
        preview_work(current_preview_box_size(), current_preview_box_origin(), kSupersampleFactor);

    one_to_one_mapping(dc);
    HDC memory = CreateCompatibleDC(dc);
    one_to_one_mapping(memory);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, work.bitmap_width, work.bitmap_height);
    HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
    fill_white(memory, work.work_box.left, work.work_box.top, work.work_box.right, work.work_box.bottom);

    GraphicsWrapper g;
    if (gdip::GdipCreateFromHDC(memory, &g.graphics) == Gdiplus::Ok) {
        prepare_graphics(g);
        if (slot.frame.shadow > 0) {
            PreviewPoint s = preview_shadow_centre(
                work, preview_shadow_distance(scaled.thick, kSupersampleFactor));
            render_stamp(g, set, slot_index, s.x, s.y, slot.frame.shadow, set.global.ajust);
        }
        render_stamp(g, set, slot_index, work.centre.x, work.centre.y, 0, set.global.ajust);
        gdip::GdipDeleteGraphics(g.graphics);
    }

    // Halved by averaging 2x2 blocks straight into the preview box.
    SelectObject(memory, old_bitmap);
    std::vector<std::uint32_t> half =
        halved_pixels(dc, bitmap, work.bitmap_width, work.bitmap_height, work.source.x, work.source.y,
                      work.source.width, work.source.height);
    draw_pixels(dc, half, work.target.x, work.target.y, work.source.width / kSupersampleFactor,
                work.source.height / kSupersampleFactor);

    DeleteObject(bitmap);
    DeleteDC(memory);
    restore_slot_sizes(slot, stored, preview_restores_heights(ajust));
}

void draw_preview_on_dc(HDC dc) { draw_preview_slot(dc, g_settings, g_settings.global.active, g_current_dpi); }

void draw_preview(HWND window) {
    HDC dc = GetDC(window);
    if (!dc) return;
    draw_preview_on_dc(dc);
    ReleaseDC(window, dc);
}

}  // namespace markomi
