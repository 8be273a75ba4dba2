#include "app/app_windows_win.h"

#include <shellapi.h>

#include <string>

#include "app/hotkey_binding.h"
#include "app/input_injection_win.h"
#include "app/opening_window_win.h"
#include "app/tray_animation.h"
#include "base/message_box_title.h"
#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "output/clipboard/stamp_copy_win.h"
#include "output/emf/metafile_output_win.h"
#include "resources/resource.h"
#include "settings/settings_record.h"
#include "ui/stamp_date_win.h"
#include "ui/tab_sheet_win.h"

namespace markomi {
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
    lstrcpynW(data.szTip, tray_tip_text().c_str(), ARRAYSIZE(data.szTip));
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

std::wstring tray_tip_text() { return kTrayTip + to_wide(stamp_date_note()); }

void update_tray_tip() {
    if (!g_tray_icon) return;
    NOTIFYICONDATAW data = tray_record(g_tray_icon);
    data.uFlags = NIF_TIP;
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void show_resident_notice() { open_opening_window(g_main_window); }

void follow_clock_change() {
    follow_stamp_date();
    update_tray_tip();
    if (g_tab_sheet_window) refresh_tab_sheet(g_tab_sheet_window);
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
    follow_stamp_date();  // a resident copy runs for days: the stamp carries today's date
    ClipboardCopy outcome = ClipboardCopy::kNotRendered;
    if (copy_stamp_to_clipboard(g_settings, g_settings.global.active, g_main_window,
                                ctrl_held_now(), &outcome))
        return true;
    const bool busy = outcome == ClipboardCopy::kClipboardBusy;
    MessageBoxW(nullptr, busy ? kClipboardBusyText : kStampNotRenderedText, kMessageBoxTitle,
                (busy ? MB_ICONWARNING : MB_ICONERROR) | MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
    return false;
}

void connect_program_actions() {
    set_program_actions(ProgramActions{add_tray_icon, register_hotkey, unregister_hotkey,
                                       hotkey_registered, hotkey_taken, report_hotkey_taken,
                                       copy_active_stamp, drop_paste, update_tray_tip,
                                       show_resident_notice});
}

}  // namespace markomi
