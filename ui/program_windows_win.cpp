#include "ui/program_windows_win.h"

#include <vector>

#include "settings/settings_record.h"
#include "ui/window_layouts.h"

namespace markomi {

HWND g_main_window = nullptr;
HWND g_host_window = nullptr;
HWND g_overlay_window = nullptr;
HWND g_tab_sheet_window = nullptr;
HWND g_opening_window = nullptr;
int g_host_command = 0;
POINT g_host_position = {-1, -1};
HCURSOR g_drag_cursors[5] = {};
int g_drag_state = 2;
int g_drag_substate = 0;

namespace {

bool no_tray_icon() { return false; }
void no_hotkey_change() {}
bool no_hotkey() { return false; }
void nothing_to_report() {}
bool no_stamp_copy() { return false; }
void no_drop_paste(HWND, POINT) {}

// Until the program connects its own: a page opened without it (a test of
// the page alone) changes no icon or hotkey and copies nothing.
ProgramActions g_program_actions{no_tray_icon, no_hotkey_change, no_hotkey_change,
                                 no_hotkey,    no_hotkey,        nothing_to_report,
                                 no_stamp_copy, no_drop_paste,     nothing_to_report,
                                 nothing_to_report};

}  // namespace

void set_program_actions(const ProgramActions& actions) { g_program_actions = actions; }

const ProgramActions& program_actions() { return g_program_actions; }

bool resident_mode() { return g_settings.global.station_type == 1; }

bool bring_to_front(HWND window) {
    if (!window) return false;
    bool foreground = SetForegroundWindow(window) != FALSE;
    bool top = BringWindowToTop(window) != FALSE;
    return foreground && top;
}

void end_program_windows() {
    if (g_host_window) DestroyWindow(g_host_window);
    if (g_overlay_window) DestroyWindow(g_overlay_window);
    if (g_main_window) DestroyWindow(g_main_window);
}

void close_host_window() {
    if (!g_host_window) return;
    ShowWindow(g_host_window, SW_HIDE);
    if (resident_mode()) {
        DestroyWindow(g_host_window);
        return;
    }
    end_program_windows();
}

POINT remembered_host_position() { return g_host_position; }

namespace {

ScreenRect screen_rect(const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; }

// A minimised window's rectangle is the parking place of its icon; where
// it will stand again is only in its placement record, in workspace
// coordinates.
bool restored_corner(HWND window, POINT* corner) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetWindowPlacement(window, &placement) ||
        !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    const LayoutPoint p = screen_from_workspace(
        LayoutPoint{placement.rcNormalPosition.left, placement.rcNormalPosition.top},
        screen_rect(monitor.rcMonitor), screen_rect(monitor.rcWork));
    *corner = POINT{p.x, p.y};
    return true;
}

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM out) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<ScreenRect>*>(out)->push_back(screen_rect(info.rcWork));
    return TRUE;
}

}  // namespace

// Screen coordinates, which is what the windows are moved with. The
// placement record's normal position would be in workspace coordinates:
// with the taskbar at the top or the left, every trip through the
// remembered position would move the window by the taskbar's thickness.
void store_host_position(HWND window) {
    RECT rect{};
    POINT corner{0, 0};
    if (window && IsIconic(window) && restored_corner(window, &corner)) {
        g_host_position = corner;
    } else if (window && !IsIconic(window) && GetWindowRect(window, &rect)) {
        g_host_position = POINT{rect.left, rect.top};
    } else {
        GetCursorPos(&corner);
        g_host_position = corner;
    }
}

void keep_window_reachable(HWND window) {
    RECT rect{};
    if (!window || !GetWindowRect(window, &rect)) return;
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&areas));
    const LayoutPoint p =
        reachable_position(screen_rect(rect), areas, GetSystemMetrics(SM_CYCAPTION));
    if (p.x != rect.left || p.y != rect.top)
        SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int vertical_taskbar_margin() {
    int margin = GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMAXIMIZED);
    return margin > 0 ? margin : 0;
}

int horizontal_taskbar_margin() {
    int margin = GetSystemMetrics(SM_CXSCREEN) - GetSystemMetrics(SM_CXMAXIMIZED);
    return margin > 0 ? margin : 0;
}

void centre_host_window(HWND window) {
    if (resident_mode() || !window) return;
    if (g_host_position.x != -1 && g_host_position.y != -1) return;
    HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (!display) return;
    int display_width = GetDeviceCaps(display, HORZRES);
    int display_height = GetDeviceCaps(display, VERTRES);
    DeleteDC(display);
    RECT rect{};
    GetWindowRect(window, &rect);
    int x = (display_width - (rect.right - rect.left)) / 2;
    int y = (display_height - (rect.bottom - rect.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_host_position = POINT{x, y};
}

}  // namespace markomi
