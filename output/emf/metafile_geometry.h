#pragma once
// The numbers of the metafile pipeline. Unlike the bitmap pipeline it takes
// the working canvas and the ink box at the stored size, then doubles the
// stamp and scales it by the start-up resolution, and lets a world transform
// of (kx / 2, ky / 2) bring it back into a frame of the stored size times
// the start-up scale. Single precision and truncation at each step are
// deliberate: they decide the frame's and the stamp's pixel sizes.
#include <cstdint>
#include <optional>

#include "output/canvas/stamp_canvas.h"
#include "render/ink_margins.h"
#include "settings/settings_record.h"

namespace markomi {

// ---- The sizes a pipeline scales and puts back ----------------------------------

// WAKUn_HANKEI, WAKUn_THICK and the three row heights of one slot.
struct SlotSizes {
    std::int32_t hankei = 0;
    std::int32_t thick = 0;
    std::int32_t busho_height = 0;
    std::int32_t date_height = 0;
    std::int32_t name_height = 0;
};

SlotSizes slot_sizes_of(const SlotSettings& slot);

// Writes all five values into the slot's record (before rendering).
void write_slot_sizes(SlotSettings& slot, const SlotSizes& sizes);

// Puts the saved radius and thickness back, and the three heights only when
// `heights_too` (with auto-fit on, the heights keep what the fit found).
void restore_slot_sizes(SlotSettings& slot, const SlotSizes& saved, bool heights_too);

// The sizes drawn at the supersampled size and a screen scale `m`:
// radius × f, thickness × f − 1 (f is always greater than 1), heights × f only
// without auto-fit; then every value × m in single precision, each product
// truncated toward zero (the heights whatever auto-fit is; they are negative,
// so -13 × 1.5 gives -19). The preview and the metafile pipeline share it.
SlotSizes supersampled_slot_sizes(const SlotSizes& stored, bool ajust, float factor, float scale);

// ---- Resolution ratio probe -------------------------------------------------------

// The probe records a 10 × 10 pixel metafile on the reference surface.
constexpr std::int32_t kMetafileProbeFrameSize = 10;

struct MetafileRatio {
    float kx = 1.0f;
    float ky = 1.0f;
};

// What the probe recording's header says, in dots per inch.
struct ProbeResolution {
    float dpi_x = 0.0f;
    float dpi_y = 0.0f;
};

// kx = header DpiX / reference DpiX, ky likewise, in single precision.
// Both are 1.0 when the probe failed (no header), and also when either axis
// gives no believable ratio: a header or reference resolution that is not a
// positive finite number, or a quotient outside 1/8 to 8.
MetafileRatio metafile_resolution_ratio(const std::optional<ProbeResolution>& probe,
                                        std::int32_t reference_dpi_x,
                                        std::int32_t reference_dpi_y);

// ---- Canvas, layout and frame at the stored size ------------------------------------

// The working canvas of a design at the stored size, from WAKUn_HANKEI,
// WAKUn_THICK and WAKUn_BUNKATU (kept within 3..20): the bitmap pipeline's
// table without its extra blank pixels, except for the animal, which keeps
// them and has one pixel less of height. Double precision, truncated at the end.
WorkingCanvas metafile_canvas(CanvasShape shape, std::int32_t hankei, std::int32_t thick,
                              std::int32_t bunkatu);

// The blank border around the ink box: 3 for the normal design (slot index
// 0), 2 for the others.
std::int32_t metafile_border(int slot_index);

// Where the stamp sits in the stored-size frame, and the frame's size.
struct MetafileLayout {
    std::int32_t px = 0;           // cx − ml + 1
    std::int32_t py = 0;           // cy − mt + 1
    std::int32_t work_width = 0;   // cw − mr − ml + b (+ WAKUn_THICK with a 3D look)
    std::int32_t work_height = 0;  // ch − mb − mt + b (+ WAKUn_THICK with a 3D look)
};

MetafileLayout metafile_layout(int slot_index, const WorkingCanvas& canvas,
                               const InkMargins& margins, bool shadow, std::int32_t thick);

// One side of the frame: trunc(trunc(size × m) × k), single precision.
std::int32_t metafile_frame_extent(std::int32_t size, float scale, float ratio);

// The frame rectangle the metafile is recorded with, in pixels at (0, 0).
struct MetafileFrame {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;   // fw
    std::int32_t height = 0;  // fh
};

MetafileFrame metafile_frame(const MetafileLayout& layout, float scale, const MetafileRatio& ratio);

// ---- Drawing into the recording ---------------------------------------------------

// A centre coordinate at the drawing size: trunc(trunc(p × ff) × m).
std::int32_t metafile_centre(std::int32_t p, float factor, float scale);

// The shadow pass lies d to the right and below: the scaled thickness, or
// trunc(ff) when ff is greater.
std::int32_t metafile_shadow_distance(std::int32_t scaled_thick, float factor);

// The world transform that maps the drawing size back onto the frame:
// (kx / ff, ky / ff), prepended to the graphics object's transform.
struct WorldScale {
    float x = 1.0f;
    float y = 1.0f;
};

WorldScale metafile_world_scale(const MetafileRatio& ratio, float factor);

// Everything the recording step needs, from the stored slot and the
// layout measured at the stored size.
struct MetafileDrawing {
    SlotSizes sizes;                  // written into the record while drawing
    std::int32_t px = 0;              // stamp centre at the drawing size
    std::int32_t py = 0;
    std::int32_t shadow_distance = 0; // d
    WorldScale world;
};

MetafileDrawing metafile_drawing(const SlotSizes& stored, bool ajust, const MetafileLayout& layout,
                                 const MetafileRatio& ratio, float scale);

// Whether the heights are put back: without auto-fit always; with it only
// when the pipeline left its normal course after the recording was made,
// since the record may then still hold the scaled heights.
bool metafile_restores_heights(bool ajust, bool finished_normally);

}  // namespace markomi
