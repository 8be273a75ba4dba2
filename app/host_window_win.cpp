#include "app/host_window_win.h"

#include "app/about_box_win.h"
#include "app/app_windows_win.h"
#include "app/process_globals_win.h"
#include "app/window_classes.h"
#include "resources/resource.h"
#include "settings/settings_record.h"
#include "ui/preferences_window_win.h"
#include "ui/stamp_settings_window_win.h"

namespace markomi {
namespace {

// Set while a throw-away window of the host class exists only to change the
// class menu: its messages must not reach the window it would otherwise be.
bool g_class_menu_probe = false;

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

}  // namespace

LRESULT CALLBACK HostWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (g_class_menu_probe) return DefWindowProcW(hwnd, msg, wparam, lparam);
    if (msg == WM_DPICHANGED) {
        // Moved onto a screen of another resolution: the main window rebuilds
        // the window there at the new size.
        store_host_position(hwnd);
        PostMessageW(g_main_window, WM_DPICHANGED, wparam, 0);
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
    if (!g_host_window) {
        g_host_command = command;
        const bool resident = g_settings.global.station_type == 1;
        set_host_class_menu(command == kCmdStampSettings && !resident);
        HWND host = CreateWindowExW(0, kHostWindowClass, L"", WS_SYSMENU | WS_MINIMIZEBOX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    nullptr, nullptr, g_instance, nullptr);
        if (!host) return;
        g_host_window = host;
        ShowWindow(host, SW_SHOWNORMAL);
        UpdateWindow(host);
    }
    if (g_host_window) BringWindowToTop(g_host_window);
}

}  // namespace markomi
