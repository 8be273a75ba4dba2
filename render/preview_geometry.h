#pragma once
// Where the preview box of the stamp tab sheet sits, the sunken frame drawn
// about it, and the scale factors between 96-dpi stamp sizes and devices.
// The box follows the UI font metrics of the moment; before any window has
// measured the UI font they are 0 and the fallback size applies.
#include <array>
#include <cstdint>

#include "settings/settings_record.h"

namespace markomi {

// Every output pipeline draws at twice the size and reduces.
constexpr std::int32_t kSupersampleFactor = 2;

// Average character width and line height (height + external leading) of
// the UI font, in pixels; 0 while unmeasured.
struct UiFontMetrics {
    std::int32_t average_char_width = 0;
    std::int32_t line_height = 0;
};

struct PreviewSize {
    std::int32_t width = 0;   // W: the box's centre x, half its extent
    std::int32_t height = 0;  // H
};

struct PreviewOrigin {
    std::int32_t x = 0;  // X0
    std::int32_t y = 0;  // Y0
};

struct PreviewRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// n + 1 when n is odd and positive (C remainder 1), else n: negative odd
// numbers stay as they are.
std::int32_t next_even(std::int32_t n);

// W = trunc(A × 19.2), 115 when 0; H = trunc(L × 7.5), 105 when 0, then made
// even. The products are in double precision.
PreviewSize preview_box_size(const UiFontMetrics& metrics);

// X0 = trunc(A × 4.2); Y0 = trunc(L × 1.1) made even. No fallback for 0.
PreviewOrigin preview_box_origin(const UiFontMetrics& metrics);

// The box (X0, Y0) – (2W − X0, 2H − Y0), centred on (W, H).
PreviewRect preview_box_rect(const PreviewSize& size, const PreviewOrigin& origin);

// The sunken frame about the box: two pixels outside it on every side.
PreviewRect preview_frame_rect(const PreviewSize& size, const PreviewOrigin& origin);

// The ink and measuring surfaces: 5W × 5H pixels.
PreviewSize scratch_surface_size(const PreviewSize& box);

// ---- Sunken frame -----------------------------------------------------------

enum class FramePen { kShadow, kDarkShadow, kLight, kHighlight };

struct FramePenColours {
    ColorRef shadow = 0;       // each channel (c / 5) × 4
    ColorRef dark_shadow = 0;  // (c / 5) × 3
    ColorRef light = 0;        // c + (255 − c) / 5
    ColorRef highlight = 0;    // white
};

// From the button-face colour; integer arithmetic, dividing first.
FramePenColours frame_pen_colours(ColorRef button_face);

// One pen stroke of the frame: with `move` the pen goes to (x, y) without
// drawing, otherwise it draws there (GDI LineTo, end point excluded).
struct FrameStep {
    FramePen pen;
    bool move;
    std::int32_t x;
    std::int32_t y;
};

// Shadow on the outer top and left, highlight on the outer bottom and right,
// dark shadow and light one pixel further in: ten steps in drawing order.
std::array<FrameStep, 10> sunken_frame_steps(const PreviewRect& rect);

// ---- Scales -----------------------------------------------------------------

// Current screen resolution / 96 (follows resolution changes).
float preview_scale(std::int32_t current_dpi);

// Start-up screen resolution / 96 (fixed for the run).
float metafile_scale(std::int32_t startup_dpi);

}  // namespace markomi
