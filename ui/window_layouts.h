#pragma once
// Sizes and positions of the about box and the opening notice, computed from
// the average character width A and line height L of their font set and the
// measured extents of their texts. Plain integers: the windows feed in what
// GDI measured and take back rectangles to create and move things to.
#include <array>
#include <vector>

namespace markomi {

struct LayoutPoint {
    int x = 0;
    int y = 0;
};

struct LayoutSize {
    int width = 0;
    int height = 0;
};

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// ---- About box ----

constexpr int kAboutRowCount = 6;

struct AboutBoxLayout {
    int widest_row = 0;      // cmax: widest of rows 1 to 5
    int tallest_row = 0;     // ymax: tallest of rows 1 to 5
    int content_width = 0;   // Wc = 4A + cmax
    int content_height = 0;  // Hc = 10 ymax
    LayoutSize window;       // outer size of the host window
    std::array<LayoutRect, kAboutRowCount> rows;  // static controls, client coordinates
    LayoutRect button;       // "Ｏ Ｋ"
};

// `rows` are the measured text extents of rows 1 to 6. Rows 1 to 3 stand
// left at 2A; the author line, the address and the closing parenthesis
// follow one another on one line from 7A. Row 6 does not count for the
// widest and tallest row.
AboutBoxLayout about_box_layout(int a, int l, const std::array<LayoutSize, kAboutRowCount>& rows);

// Where the about box opens in resident mode: left of and above the cursor
// (next to the notification icon), clear of the menu bar. A coordinate that
// would leave the screen on the left or at the top goes to the cursor, or
// past the taskbar when that is wider, plus two characters (two lines).
struct AboutAnchor {
    LayoutPoint cursor;
    int menu_bar_height = 0;
    int horizontal_taskbar_margin = 0;
    int vertical_taskbar_margin = 0;
};
LayoutPoint about_box_resident_position(const AboutBoxLayout& layout, int a, int l,
                                        const AboutAnchor& anchor);

// ---- Opening notice ----

constexpr int kOpeningRowCount = 3;

struct OpeningLayout {
    int row_width = 0;   // W = widest row + 4A
    int row_height = 0;  // H = trunc(tallest row x 1.4), the row pitch
    LayoutSize window;
    std::array<LayoutPoint, kOpeningRowCount> rows;  // top-left of each text row
    LayoutRect button;                               // "切り替え"
};

OpeningLayout opening_layout(int a, int l, const std::array<LayoutSize, kOpeningRowCount>& rows);

// Top-left corner that centres a window of `size` on a desktop whose
// rectangle ends at (right, bottom).
LayoutPoint centred_position(LayoutSize size, int desktop_right, int desktop_bottom);

// Where a settings host window opens in resident mode: its bottom-right
// corner at the pointer (next to the notification icon). A corner that would
// leave the screen on the left (top) goes to the pointer, or past a taskbar
// that is wider, plus two characters (two lines).
LayoutPoint resident_host_position(LayoutSize window, int a, int l, LayoutPoint pointer,
                                   int horizontal_taskbar_margin, int vertical_taskbar_margin);

// ---- Keeping a host window within reach ----

// A screen rectangle as Windows gives it: right and bottom exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The screen point of `p`, given in workspace coordinates (those of a
// window's placement record): they count from the corner of the work area
// of the window's monitor, so a taskbar at the top or the left shifts them
// by its thickness.
LayoutPoint screen_from_workspace(LayoutPoint p, const ScreenRect& monitor,
                                  const ScreenRect& work_area);

// Where a window now at `window` should stand so that the user can reach
// it. It stays while some work area shows a piece of its top edge, where
// the title bar is, at least `grip` pixels wide and high (less for a smaller
// window). Otherwise (its monitor was unplugged, the desktop shrank) it
// moves into the work area nearest to it, by as little as it takes; a
// window larger than that area keeps its top-left corner inside it. With no
// work areas it stays.
LayoutPoint reachable_position(const ScreenRect& window, const std::vector<ScreenRect>& work_areas,
                               int grip);

// Green component of the notice's background in pixel column `column` of a
// window `width` wide: 176 at the left edge rising towards 255 (white, with
// red and blue at 255) on the right.
int opening_gradient_green(int column, int width);

}  // namespace markomi
