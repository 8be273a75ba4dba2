#include "output/raster/stamp_picture_win.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "base/dib_section_win.h"
#include "base/gdi_handles_win.h"
#include "output/canvas/output_common_win.h"
#include "output/canvas/stamp_canvas.h"
#include "output/raster/image_file_rules.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/ink_margins.h"
#include "render/preview_geometry.h"
#include "render/shade.h"
#include "render/stamp_renderer_gdiplus.h"

namespace markomi {
namespace {

// A 24-bit DIB section, read in place. GDI+ draws on it through GDI where
// it does not anti-alias on device contexts: Wine's GDI+ rasterises by
// itself only on its own bitmaps and on 32-bit DIB sections
// (docs/wine-notes.md).
class DibSurface {
public:
    DibSurface(int width, int height) : section_(width, height, 24) {}

    int width() const { return section_.width(); }
    int height() const { return section_.height(); }
    // Null when the surface could not be made.
    HDC dc() const { return section_.dc(); }

    // The top-left w x h pixels as 0x00RRGGBB, rows top to bottom, once
    // GDI has finished drawing.
    std::vector<std::uint32_t> pixels(int w, int h) const {
        const BYTE* bits = section_.bits();
        if (!bits || w > width() || h > height()) return {};
        std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            const BYTE* at = bits + static_cast<std::size_t>(y) * section_.stride();
            std::uint32_t* row = out.data() + static_cast<std::size_t>(y) * w;
            for (int x = 0; x < w; ++x, at += 3) row[x] = at[0] | at[1] << 8 | at[2] << 16;
        }
        return out;
    }

private:
    DibSection section_;
};

// The keyed surface, kept from one picture to the next and grown when a
// larger one is needed: making a bitmap and selecting it costs here up to a
// third of drawing a stamp.
DibSurface& keyed_surface(int width, int height) {
    static std::unique_ptr<DibSurface> kept;
    if (!kept || kept->width() < width || kept->height() < height) {
        const int w = kept ? std::max(width, kept->width()) : width;
        const int h = kept ? std::max(height, kept->height()) : height;
        kept.reset();  // one at a time
        kept = std::make_unique<DibSurface>(w, h);
    }
    return *kept;
}

// The drawing surface and where the stamp's centre lies on it.
struct Placement {
    int width = 0;
    int height = 0;
    int cx = 0;
    int cy = 0;
    std::int32_t shadow_distance = 0;
};

// The shadow pass (with a 3D look), then the stamp.
void draw_stamp_passes(GraphicsWrapper& g, SettingsSet& set, int slot_index, const Placement& at) {
    prepare_graphics(g);
    const SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    const int fit = set.global.ajust;
    if (slot.frame.shadow > 0)
        render_stamp(g, set, slot_index, at.cx + at.shadow_distance, at.cy + at.shadow_distance,
                     slot.frame.shadow, fit);
    render_stamp(g, set, slot_index, at.cx, at.cy, 0, fit);
}

std::vector<std::uint32_t> draw_on_alpha_bitmap(SettingsSet& set, int slot_index, const Placement& at) {
    const int w = at.width, h = at.height;
    Gdiplus::GpBitmap* raw = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppPARGB, nullptr, &raw) != Gdiplus::Ok)
        return {};
    GdipImagePtr image(raw);
    {
        GraphicsWrapper g;
        if (gdip::GdipGetImageGraphicsContext(raw, &g.graphics) != Gdiplus::Ok) return {};
        GdipGraphicsPtr owner(g.graphics);
        if (gdip::GdipGraphicsClear(g.graphics, 0) != Gdiplus::Ok) return {};
        draw_stamp_passes(g, set, slot_index, at);
    }
    return premultiplied_pixels(raw, w, h);
}

// Every colour the slot's passes draw in, as 0x00RRGGBB.
std::vector<std::uint32_t> drawn_colours(const SlotSettings& slot) {
    std::vector<std::uint32_t> colours;
    for (ColorRef c : {slot.frame.color, slot.busho.color, slot.date.color, slot.name.color}) {
        colours.push_back(shade_colour(c, kShadeNone));
        if (slot.frame.shadow > 0) colours.push_back(shade_colour(c, slot.frame.shadow));
    }
    return colours;
}

std::vector<std::uint32_t> draw_on_keyed_bitmap(SettingsSet& set, int slot_index, const Placement& at) {
    const std::uint32_t key =
        key_colour_outside(drawn_colours(set.slots[static_cast<std::size_t>(slot_index)]));
    DibSurface& surface = keyed_surface(at.width, at.height);
    if (!surface.dc()) return {};
    {
        GdiBrush background(CreateSolidBrush(RGB((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF)));
        const RECT all{0, 0, at.width, at.height};
        if (!background || !FillRect(surface.dc(), &all, background.get())) return {};
        GraphicsWrapper g;
        if (gdip::GdipCreateFromHDC(surface.dc(), &g.graphics) != Gdiplus::Ok) return {};
        GdipGraphicsPtr owner(g.graphics);
        draw_stamp_passes(g, set, slot_index, at);
    }
    std::vector<std::uint32_t> pixels = surface.pixels(at.width, at.height);
    keyed_to_premultiplied(pixels.data(), pixels.size(), key);
    return pixels;
}

// Whether GDI+ blends partial coverage when it draws on a device context: a
// black disc at a fractional place leaves grey at its rim where it does.
bool gdiplus_anti_aliases_on_device_contexts() {
    constexpr int kSize = 12;
    DibSurface probe(kSize, kSize);
    if (!probe.dc() || !PatBlt(probe.dc(), 0, 0, kSize, kSize, WHITENESS)) return false;
    {
        GraphicsWrapper g;
        if (gdip::GdipCreateFromHDC(probe.dc(), &g.graphics) != Gdiplus::Ok) return false;
        GdipGraphicsPtr owner(g.graphics);
        prepare_graphics(g);
        Gdiplus::GpSolidFill* raw = nullptr;
        if (gdip::GdipCreateSolidFill(0xFF000000u, &raw) != Gdiplus::Ok) return false;
        GdipBrushPtr black(raw);
        gdip::GdipFillEllipse(g.graphics, black.get(), 1.3f, 1.3f, 8.6f, 8.6f);
    }
    for (std::uint32_t rgb : probe.pixels(kSize, kSize))
        if (rgb != 0 && rgb != 0x00FFFFFFu) return true;
    return false;
}

}  // namespace

PictureSurface picture_surface() {
    static const PictureSurface surface = gdiplus_anti_aliases_on_device_contexts()
                                              ? PictureSurface::kAlphaBitmap
                                              : PictureSurface::kKeyedBitmap;
    return surface;
}

StampPicture render_stamp_picture(SettingsSet& set, int slot_index, PictureSurface surface) {
    StampPicture picture;
    if (slot_index < 0 || slot_index >= kSlotCount) return picture;
    const SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    ScaledSlot scaled(set, slot_index, kSupersampleFactor);
    const ScaledGeometry& sg = scaled.geometry();
    const WorkingCanvas canvas =
        working_canvas(canvas_shape_of_slot(slot_index), sg, slot.frame.bunkatu);
    const bool shadow = slot.frame.shadow > 0;
    const std::int32_t shadow_room = shadow ? sg.shadow_distance : 0;

    // The whole working canvas, with room for the blank border, the shadow
    // and the image files' extra row. The ink box is measured on this very
    // drawing, so the stamp is drawn once.
    constexpr int kBorder = 1;
    Placement at;
    at.width = canvas.width + 2 * kBorder + shadow_room;
    at.height = canvas.height + 2 * kBorder + 1 + shadow_room;
    at.cx = canvas.cx + kBorder;
    at.cy = canvas.cy + kBorder;
    at.shadow_distance = sg.shadow_distance;
    if (at.width <= 0 || at.height <= 0) return picture;
    const std::vector<std::uint32_t> drawn = surface == PictureSurface::kAlphaBitmap
                                                 ? draw_on_alpha_bitmap(set, slot_index, at)
                                                 : draw_on_keyed_bitmap(set, slot_index, at);
    if (drawn.size() != static_cast<std::size_t>(at.width) * at.height) return picture;

    // The stamp's ink box in canvas coordinates. The shadow is the stamp
    // moved right and down by the shadow distance, so the drawing's box is
    // the stamp's grown by it on those two sides, and an area of the canvas
    // grown alike leaves the same margins.
    const PixelReader coverage = [&](int x, int y, std::uint32_t* colour) {
        *colour = (drawn[static_cast<std::size_t>(y) * at.width + x] >> 24) != 0 ? 0u : kBlankPixel;
        return true;
    };
    InkMargins margins = stamp_ink_margins(coverage, kBorder, kBorder, kBorder + canvas.width + shadow_room,
                                           kBorder + canvas.height + shadow_room);
    margins.right = std::min(margins.right, canvas.width);  // nothing drawn at all

    // The image files' layout: the bitmap's, with one more row for the
    // animal; the bitmap takes the first rows of the same picture.
    const BitmapLayout layout = image_writer_layout(slot_index, canvas, margins, shadow,
                                                    sg.shadow_distance, kSupersampleFactor);
    const BitmapLayout bitmap =
        bitmap_layout(canvas, margins, shadow, sg.shadow_distance, kSupersampleFactor);
    const int left = at.cx - layout.px, top = at.cy - layout.py;
    if (layout.width <= 0 || layout.height <= 0 || left < 0 || top < 0 ||
        left + layout.work_width > at.width || top + layout.work_height > at.height)
        return picture;

    static_assert(kSupersampleFactor == 2, "the picture is halved once");
    halve_picture(drawn.data() + static_cast<std::size_t>(top) * at.width + left, layout.work_width,
                  layout.work_height, at.width, &picture);
    picture.bitmap_height = std::min(bitmap.height, picture.height);
    return picture;
}

}  // namespace markomi
