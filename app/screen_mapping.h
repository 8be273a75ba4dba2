#pragma once
// Screen arithmetic of the stamping overlay and the injected click: where
// the banner goes, and how a screen pixel becomes the 0..65535 absolute
// coordinates of synthetic mouse input.
#include <cstdint>

namespace markomi {

// A rectangle of screen pixels: the virtual desktop (all monitors; its
// origin is negative when a monitor sits left of or above the primary one)
// or one monitor.
struct ScreenArea {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct AbsolutePoint {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
};

// Absolute mouse coordinates over `desktop` for the screen pixel (x, y).
// The system turns absolute coordinates back into pixels by
// pixel = left + ax × width / 65536, truncating (measured under Wine, see
// docs/wine-notes.md); the smallest ax that comes back as the pixel is
// ceil((x − left) × 65536 / width), which is what this returns (1920 wide:
// 960 → 32768; the textbook x × 65535 / width gives 32767, which lands on
// 959). Points outside the desktop are clamped to its nearest edge pixel,
// so a stray point still lands on a screen.
AbsolutePoint absolute_mouse_point(std::int32_t x, std::int32_t y, ScreenArea desktop);

// The overlay's banner, in the coordinates `area` is given in.
struct BannerLayout {
    std::int32_t text_x = 0;
    std::int32_t text_y = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Centres a text of extent (text_width, text_height) in `area`: the text
// sits at ((W − cx) / 2, (H − L) / 2) from the area's corner, the
// rectangle around it reaches 2A beyond the text left and right and L above
// and below. `a` and `l` are the overlay's average character width and line
// height.
BannerLayout banner_layout(ScreenArea area, std::int32_t text_width, std::int32_t text_height,
                           std::int32_t a, std::int32_t l);

}  // namespace markomi
