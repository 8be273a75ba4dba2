#pragma once
// Character heights of the program's hand-built windows. Every window sizes
// itself in units of its font set's average character width and line height,
// so these heights are what scales the whole interface with the screen
// resolution and the larger-windows option.
#include <cstdint>

namespace markomi {

enum class WindowFontUser {
    kAboutBox,        // also the overlay and the opening notice
    kPreferences,
    kStampSettings,
};

// Pixel height of the characters for `user` at `dpi` (integer division, as
// the windows were laid out for): 19/17, 17/15 or 16/14 per 96 dots per inch
// with `expand` 1 / 0.
std::int32_t window_character_height(WindowFontUser user, std::int32_t dpi, std::int32_t expand);

// Whether a resolution reported by a WM_DPICHANGED can be a screen's
// (Windows scales from 100 % to 500 % of 96 dpi; anything far outside, such
// as 0 or 65535 from a forged message, is not one).
bool is_plausible_dpi(std::int32_t dpi);

// Height of the menu bar at the current resolution: the system's value
// (measured at start-up resolution) scaled by current / start-up DPI.
std::int32_t scaled_menu_bar_height(std::int32_t system_height, std::int32_t current_dpi,
                                    std::int32_t startup_dpi);

}  // namespace markomi
