#pragma once
// Pieces every output pipeline shares: how a pipeline prepares its GDI+
// graphics, a white fill through GDI, the stamp's ink box, and the slot's
// frame and heights held at their supersampled values for the length of one
// rendering.
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "output/canvas/stamp_canvas.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/ink_margins.h"
#include "settings/settings_record.h"

namespace markomi {

// Page unit pixel, anti-aliased shapes, grid-fitted ClearType text and
// high-quality interpolation: how every output pipeline sets its graphics.
inline void prepare_graphics(GraphicsWrapper& g) {
    g.note(gdip::GdipSetPageUnit(g.graphics, Gdiplus::UnitPixel));
    g.note(gdip::GdipSetSmoothingMode(g.graphics, Gdiplus::SmoothingModeAntiAlias));
    g.note(gdip::GdipSetTextRenderingHint(g.graphics, Gdiplus::TextRenderingHintClearTypeGridFit));
    g.note(gdip::GdipSetInterpolationMode(g.graphics, Gdiplus::InterpolationModeHighQuality));
}

// Fills the rectangle with the stock white brush and pen.
inline void fill_white(HDC dc, int left, int top, int right, int bottom) {
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(WHITE_PEN));
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
}

// The w x h premultiplied pixels of a 32-bit GDI+ bitmap, rows top to
// bottom, once it is drawn; empty when they cannot be read.
std::vector<std::uint32_t> premultiplied_pixels(Gdiplus::GpBitmap* bitmap, int w, int h);

// Draws the slot's stamp in black on the ink surface, centred on (cx, cy),
// and returns the blank margins inside the rectangle. The slot's colours
// are put back afterwards; nothing is fitted.
InkMargins stamp_ink_box(SettingsSet& set, int slot_index, int cx, int cy, int left, int top,
                         int right, int bottom);

// With AJUST 1, fits the slot's rows to its frame as it stands in the
// record, as the renderer's own auto-fit does.
void fit_slot_rows(SettingsSet& set, int slot_index);

// The slot's stored frame and heights, replaced by their supersampled
// values for one rendering and put back when it ends. The heights are
// scaled only without auto-fit. With it they are fitted here at once: the
// record holds the heights of whatever was fitted last (the preview at the
// screen's scale, say), and the ink box must be measured with the text the
// renderer will draw at this size.
class ScaledSlot {
public:
    ScaledSlot(SettingsSet& set, int slot_index, std::int32_t factor)
        : slot_(set.slots[static_cast<std::size_t>(slot_index)]),
          fitted_(set.global.ajust == 1),
          saved_frame_(slot_.frame),
          saved_heights_{slot_.busho.height, slot_.date.height, slot_.name.height} {
        geometry_ = scaled_geometry(slot_.frame.hankei, slot_.frame.thick, factor);
        slot_.frame.hankei = geometry_.radius;
        slot_.frame.thick = geometry_.thick;
        if (fitted_) {
            fit_slot_rows(set, slot_index);
        } else {
            slot_.busho.height *= factor;
            slot_.date.height *= factor;
            slot_.name.height *= factor;
        }
    }
    ~ScaledSlot() {
        slot_.frame.hankei = saved_frame_.hankei;
        slot_.frame.thick = saved_frame_.thick;
        if (!fitted_) {
            slot_.busho.height = saved_heights_[0];
            slot_.date.height = saved_heights_[1];
            slot_.name.height = saved_heights_[2];
        }
    }
    ScaledSlot(const ScaledSlot&) = delete;
    ScaledSlot& operator=(const ScaledSlot&) = delete;

    const ScaledGeometry& geometry() const { return geometry_; }

private:
    SlotSettings& slot_;
    bool fitted_;
    FrameSpec saved_frame_;
    std::array<std::int32_t, 3> saved_heights_;
    ScaledGeometry geometry_;
};

}  // namespace markomi
