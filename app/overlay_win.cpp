#include "app/overlay_win.h"

#include <shlwapi.h>

#include "app/app_windows_win.h"
#include "app/input_injection_win.h"
#include "app/screen_mapping.h"
#include "base/gdi_handles_win.h"
#include "base/process_globals_win.h"
#include "settings/settings_record.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"
#include "ui/window_metrics.h"

namespace markomi {

namespace {

constexpr wchar_t kBannerText[] =
    L"【マルコミ２】捺印したい場所で左クリック、キャンセルは右クリック";
constexpr wchar_t kCancelFormat[] = L"%s はキャンセルされました。";
constexpr wchar_t kStampWord[] = L"捺印";
constexpr COLORREF kBannerColour = RGB(255, 102, 102);
constexpr BYTE kOverlayAlpha = 100;

// A and L of the window font set as the overlay made it; the set is shared
// and later windows remake it, so the overlay keeps its own copy.
FontSetMetrics g_overlay_metrics;

// The monitor the user was on when the overlay was last shown, in screen
// coordinates: the banner is centred there, not across the seams of the
// whole desktop the overlay covers.
RECT g_banner_monitor{};

RECT virtual_desktop_rect() {
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

RECT monitor_under_cursor() {
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &info))
        return info.rcMonitor;
    return virtual_desktop_rect();
}

// The overlay is shown maximised, which on its own would cover only one
// monitor. Every placement that does not hide it is widened to the whole
// virtual desktop, so the user can pick a point on any monitor; the final
// say lies here rather than in WM_GETMINMAXINFO, whose maximised size the
// system fits back to a single monitor.
LRESULT OnWindowPosChanging(WINDOWPOS* pos) {
    if (pos->flags & SWP_HIDEWINDOW) return 0;
    RECT desktop = virtual_desktop_rect();
    pos->x = desktop.left;
    pos->y = desktop.top;
    pos->cx = desktop.right - desktop.left;
    pos->cy = desktop.bottom - desktop.top;
    pos->flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
    if (pos->flags & SWP_SHOWWINDOW) g_banner_monitor = monitor_under_cursor();
    return 0;
}

LRESULT OnCreate(HWND hwnd) {
    g_overlay_window = hwnd;
    int h =
        window_character_height(WindowFontUser::kAboutBox, g_current_dpi, g_settings.global.expand);
    make_window_font_set(hwnd, h);
    g_overlay_metrics = g_window_fonts.metrics;
    return 0;
}

LRESULT OnDestroy(HWND hwnd) {
    if (g_overlay_window == hwnd) g_overlay_window = nullptr;
    return 0;
}

// The banner goes on a fresh window DC in its default font (the system
// font; the window font set only gives the margins).
void draw_banner(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    const int length = lstrlenW(kBannerText);
    SIZE text{0, 0};
    GetTextExtentPoint32W(dc, kBannerText, length, &text);

    RECT area = g_banner_monitor;
    if (IsRectEmpty(&area)) GetWindowRect(hwnd, &area);
    POINT corner{area.left, area.top};
    ScreenToClient(hwnd, &corner);
    ScreenArea client_area{corner.x, corner.y, area.right - area.left, area.bottom - area.top};
    BannerLayout banner =
        banner_layout(client_area, text.cx, text.cy, g_overlay_metrics.a, g_overlay_metrics.l);
    {
        GdiBrush brush(CreateSolidBrush(kBannerColour));
        SelectedObject selected(dc, brush.get());
        Rectangle(dc, banner.left, banner.top, banner.right, banner.bottom);
    }
    TextOutW(dc, banner.text_x, banner.text_y, kBannerText, length);
    ReleaseDC(hwnd, dc);
}

LRESULT OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    draw_banner(hwnd);
    return 0;
}

void hide_and_update(HWND hwnd) {
    ShowWindow(hwnd, SW_HIDE);
    UpdateWindow(hwnd);
}

// The end rule may destroy the overlay (normal mode); afterwards only the
// process-wide handle says whether it still exists.
void hide_if_alive() {
    if (g_overlay_window) ShowWindow(g_overlay_window, SW_HIDE);
}

LRESULT OnLeftButtonDown(HWND hwnd, LPARAM lparam) {
    // The client area starts at the desktop's corner, so client points are
    // never negative: the words are read unsigned and then mapped to the
    // screen, which may start left of or above the primary monitor.
    POINT point{static_cast<LONG>(LOWORD(lparam)), static_cast<LONG>(HIWORD(lparam))};
    ClientToScreen(hwnd, &point);
    hide_and_update(hwnd);
    stamp_at_screen_point(point);
    apply_stamp_end_rule();
    hide_if_alive();
    return 0;
}

// The right button, Esc and a close request (Alt+F4) all cancel. The veil
// is only hidden: it is made once per run, and without it every later
// stamp from the icon could only copy.
LRESULT OnCancel(HWND hwnd) {
    if (!IsWindowVisible(hwnd)) return 0;
    hide_and_update(hwnd);
    wchar_t message[64];
    wnsprintfW(message, ARRAYSIZE(message), kCancelFormat, kStampWord);
    MessageBoxW(nullptr, message, kMessageBoxTitle, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
    apply_stamp_end_rule();
    hide_if_alive();
    return 0;
}

}  // namespace

LRESULT CALLBACK OverlayWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_DESTROY: return OnDestroy(hwnd);
        case WM_SIZE: return 0;
        case WM_WINDOWPOSCHANGING: return OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lparam));
        case WM_PAINT: return OnPaint(hwnd);
        case WM_LBUTTONDOWN: return OnLeftButtonDown(hwnd, lparam);
        case WM_RBUTTONDOWN: return OnCancel(hwnd);
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE) return OnCancel(hwnd);
            return DefWindowProcW(hwnd, msg, wparam, lparam);
        case WM_CLOSE: return OnCancel(hwnd);
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

HWND create_overlay_window(HWND owner) {
    HWND overlay = CreateWindowExW(WS_EX_LAYERED, kOverlayWindowClass, L"", WS_POPUP | WS_VISIBLE,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   owner, nullptr, g_instance, nullptr);
    if (!overlay) return nullptr;
    SetLayeredWindowAttributes(overlay, 0, kOverlayAlpha, LWA_ALPHA);
    ShowWindow(overlay, SW_HIDE);
    UpdateWindow(overlay);
    return overlay;
}

}  // namespace markomi
