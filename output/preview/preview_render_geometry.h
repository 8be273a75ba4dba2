#pragma once
// The numbers of the preview pipeline: the stamp drawn at twice the size and
// at the screen's current resolution on a work bitmap, then reduced straight
// onto the preview box of the tab sheet. Unlike the output pipelines it does
// not crop to the ink: the stamp is centred on the box's centre (W, H).
#include <cstdint>

#include "output/emf/metafile_geometry.h"
#include "render/preview_geometry.h"

namespace markomi {

struct PreviewPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// A rectangle of the halftone stretch, as origin and size.
struct PreviewBlitRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Where the preview is drawn at the supersampled size and how it is reduced.
struct PreviewWork {
    PreviewPoint centre;              // (f·W, f·H)
    PreviewRect work_box;             // (f·X0, f·Y0) – (2f·W − f·X0, 2f·H − f·Y0), filled white
    std::int32_t bitmap_width = 0;    // the work box's right edge
    std::int32_t bitmap_height = 0;   // the work box's bottom edge
    PreviewBlitRect source;           // (f·X0, f·Y0), size (2f·W − 2f·X0, 2f·H − 2f·Y0)
    PreviewBlitRect target;           // on the window: the source divided by f
};

// From the preview box size (W, H) and origin (X0, Y0) of the moment. The
// target is the preview box itself: (X0, Y0) and its size, each the source's
// value divided by f.
PreviewWork preview_work(const PreviewSize& size, const PreviewOrigin& origin, std::int32_t factor);

// The sizes written into the slot while the preview is drawn: doubled (the
// heights only without auto-fit), then × the preview scale in single
// precision and truncated, the heights whatever auto-fit is.
SlotSizes preview_slot_sizes(const SlotSizes& stored, bool ajust, float preview_scale,
                             std::int32_t factor);

// The shadow pass lies o to the right and below: the scaled thickness, or f
// when that is smaller. In the window that is o / f pixels.
std::int32_t preview_shadow_distance(std::int32_t scaled_thick, std::int32_t factor);

// Centre of the shadow pass: (f·W + o, f·H + o).
PreviewPoint preview_shadow_centre(const PreviewWork& work, std::int32_t shadow_distance);

// Radius and thickness always come back; the heights only without auto-fit
// (with it they keep what the renderer's fit found).
constexpr bool preview_restores_heights(bool ajust) { return !ajust; }

}  // namespace markomi
