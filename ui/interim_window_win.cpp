#include "ui/interim_window_win.h"

#include "app/app_windows_win.h"
#include "app/process_globals_win.h"
#include "app/window_fonts_win.h"
#include "app/window_metrics.h"
#include "settings/settings_record.h"

namespace markomi {
namespace {

constexpr wchar_t kInterimText[] = L"この画面は準備中です。";

LRESULT OnCreate(HWND hwnd, const wchar_t* title) {
    g_host_window = hwnd;
    SetWindowTextW(hwnd, title);
    make_window_font_set(hwnd, window_character_height(WindowFontUser::kPreferences, g_current_dpi,
                                                       g_settings.global.expand));
    const FontSetMetrics m = g_window_fonts.metrics;
    HWND text = CreateWindowExW(0, L"STATIC", kInterimText, WS_CHILD | WS_VISIBLE | SS_CENTER, 0,
                                2 * m.l, 40 * m.a, m.l, hwnd, nullptr, g_instance, nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(g_window_fonts.normal), FALSE);
    RECT frame{0, 0, 40 * m.a, 6 * m.l};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)),
                       GetMenu(hwnd) != nullptr, 0);
    POINT at = remembered_host_position();
    if (at.x == -1 || at.y == -1) {
        SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        centre_host_window(hwnd);
    } else {
        SetWindowPos(hwnd, nullptr, at.x, at.y, frame.right - frame.left,
                     frame.bottom - frame.top, SWP_NOZORDER);
    }
    return 0;
}

LRESULT OnCommand(WPARAM wparam) {
    // The normal-mode menu bar: the main window carries out its commands.
    const int id = LOWORD(wparam);
    if (id >= kCmdSaveImage && id <= kCmdExit) PostMessageW(g_main_window, WM_COMMAND, id, 0);
    return 0;
}

}  // namespace

LRESULT interim_host_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                 const wchar_t* title) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd, title);
        case WM_COMMAND: return OnCommand(wparam);
        case WM_CLOSE:
            store_host_position(hwnd);
            close_host_window();
            return 0;
        case WM_DESTROY:
            if (g_host_window == hwnd) g_host_window = nullptr;
            return 0;
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

}  // namespace markomi
