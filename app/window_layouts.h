#pragma once
// Sizes and positions of the about box and the opening notice, computed from
// the average character width A and line height L of their font set and the
// measured extents of their texts. Plain integers: the windows feed in what
// GDI measured and take back rectangles to create and move things to.
#include <array>

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

// Green component of the notice's background in pixel column `column` of a
// window `width` wide: 176 at the left edge rising towards 255 (white, with
// red and blue at 255) on the right.
int opening_gradient_green(int column, int width);

}  // namespace markomi
