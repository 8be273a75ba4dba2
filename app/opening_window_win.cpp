#include "app/opening_window_win.h"

#include <shlobj.h>

#include <array>

#include "app/app_windows_win.h"
#include "base/gdi_handles_win.h"
#include "base/process_globals_win.h"
#include "settings/settings_record.h"
#include "ui/child_controls_win.h"
#include "ui/settings_save_win.h"
#include "ui/shortcuts_win.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"
#include "ui/window_layouts.h"
#include "ui/window_metrics.h"

namespace markomi {
namespace {

constexpr int kIdSwitchButton = 156;
constexpr UINT kOpeningPeriodMs = 2000;
constexpr COLORREF kTextColour = RGB(0, 0, 64);

constexpr wchar_t kSwitchText[] = L"切り替え";
constexpr const wchar_t* kRows[kOpeningRowCount] = {
    L"マルコミ２",
    L"",
    L"常駐モードで起動します。",
};

// The layout made at creation; painting draws the rows at its positions.
// There is never more than one notice.
OpeningLayout g_layout;

// Prepares `dc` for the notice's text: its font (selected by the caller's
// SelectedObject), transparent background, dark blue.
void prepare_text(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColour);
}

LRESULT OnCreate(HWND hwnd) {
    g_opening_window = hwnd;
    const int h = window_character_height(WindowFontUser::kAboutBox, g_current_dpi,
                                          g_settings.global.expand);
    make_opening_font_set(hwnd, h);
    const FontSetMetrics m = g_opening_fonts.metrics;

    WindowDc dc(hwnd);
    SelectedObject font(dc.get(), g_opening_fonts.normal);
    prepare_text(dc.get());

    std::array<LayoutSize, kOpeningRowCount> extents;
    for (int k = 0; k < kOpeningRowCount; ++k) {
        SIZE s = measure_text(dc.get(), kRows[k]);
        extents[k] = LayoutSize{s.cx, s.cy};
    }
    g_layout = opening_layout(m.a, m.l, extents);
    MoveWindow(hwnd, 0, 0, g_layout.window.width, g_layout.window.height, FALSE);

    // The button's text scales with the notice (EXPAND) like the rows do.
    create_child_control(hwnd, L"BUTTON", kSwitchText, BS_FLAT | BS_CENTER, g_layout.button,
                         kIdSwitchButton, g_opening_fonts.normal);

    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    const LayoutPoint p = centred_position(g_layout.window, desktop.right, desktop.bottom);
    SetWindowPos(hwnd, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);

    SetTimer(hwnd, kTimerOpening, kOpeningPeriodMs, nullptr);
    return 0;
}

// One-pixel vertical lines from pink on the left towards white on the
// right, then the rows. The update region is validated first and the whole
// window drawn on a fresh context, which leaves the button alone.
LRESULT OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);

    WindowDc dc(hwnd, DCX_CACHE | DCX_CLIPCHILDREN);
    if (!dc) return 0;
    RECT client{};
    GetClientRect(hwnd, &client);
    const int w = client.right;
    const int h = client.bottom;
    // Neighbouring columns often share a colour: one pen per run of them.
    for (int i = 0; i < w;) {
        const int g = opening_gradient_green(i, w);
        int end = i + 1;
        while (end < w && opening_gradient_green(end, w) == g) ++end;
        GdiPen pen(CreatePen(PS_SOLID, 1, RGB(255, g, 255)));
        SelectedObject selected(dc.get(), pen.get());
        for (; i < end; ++i) {
            MoveToEx(dc.get(), i, 0, nullptr);
            LineTo(dc.get(), i, h);
        }
    }

    SelectedObject font(dc.get(), g_opening_fonts.normal);
    prepare_text(dc.get());
    for (int k = 0; k < kOpeningRowCount; ++k)
        TextOutW(dc.get(), g_layout.rows[k].x, g_layout.rows[k].y, kRows[k], lstrlenW(kRows[k]));
    return 0;
}

LRESULT OnTimer(HWND hwnd, WPARAM id) {
    if (id != kTimerOpening) return 0;
    KillTimer(hwnd, kTimerOpening);
    DestroyWindow(hwnd);
    return 0;
}

// "切り替え": normal mode from now on, and saved so the next start is one.
void switch_to_normal_mode(HWND hwnd) {
    if (shortcut_exists(CSIDL_STARTUP)) delete_shortcut(CSIDL_STARTUP);
    g_settings.global.station_type = 0;
    g_settings.global.paste = 0;
    save_fitted_settings();
    unregister_hotkey();  // normal mode has none
    KillTimer(hwnd, kTimerOpening);
    DestroyWindow(hwnd);
    if (g_host_window) DestroyWindow(g_host_window);
    add_tray_icon();
}

LRESULT OnCommand(HWND hwnd, WPARAM wparam) {
    if (LOWORD(wparam) == kIdSwitchButton && HIWORD(wparam) == BN_CLICKED)
        switch_to_normal_mode(hwnd);
    return 0;
}

LRESULT OnDestroy() {
    g_opening_window = nullptr;
    return 0;
}

}  // namespace

LRESULT CALLBACK OpeningWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_PAINT: return OnPaint(hwnd);
        case WM_TIMER: return OnTimer(hwnd, wparam);
        case WM_COMMAND: return OnCommand(hwnd, wparam);
        case WM_DESTROY: return OnDestroy();
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

void open_opening_window(HWND owner) {
    if (!g_opening_window) {
        HWND hwnd = CreateWindowExW(WS_EX_TRANSPARENT | WS_EX_TOPMOST, kOpeningWindowClass, L"",
                                    WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, owner, nullptr, g_instance,
                                    nullptr);
        if (hwnd) {
            ShowWindow(hwnd, SW_SHOWNORMAL);
            UpdateWindow(hwnd);
        }
    }
    if (!g_opening_window) return;
    BringWindowToTop(g_opening_window);
    SetForegroundWindow(g_opening_window);
}

}  // namespace markomi
