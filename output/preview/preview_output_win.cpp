#include "output/preview/preview_output_win.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "base/dib_section_win.h"
#include "base/process_globals_win.h"
#include "output/canvas/output_common_win.h"
#include "output/preview/preview_render_geometry.h"
#include "output/raster/halve.h"
#include "output/raster/halve_win.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {
namespace {

// The screen's size in pixels, which the drawing's mapping is made from.
struct ScreenSize {
    int width = 0;
    int height = 0;
    bool operator==(const ScreenSize& o) const { return width == o.width && height == o.height; }
};

ScreenSize screen_size_of(HDC dc) { return {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)}; }

// The mapping the stamp is drawn in: isotropic, with the screen's size as
// both extents and the viewport at the origin, meant as one logical unit per
// device pixel. (Wine fits isotropic extents to the screen's physical aspect,
// which scales one axis by about a thousandth, and GDI+ draws the glyph paths
// in that scale: the preview's pixels depend on this very mapping.)
void isotropic_mapping(HDC dc, const ScreenSize& screen) {
    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, screen.width, screen.height, nullptr);
    SetViewportExtEx(dc, screen.width, screen.height, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

// The preview's DC in one logical unit per device pixel, whatever it had
// before. One in MM_TEXT with its viewport at the origin (every new DC) is
// that already and is left as it is: each call that sets a mapping costs
// here (Wine) a third of a millisecond or more. The halved picture is put
// at a whole-pixel position well inside the screen, where the isotropic
// mapping moves nothing.
void one_to_one_mapping(HDC dc, const ScreenSize& screen) {
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    if (GetMapMode(dc) == MM_TEXT && origin.x == 0 && origin.y == 0) return;
    isotropic_mapping(dc, screen);
}

// What CreateCompatibleBitmap makes for a DC: for a memory DC a bitmap like
// the one selected into it (a DIB section of its format when it is one), for
// any other DC one of the device's depth. GDI+ draws differently on the two
// kinds (under Wine it rasterises 32-bit DIB sections itself and hands
// everything else to GDI), so the work bitmap is always of the DC's kind.
struct BitmapKind {
    bool dib = false;
    int bits_per_pixel = 0;
    DWORD compression = 0;
    DWORD masks[3] = {0, 0, 0};

    bool operator==(const BitmapKind& o) const {
        return dib == o.dib && bits_per_pixel == o.bits_per_pixel && compression == o.compression &&
               masks[0] == o.masks[0] && masks[1] == o.masks[1] && masks[2] == o.masks[2];
    }
};

// Any DC but a memory DC counts as the screen's, whose depth is not asked
// for (that costs as much as setting a mapping): the screen's size, which
// comes with every redraw, tells when the screen changed.
BitmapKind compatible_kind(HDC dc) {
    BitmapKind kind;
    if (GetObjectType(dc) != OBJ_MEMDC) return kind;
    DIBSECTION section{};
    const int size = GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof section, &section);
    kind.dib = size == static_cast<int>(sizeof section);
    kind.bits_per_pixel = section.dsBm.bmBitsPixel;
    if (kind.dib) {
        kind.compression = section.dsBmih.biCompression;
        for (int i = 0; i < 3; ++i) kind.masks[i] = section.dsBitfields[i];
    }
    return kind;
}

// The work bitmap (compatible with the preview's DC, as one made afresh
// would be) in a memory DC of its own, and a 32-bit copy of the part the
// preview shows, read in place and halved into a kept buffer. All are kept
// from one redraw to the next: making the bitmap, selecting it, reading it
// back and halving into new buffers touched fresh memory every time, which
// cost here several times the drawing of the stamp. Remade when a larger
// bitmap is needed, the screen's size changed or a DC of another kind asks;
// never released (the process's end frees them).
class WorkSurface {
public:
    // The memory DC holding a work bitmap of at least width x height for
    // `dc`, in the drawing's mapping for `screen`; null when it could not be
    // made. The mapping stays from one redraw to the next: GDI+ leaves a
    // DC's state as it found it.
    HDC prepare(HDC dc, int width, int height, const ScreenSize& screen) {
        const BitmapKind kind = compatible_kind(dc);
        if (memory_ && kind == kind_ && screen == screen_ && width <= width_ && height <= height_)
            return memory_;
        release_work();
        memory_ = CreateCompatibleDC(dc);
        bitmap_ = memory_ ? CreateCompatibleBitmap(dc, width, height) : nullptr;
        if (!bitmap_) {
            release_work();
            return nullptr;
        }
        old_bitmap_ = SelectObject(memory_, bitmap_);
        isotropic_mapping(memory_, screen);
        kind_ = kind;
        screen_ = screen;
        width_ = width;
        height_ = height;
        return memory_;
    }

    // The w x h part of the work bitmap at (x, y), halved: opaque 0xAARRGGBB
    // rows of (w / 2) x (h / 2) pixels. Empty when it could not be read.
    const std::vector<std::uint32_t>& halved(int x, int y, int w, int h) {
        half_.clear();
        if (!memory_ || w <= 0 || h <= 0 || x < 0 || y < 0 || x + w > width_ || y + h > height_ ||
            !copy_of_size(w, h))
            return half_;
        if (!BitBlt(copy_->dc(), 0, 0, w, h, memory_, x, y, SRCCOPY)) return half_;
        const BYTE* bits = copy_->bits();  // 32-bit rows are packed: halve_pixels' layout
        if (!bits) return half_;
        half_.resize(static_cast<std::size_t>(w / 2) * (h / 2));
        halve_pixels(reinterpret_cast<const std::uint32_t*>(bits), w, h, half_.data());
        // Opaque: the mean of alphas never reaches into the colour channels,
        // so setting it on the halved pixels is setting it on the copy first.
        for (std::uint32_t& pixel : half_) pixel |= 0xFF000000u;
        return half_;
    }

private:
    bool copy_of_size(int w, int h) {
        if (copy_ && w == copy_->width() && h == copy_->height()) return true;
        copy_.reset();  // one at a time
        copy_ = std::make_unique<DibSection>(w, h, 32);
        if (copy_->dc()) return true;
        copy_.reset();
        return false;
    }

    void release_work() {
        if (memory_ && old_bitmap_) SelectObject(memory_, old_bitmap_);
        if (bitmap_) DeleteObject(bitmap_);
        if (memory_) DeleteDC(memory_);
        memory_ = nullptr;
        bitmap_ = nullptr;
        old_bitmap_ = nullptr;
        width_ = height_ = 0;
    }

    BitmapKind kind_;
    ScreenSize screen_;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_bitmap_ = nullptr;
    int width_ = 0, height_ = 0;
    std::unique_ptr<DibSection> copy_;
    std::vector<std::uint32_t> half_;
};

WorkSurface& work_surface() {
    static WorkSurface* surface = new WorkSurface();
    return *surface;
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

    const ScreenSize screen = screen_size_of(dc);
    one_to_one_mapping(dc, screen);
    WorkSurface& surface = work_surface();
    HDC memory = surface.prepare(dc, work.bitmap_width, work.bitmap_height, screen);
    if (memory) {
        // Only the work box is read back, and all of it is painted here
        // first: what earlier redraws left around it is never seen.
        fill_white(memory, work.work_box.left, work.work_box.top, work.work_box.right,
                   work.work_box.bottom);
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
        const std::vector<std::uint32_t>& half =
            surface.halved(work.source.x, work.source.y, work.source.width, work.source.height);
        draw_pixels(dc, half, work.target.x, work.target.y, work.source.width / kSupersampleFactor,
                    work.source.height / kSupersampleFactor);
    }
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
