#include "ui/host_window_win.h"

#include "base/process_globals_win.h"
#include "resources/resource.h"
#include "settings/settings_record.h"
#include "ui/about_box_win.h"
#include "ui/help_win.h"
#include "ui/preferences_window_win.h"
#include "ui/program_windows_win.h"
#include "ui/stamp_settings_window_win.h"
#include "ui/window_classes.h"
#include "ui/window_metrics.h"

namespace markomi {
namespace {

// Set while a throw-away window of the host class exists only to change the
// class menu: its messages must not reach the window it would otherwise be.
bool g_class_menu_probe = false;

// The current DPI the open host window was built with.
int g_host_dpi = 0;
// Set while a host window is being rebuilt at another resolution: the
// corner of the rectangle the system suggested, where it opens.
const POINT* g_rebuild_corner = nullptr;
// What the last WM_DPICHANGED of the host window asked for, until its
// rebuild runs.
int g_rebuild_dpi = 0;
RECT g_rebuild_rect{};
// Set from the destruction of the window being rebuilt to the creation of
// its replacement.
bool g_rebuilding = false;

// The stamp settings window of normal mode has the program's menu bar; the
// menu is a class property, so it is set through a temporary window.
void set_host_class_menu(bool with_menu) {
    g_class_menu_probe = true;
    HWND probe = CreateWindowExW(0, kHostWindowClass, L"", WS_POPUP, 0, 0, 0, 0, g_main_window,
                                 nullptr, g_instance, nullptr);
    if (probe) {
        SetClassLongPtrW(probe, GCLP_MENUNAME,
                         with_menu ? reinterpret_cast<LONG_PTR>(MAKEINTRESOURCEW(IDM_SETTINGS_MENU_BAR))
                                   : 0);
        DestroyWindow(probe);
    }
    g_class_menu_probe = false;
}

using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// The effective DPI of the monitor nearest `point`; 0 where the system
// cannot tell (before Windows 8.1, which has no per-monitor resolution).
int monitor_dpi(POINT point) {
    static HMODULE library = LoadLibraryW(L"shcore.dll");
    static const auto function =
        library ? reinterpret_cast<GetDpiForMonitorFunction>(
                      reinterpret_cast<void*>(GetProcAddress(library, "GetDpiForMonitor")))
                : nullptr;
    UINT x = 0;
    UINT y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (!function ||
        FAILED(function(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)))
        return 0;
    return static_cast<int>(y);
}

// Where a window opened by a command will stand: beside the pointer in
// resident mode, at the remembered corner in normal mode. False when it is
// not known yet (normal mode, nothing remembered: the window is centred).
bool opening_point(POINT* point) {
    if (g_settings.global.station_type == 1) return GetCursorPos(point) != FALSE;
    if (g_host_position.x == -1 || g_host_position.y == -1) return false;
    *point = g_host_position;
    return true;
}

// Creates the host window for `command`: at `at` when given (screen
// coordinates); otherwise as a point where it will open, so that it is
// born on that monitor and built at that monitor's resolution, and then
// sizes and places itself.
void create_host_window(int command, const RECT* at) {
    g_host_command = command;
    const bool resident = g_settings.global.station_type == 1;
    set_host_class_menu(command == kCmdStampSettings && !resident);
    bool placed = at != nullptr;
    RECT target = at ? *at : RECT{};
    POINT point{0, 0};
    if (!at && opening_point(&point)) {
        if (const int dpi = monitor_dpi(point)) g_current_dpi = dpi;
        target = RECT{point.x, point.y, point.x + 1, point.y + 1};
        placed = true;
    }
    g_host_dpi = g_current_dpi;
    const int x = placed ? target.left : CW_USEDEFAULT;
    const int y = placed ? target.top : CW_USEDEFAULT;
    const int width = placed ? target.right - target.left : CW_USEDEFAULT;
    const int height = placed ? target.bottom - target.top : CW_USEDEFAULT;
    HWND host = CreateWindowExW(0, kHostWindowClass, L"", WS_SYSMENU | WS_MINIMIZEBOX, x, y, width,
                                height, nullptr, nullptr, g_instance, nullptr);
    if (!host) return;
    g_host_window = host;
    ShowWindow(host, SW_SHOWNORMAL);
    UpdateWindow(host);
}

// The window reached a monitor of another resolution. A notice of the
// resolution it was built at changes nothing, and one that comes while a
// rebuilt window places itself is left alone: the rebuilt window stays as
// built, so moving between monitors can never set off a chain of rebuilds.
// The rebuild itself runs once this message is done with the window.
LRESULT OnHostDpiChanged(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    const int dpi = LOWORD(wparam);
    // A message anyone may post: a resolution no screen has is not stored.
    if (!is_plausible_dpi(dpi) || dpi == g_host_dpi || g_rebuild_corner) return 0;
    g_rebuild_dpi = dpi;
    const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
    if (suggested)
        g_rebuild_rect = *suggested;
    else
        GetWindowRect(hwnd, &g_rebuild_rect);
    PostMessageW(hwnd, kMsgRebuildHost, 0, 0);
    return 0;
}

// F1 anywhere in the window (its pages and controls pass WM_HELP up to it).
const wchar_t* host_help_page() {
    switch (g_host_command) {
        case kCmdPreferences: return kHelpPreferencesPage;
        case kCmdAbout: return kHelpAboutPage;
        default: return kHelpSettingsPage;
    }
}

}  // namespace

LRESULT CALLBACK HostWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (g_class_menu_probe) return DefWindowProcW(hwnd, msg, wparam, lparam);
    if (msg == WM_DPICHANGED) return OnHostDpiChanged(hwnd, wparam, lparam);
    if (msg == WM_HELP) return answer_help_request(hwnd, host_help_page());
    if (msg == kMsgRebuildHost) {
        if (hwnd == g_host_window) rebuild_host_window(g_rebuild_dpi, g_rebuild_rect);
        return 0;
    }
    switch (g_host_command) {
        case kCmdStampSettings: return StampSettingsWndProc(hwnd, msg, wparam, lparam);
        case kCmdPreferences: return PreferencesWndProc(hwnd, msg, wparam, lparam);
        case kCmdAbout: return AboutWndProc(hwnd, msg, wparam, lparam);
        default: return 0;
    }
}

void open_host_window(int command) {
    BringWindowToTop(g_main_window);
    if (!g_host_window) create_host_window(command, nullptr);
    if (g_host_window) BringWindowToTop(g_host_window);
}

void rebuild_host_window(int dpi, const RECT& at) {
    if (!g_host_window || dpi <= 0 || dpi == g_host_dpi) return;
    g_current_dpi = dpi;
    // Also where the next window of normal mode opens.
    const POINT corner{at.left, at.top};
    g_host_position = corner;
    const int command = g_host_command;
    g_rebuilding = true;
    DestroyWindow(g_host_window);  // the stamp settings save on the way
    g_rebuild_corner = &corner;
    create_host_window(command, &at);
    g_rebuild_corner = nullptr;
    g_rebuilding = false;
}

bool host_window_rebuilding() { return g_rebuilding; }

bool host_rebuild_corner(POINT* corner) {
    if (!g_rebuild_corner) return false;
    *corner = *g_rebuild_corner;
    return true;
}

int host_window_dpi() { return g_host_window ? g_host_dpi : 0; }

}  // namespace markomi
