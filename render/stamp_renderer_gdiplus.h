#pragma once
// Draws one complete stamp impression of a slot onto a GDI+ graphics: the
// department, date and name rows as filled glyph paths, then the frame and
// the slot's ornament. Callers set pixel page unit and smoothing first.
#include "render/gdiplus_handles_gdiplus.h"
#include "render/stamp_geometry.h"
#include "settings/settings_record.h"

namespace markomi {

// Renders slot `slot_index` (0..6: normal, flower, star, insect, typhoon,
// diamond, animal) of `set` centred on (cx, cy). `shade_mode` 0 draws the
// colours as set, 1..3 the tints of the 3D look's shadow pass. With
// `auto_fit` 1 the rows are fitted first and the slot's heights rewritten.
void render_stamp(GraphicsWrapper& target, SettingsSet& set, int slot_index, int cx, int cy,
                  int shade_mode, int auto_fit);

// The whole impression with its 3D look: when the slot's WAKUn_SHADOW is
// above 0, first the shadow pass in that shade mode moved right and down by
// `shadow_distance`, then the stamp itself; otherwise the stamp alone.
void render_stamp_with_shadow(GraphicsWrapper& target, SettingsSet& set, int slot_index, int cx,
                              int cy, int auto_fit, int shadow_distance);

// The same for the process-wide settings.
void render_stamp(GraphicsWrapper& target, int slot_index, int cx, int cy, int shade_mode,
                  int auto_fit);

// The reference centre of the fit test: the centre of the preview box.
StampPoint fit_reference_centre();

// The start-up / after-save layout pass over the process-wide settings.
void run_layout_pass(bool keep_frame);

}  // namespace markomi
