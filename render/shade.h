#pragma once
// Colours as the renderers draw them: the conversion of a settings colour to
// an opaque drawing colour, the tints of the 3D look, and the two passes
// (shadow, then stamp) that make that look.
#include <cstdint>
#include <vector>

#include "settings/settings_record.h"

namespace markomi {

// Drawing colour 0xAARRGGBB.
using Argb = std::uint32_t;

// Shade mode 0 draws the colours as set; 1..3 are the tints of the 3D look.
constexpr int kShadeNone = 0;

// The opaque drawing colour of a settings colour 0x00BBGGRR. Bits 24..31 of
// the settings value are ignored.
Argb argb_of(ColorRef colour);

// The tint factor of a shade mode for a colour. Only the exact value 0xFFFFFF
// counts as white. Modes outside 0..3 (a hand-edited file may hold 9; the
// settings window never produces one) all take the pale tint 1.8, so such a
// slot still gets a visible shadow behind a coloured stamp while a white
// element stays white.
float shade_factor(int mode, ColorRef colour);

// The drawing colour of a settings colour in a shade mode. A factor above 1
// moves each channel toward white by (255 - c) * (f - 1), otherwise it scales
// the channel by f; the arithmetic is single precision and truncated, so
// 255 * (1.8f - 1) gives 203, not 204.
Argb shade_colour(ColorRef colour, int mode);

// One drawing of the stamp: its centre offset and the shade mode it uses.
struct RenderPass {
    int dx = 0;
    int dy = 0;
    int shade_mode = kShadeNone;
};

// Whether the 3D look draws a shadow pass (`WAKUn_SHADOW` > 0; negative
// values draw none).
bool has_shadow_pass(int shadow);

// How far right and down the shadow pass is moved: the drawn frame thickness
// (the stored one after the output's scaling), but at least the supersample
// factor, so a thin frame still shows its shadow after reduction.
int shadow_distance(int scaled_thick, int supersample_factor);

// The passes of one stamp in drawing order: the shadow pass (mode = shadow,
// moved by distance) when there is one, then the stamp itself in mode 0.
std::vector<RenderPass> stamp_passes(int shadow, int distance);

}  // namespace markomi
