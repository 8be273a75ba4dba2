#include "app/app_windows_win.h"

#include <shellapi.h>

#include <vector>

#include "app/hotkey_binding.h"
#include "app/tray_animation.h"
#include "app/window_classes.h"
#include "app/window_layouts.h"
#include "base/process_globals_win.h"
#include "output/metafile_output_win.h"
#include "resources/resource.h"
#include "settings/settings_record.h"

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

constexpr wchar_t kTrayTip[] = L"マルコミ２\n左クリック：捺印　右クリック：設定";
constexpr wchar_t kClipboardBusyText[] =
    L"クリップボードが他のプログラムに使用されているため、印影をコピーできませんでした。\n"
    L"しばらくしてからもう一度お試しください。";
constexpr wchar_t kHotkeyTakenText[] =
    L"ホットキーを登録できませんでした。\n"
    L"同じキーを他のプログラムが使用しています。\n"
    L"環境設定で別のキーを選んでください。";
constexpr wchar_t kStampNotRenderedText[] =
    L"印影を作成できなかったため、クリップボードにコピーできませんでした。\n"
    L"クリップボードの内容は変わっていません。メモリーの空きや設定を確認してください。";

bool g_hotkey_registered = false;
bool g_hotkey_taken = false;
HICON g_tray_icon = nullptr;  // the artwork the icon record shows now

const wchar_t* tray_icon_name(int index) {
    const auto& names = uses_flat_tray_icons(g_os_version_code) ? kTrayIconNamesModern
                                                                : kTrayIconNamesClassic;
    return names[index];
}

// The notification area shows small icons; loading that size keeps the
// artwork crisp instead of letting the shell shrink the 32-pixel image.
HICON load_tray_icon(int index) {
    return static_cast<HICON>(LoadImageW(g_instance, tray_icon_name(index), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), 0));
}

NOTIFYICONDATAW tray_record(HICON icon) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V3_SIZE;
    data.hWnd = g_main_window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kMsgTrayCallback;
    data.hIcon = icon;
    lstrcpynW(data.szTip, kTrayTip, ARRAYSIZE(data.szTip));
    return data;
}

// Shows `icon` in the record (adding or modifying it) and keeps it, freeing
// the artwork it replaces once the shell has taken the new one.
bool show_tray_icon(DWORD operation, HICON icon) {
    NOTIFYICONDATAW data = tray_record(icon);
    bool shown = Shell_NotifyIconW(operation, &data) != FALSE;
    // An icon that is still there (a repeated add) only needs its artwork.
    if (!shown && operation == NIM_ADD) shown = Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    if (g_tray_icon && g_tray_icon != icon) DestroyIcon(g_tray_icon);
    g_tray_icon = icon;
    return shown;
}

}  // namespace

bool add_tray_icon() {
    if (resident_mode()) return show_tray_icon(NIM_ADD, load_tray_icon(0));
    delete_tray_icon();
    PostMessageW(g_main_window, WM_COMMAND, kCmdStampSettings, 0);
    return true;
}

void delete_tray_icon() {
    NOTIFYICONDATAW data = tray_record(nullptr);
    data.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &data);
    if (g_tray_icon) DestroyIcon(g_tray_icon);
    g_tray_icon = nullptr;
}

void step_tray_animation(int& counter) {
    TrayAnimationStep step = tray_animation_step(counter);
    counter = step.next_counter;
    if (step.stop_timer) KillTimer(g_main_window, kTimerTrayAnimation);
    show_tray_icon(NIM_MODIFY, load_tray_icon(step.icon_index));
}

void register_hotkey() {
    unregister_hotkey();
    g_hotkey_taken = false;
    if (!resident_mode() || g_settings.global.hotkey <= 0) return;
    HotkeyBinding binding = hotkey_binding(g_settings.global.hotkey);
    if (!binding.valid) return;
    g_hotkey_registered = RegisterHotKey(g_main_window, kHotkeyId, binding.modifiers,
                                         binding.virtual_key) != FALSE;
    g_hotkey_taken = !g_hotkey_registered;
}

void unregister_hotkey() {
    if (g_hotkey_registered) UnregisterHotKey(g_main_window, kHotkeyId);
    g_hotkey_registered = false;
}

bool hotkey_registered() { return g_hotkey_registered; }

bool hotkey_taken() { return g_hotkey_taken; }

void report_hotkey_taken() {
    MessageBoxW(nullptr, kHotkeyTakenText, kMessageBoxTitle,
                MB_OK | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND);
}

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

void apply_stamp_end_rule() {
    if (!resident_mode()) {
        end_program_windows();
        return;
    }
    ShowWindow(g_main_window, SW_HIDE);
    if (g_host_window) DestroyWindow(g_host_window);
}

void finish_stamp_copy() {
    if (g_host_window) ShowWindow(g_host_window, SW_HIDE);
    if (g_settings.global.paste == 1 && g_overlay_window) {
        ShowWindow(g_overlay_window, SW_SHOWMAXIMIZED);
        UpdateWindow(g_overlay_window);
        InvalidateRect(g_overlay_window, nullptr, FALSE);
        bring_to_front(g_overlay_window);
        return;
    }
    if (resident_mode()) {
        if (g_host_window) DestroyWindow(g_host_window);
        return;
    }
    end_program_windows();
}

namespace {

// The key as it is now, not as this thread's input last saw it: the icon,
// the overlay, the hotkey and a drop reach the stamp without the keyboard
// focus, so GetKeyState would not know about a Ctrl held in another window.
bool ctrl_held_now() { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }

}  // namespace

bool copy_active_stamp() {
    ClipboardCopy outcome = ClipboardCopy::kNotRendered;
    if (copy_stamp_to_clipboard(g_settings, g_settings.global.active, g_main_window,
                                ctrl_held_now(), &outcome))
        return true;
    const bool busy = outcome == ClipboardCopy::kClipboardBusy;
    MessageBoxW(nullptr, busy ? kClipboardBusyText : kStampNotRenderedText, kMessageBoxTitle,
                (busy ? MB_ICONWARNING : MB_ICONERROR) | MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
    return false;
}

bool resident_mode() { return g_settings.global.station_type == 1; }

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
