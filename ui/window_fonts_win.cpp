#include "ui/window_fonts_win.h"

#include "base/process_globals_win.h"
#include "render/surfaces_gdiplus.h"
#include "ui/window_metrics.h"

namespace markomi {

WindowFontSet g_window_fonts;
SingleFontSet g_settings_fonts;
AboutFontSet g_about_fonts;
SingleFontSet g_opening_fonts;

namespace {

constexpr wchar_t kWindowFace[] = L"ＭＳ Ｐゴシック";

void delete_font(HFONT& font) {
    if (font) DeleteObject(font);
    font = nullptr;
}

// Open measuring contexts: the font each selected and the one it replaced.
// A window measures inside one handler, so a handful of slots is plenty.
struct MeasuringContext {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previous = nullptr;
};
MeasuringContext g_measuring[4];

}  // namespace

HFONT create_window_font(int h, bool underlined) {
    LOGFONTW lf{};
    lf.lfHeight = -h;
    lf.lfWeight = FW_NORMAL;
    lf.lfUnderline = underlined ? TRUE : FALSE;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DRAFT_QUALITY;
    lstrcpynW(lf.lfFaceName, kWindowFace, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

FontSetMetrics measure_font(HWND window, HFONT font) {
    FontSetMetrics m;
    HDC dc = GetDC(window);
    if (!dc) return m;
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW tm{};
    if (GetTextMetricsW(dc, &tm)) {
        m.a = tm.tmAveCharWidth;
        m.l = tm.tmHeight + tm.tmExternalLeading;
    }
    if (previous) SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return m;
}

void make_window_font_set(HWND window, int h) {
    delete_font(g_window_fonts.normal);
    delete_font(g_window_fonts.underlined);
    g_window_fonts.normal = create_window_font(h, false);
    g_window_fonts.underlined = create_window_font(h, true);
    g_window_fonts.metrics = measure_font(window, g_window_fonts.normal);
    g_window_fonts.menu_bar_height =
        scaled_menu_bar_height(GetSystemMetrics(SM_CYMENU), g_current_dpi, g_startup_dpi);
    g_ui_font_metrics = UiFontMetrics{g_window_fonts.metrics.a, g_window_fonts.metrics.l};
}

void make_settings_font_set(HWND window, int h) {
    delete_font(g_settings_fonts.normal);
    g_settings_fonts.normal = create_window_font(h, false);
    g_settings_fonts.metrics = measure_font(window, g_settings_fonts.normal);
}

void make_about_font_set(HWND window, int h) {
    delete_font(g_about_fonts.normal);
    delete_font(g_about_fonts.underlined);
    g_about_fonts.normal = create_window_font(h, false);
    g_about_fonts.underlined = create_window_font(h, true);
    g_about_fonts.metrics = measure_font(window, g_about_fonts.normal);
}

void make_opening_font_set(HWND window, int h) {
    delete_font(g_opening_fonts.normal);
    g_opening_fonts.normal = create_window_font(h, false);
    g_opening_fonts.metrics = measure_font(window, g_opening_fonts.normal);
}

void delete_window_fonts() {
    delete_font(g_window_fonts.normal);
    delete_font(g_window_fonts.underlined);
    delete_font(g_settings_fonts.normal);
    delete_font(g_about_fonts.normal);
    delete_font(g_about_fonts.underlined);
    delete_font(g_opening_fonts.normal);
}

HDC open_measuring_context(HWND window, int h) {
    for (MeasuringContext& slot : g_measuring) {
        if (slot.dc) continue;
        HDC dc = GetDC(window);
        if (!dc) return nullptr;
        slot.dc = dc;
        slot.font = create_window_font(h, false);
        slot.previous = slot.font ? SelectObject(dc, slot.font) : nullptr;
        return dc;
    }
    return nullptr;
}

void close_measuring_context(HWND window, HDC dc) {
    if (!dc) return;
    for (MeasuringContext& slot : g_measuring) {
        if (slot.dc != dc) continue;
        if (slot.previous) SelectObject(dc, slot.previous);
        if (slot.font) DeleteObject(slot.font);
        ReleaseDC(window, dc);
        slot = MeasuringContext{};
        return;
    }
}

SIZE measure_text(HDC dc, const wchar_t* text) {
    SIZE size{0, 0};
    if (dc && text) GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    return size;
}

}  // namespace markomi
