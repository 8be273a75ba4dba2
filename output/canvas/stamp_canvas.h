#pragma once
// The numbers of the bitmap pipelines: the doubled stamp geometry, the
// working canvas each design needs around its centre, and the work and
// final sizes once the ink box is known.
#include <cstdint>

#include "render/ink_margins.h"
#include "settings/settings_record.h"

namespace markomi {

// The stamp drawn at the supersampled size.
struct ScaledGeometry {
    std::int32_t radius = 0;           // R = f x WAKUn_HANKEI
    std::int32_t thick = 0;            // T = f x WAKUn_THICK - 1
    std::int32_t half_thick = 0;       // c = T / 2 rounded up
    std::int32_t shadow_distance = 0;  // s = max(T, f)
};

ScaledGeometry scaled_geometry(std::int32_t hankei, std::int32_t thick, std::int32_t factor);

enum class CanvasShape { kCircle, kFlower, kPointed, kInsect, kAnimal };

// normal and diamond: circle; flower; star and typhoon: pointed; insect; animal.
CanvasShape canvas_shape_of_slot(int slot_index);

// Half extents (cx, cy), which are also the stamp's centre on the canvas,
// and the canvas size, at the supersampled size.
struct WorkingCanvas {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// `ornaments` is WAKUn_BUNKATU (kept within 3..20 here, as drawing does).
WorkingCanvas working_canvas(CanvasShape shape, const ScaledGeometry& g, std::int32_t ornaments);

// Where the stamp is drawn on the work bitmap and how large the result is.
struct BitmapLayout {
    std::int32_t px = 0;           // centre, so the ink starts one pixel in
    std::int32_t py = 0;
    std::int32_t work_width = 0;   // ww
    std::int32_t work_height = 0;  // wh
    std::int32_t width = 0;        // ww / f
    std::int32_t height = 0;       // wh / f
};

// From the canvas and the ink margins measured on it: the ink box plus one
// blank pixel on each side, grown by the shadow distance to the right and
// downwards when the slot has a 3D look, then halved (an odd size loses its
// last row or column).
BitmapLayout bitmap_layout(const WorkingCanvas& canvas, const InkMargins& margins, bool shadow,
                           std::int32_t shadow_distance, std::int32_t factor);

// Which output a stamping makes: the first letter of FORMAT picks the
// metafile ("M") or the bitmap (anything else); Ctrl held reverses it.
enum class StampOutput { kBitmap, kMetafile };
StampOutput choose_stamp_output(char16_t format_letter, bool ctrl_down);

}  // namespace markomi
