#pragma once
// The font sets of the program's windows. Each set is a group of
// process-wide font handles with the metrics measured from its normal font:
// A (average character width) and L (character height + external leading).
// Making a set again replaces its fonts; the main window deletes them all
// when it is destroyed.
#include <windows.h>

namespace markomi {

struct FontSetMetrics {
    int a = 0;  // average character width
    int l = 0;  // line height
};

// Shared by the overlay, the preferences and the stamp settings window: the
// last window that made it decides the metrics the others read.
struct WindowFontSet {
    HFONT normal = nullptr;
    HFONT underlined = nullptr;
    FontSetMetrics metrics;
    int menu_bar_height = 0;  // system menu height scaled to the current DPI
};

struct SingleFontSet {
    HFONT normal = nullptr;
    FontSetMetrics metrics;
};

struct AboutFontSet {
    HFONT normal = nullptr;
    HFONT underlined = nullptr;
    FontSetMetrics metrics;
};

extern WindowFontSet g_window_fonts;
extern SingleFontSet g_settings_fonts;   // stamp settings window, always 17 pixels
extern AboutFontSet g_about_fonts;
extern SingleFontSet g_opening_fonts;

// The one recipe of every window font: height -h, normal weight, Shift-JIS,
// draft quality, "ＭＳ Ｐゴシック". Caller owns the font.
HFONT create_window_font(int h, bool underlined);

// Measures A and L of `font` on `window`'s device context.
FontSetMetrics measure_font(HWND window, HFONT font);

// Each makes its set at character height `h`, measured on `window`. The
// window set also publishes its A and L as the UI metrics the preview box
// is laid out from.
void make_window_font_set(HWND window, int h);
void make_settings_font_set(HWND window, int h);
void make_about_font_set(HWND window, int h);
void make_opening_font_set(HWND window, int h);

// Deletes every font of the four sets (main window shutdown).
void delete_window_fonts();

// A device context of `window` with a font of the recipe at height `h`
// selected, for measuring texts exactly as the controls will show them.
// Close it with close_measuring_context, which restores and deletes.
HDC open_measuring_context(HWND window, int h);
void close_measuring_context(HWND window, HDC dc);

// Size of `text` in the font currently selected into `dc`.
SIZE measure_text(HDC dc, const wchar_t* text);

}  // namespace markomi
