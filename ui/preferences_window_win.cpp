#include "ui/preferences_window_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <array>
#include <iterator>
#include <optional>
#include <string>

#include "base/gdi_handles_win.h"
#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "settings/settings_record.h"
#include "ui/button_keys_win.h"
#include "ui/child_controls_win.h"
#include "ui/host_window_win.h"
#include "ui/preferences_rules.h"
#include "ui/program_windows_win.h"
#include "ui/settings_save_win.h"
#include "ui/shortcuts_win.h"
#include "ui/window_fonts_win.h"
#include "ui/window_metrics.h"

namespace markomi {
namespace {

constexpr wchar_t kTitle[] = L"マルコミ２ 環境設定";
constexpr wchar_t kHeading[] = L"環境設定";
constexpr wchar_t kHotkeyLabel[] = L"ホットキー";
constexpr wchar_t kCancelText[] = L"キャンセル";
constexpr wchar_t kApplyText[] = L"実　行";

constexpr UINT_PTR kKeysSubclassId = 1;

// The ten controls that take the focus, in the order they are created.
constexpr std::array<int, 10> kFocusableIds = {
    kPrefIdAutoLayout, kPrefIdLargeWindows, kPrefIdDesktopIcon, kPrefIdMetafile,
    kPrefIdResident,   kPrefIdPaste,        kPrefIdStartupIcon, kPrefIdHotkeyField,
    kPrefIdCancel,     kPrefIdApply,
};

// The flags of the open window; there is one window of the host class at a
// time, so one set suffices.
PreferenceFlags g_flags;

// What was chosen in a window but not applied, handed from a window that is
// rebuilt at another resolution to its replacement.
struct TypedPreferences {
    PreferenceFlags flags;
    std::int32_t hotkey_field = 0;
};
std::optional<TypedPreferences> g_carried;

std::int32_t hotkey_field_value(HWND hwnd) {
    HWND hotkey = GetDlgItem(hwnd, kPrefIdHotkeyField);
    return static_cast<std::int32_t>(
        LOWORD(hotkey ? SendMessageW(hotkey, HKM_GETHOTKEY, 0, 0) : 0));
}

// Captions from the flags; paste, startup icon and hotkey field only in
// resident mode.
void refresh_controls(HWND hwnd) {
    const bool resident = apply_resident_rule(g_flags);
    for (int i = 0; i < kPrefToggleCount; ++i) {
        const PrefToggle t = static_cast<PrefToggle>(i);
        HWND button = GetDlgItem(hwnd, pref_toggle(t).id);
        if (!button) continue;
        SetWindowTextW(button, to_wide(toggle_caption(g_flags, t)).c_str());
        InvalidateRect(button, nullptr, TRUE);
    }
    for (int id : {kPrefIdPaste, kPrefIdStartupIcon, kPrefIdHotkeyField}) {
        if (HWND control = GetDlgItem(hwnd, id)) EnableWindow(control, resident);
    }
}

void move_focus(HWND control, bool forward) {
    HWND parent = GetParent(control);
    const int next = next_pref_focus(GetDlgCtrlID(control), forward, [parent](int id) {
        HWND target = GetDlgItem(parent, id);
        return target && IsWindowEnabled(target);
    });
    if (HWND target = next ? GetDlgItem(parent, next) : nullptr) SetFocus(target);
}

// The window has no dialog manager: each control moves the focus and
// presses itself. Space is pressed through its character, not through the
// button's own key-down/key-up click, so that it acts exactly once; the
// hotkey field never sees Space, Tab, Up or Down, so none of them can
// become the hotkey.
LRESULT CALLBACK PreferenceKeysProc(HWND control, UINT msg, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR, DWORD_PTR) {
    const int id = GetDlgCtrlID(control);
    // Esc is the window's キャンセル, from every control (the hotkey field too).
    if (forward_window_key(control, msg, wparam, lparam, WindowKeys::kEscape)) return 0;
    switch (msg) {
        case WM_KEYDOWN:
            if (wparam == VK_TAB || wparam == VK_DOWN) {
                move_focus(control, true);
                return 0;
            }
            if (wparam == VK_UP) {
                move_focus(control, false);
                return 0;
            }
            if (wparam == VK_SPACE) return 0;
            break;
        case WM_KEYUP:
            return 0;
        case WM_CHAR:
            if (wparam == L'\t') return 0;
            if ((wparam == L'\r' || wparam == L' ') && id != kPrefIdHotkeyField) {
                SendMessageW(GetParent(control), WM_COMMAND,
                             MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                             reinterpret_cast<LPARAM>(control));
                return 0;
            }
            break;
    }
    return DefSubclassProc(control, msg, wparam, lparam);
}

LayoutPoint window_position(const PreferencesLayout& layout, const FontSetMetrics& m) {
    POINT rebuilt{0, 0};
    if (host_rebuild_corner(&rebuilt)) return LayoutPoint{rebuilt.x, rebuilt.y};
    if (!resident_mode()) {
        const POINT p = remembered_host_position();
        return LayoutPoint{p.x, p.y};
    }
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    return resident_host_position(layout.window, m.a, m.l, LayoutPoint{cursor.x, cursor.y},
                                         horizontal_taskbar_margin(), vertical_taskbar_margin());
}

LRESULT OnCreate(HWND hwnd) {
    g_host_window = hwnd;
    // The hotkey field's class comes from the common controls; registering
    // it again is cheap and keeps the window independent of who did first.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);

    make_window_font_set(hwnd, window_character_height(WindowFontUser::kPreferences, g_current_dpi,
                                                       g_settings.global.expand));
    const FontSetMetrics m = g_window_fonts.metrics;
    const PreferencesLayout layout = preferences_layout(m.a, m.l);
    const LayoutPoint at = window_position(layout, m);
    MoveWindow(hwnd, at.x, at.y, layout.window.width, layout.window.height, TRUE);
    // Normal mode before any host window was placed: centred, like the
    // stamp settings window, rather than at (-1, -1).
    centre_host_window(hwnd);
    if (!resident_mode()) keep_window_reachable(hwnd);  // a remembered place may be gone

    std::int32_t hotkey_value = g_settings.global.hotkey & 0xFFFF;
    if (g_carried && host_window_rebuilding()) {
        g_flags = g_carried->flags;
        hotkey_value = g_carried->hotkey_field;
    } else {
        g_flags = initial_preference_flags(g_settings.global, shortcut_exists(CSIDL_DESKTOP),
                                           shortcut_exists(CSIDL_STARTUP));
    }
    g_carried.reset();
    SetWindowTextW(hwnd, kTitle);
    // Only "実　行" and "キャンセル" end the window.
    EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);

    const HFONT font = g_window_fonts.normal;
    create_child_control(hwnd, L"STATIC", kHeading, 0, layout.title, 0, font);
    for (int i = 0; i < kPrefToggleCount; ++i) {
        create_child_control(hwnd, L"BUTTON", L"", BS_OWNERDRAW | WS_TABSTOP,
                             layout.toggles[static_cast<std::size_t>(i)],
                             pref_toggles()[static_cast<std::size_t>(i)].id, font);
    }
    create_child_control(hwnd, L"STATIC", kHotkeyLabel, 0, layout.hotkey_label, 0, font);
    HWND hotkey = create_child_control(hwnd, HOTKEY_CLASSW, L"", WS_BORDER | WS_TABSTOP,
                                       layout.hotkey_field, kPrefIdHotkeyField, font);
    if (hotkey) {
        // A key without a modifier becomes the same key with Alt.
        SendMessageW(hotkey, HKM_SETRULES, HKCOMB_NONE, MAKELPARAM(HOTKEYF_ALT, 0));
        SendMessageW(hotkey, HKM_SETHOTKEY, static_cast<WPARAM>(hotkey_value), 0);
    }
    create_child_control(hwnd, L"BUTTON", kCancelText, BS_PUSHBUTTON | WS_TABSTOP, layout.cancel,
                         kPrefIdCancel, font);
    HWND apply = create_child_control(hwnd, L"BUTTON", kApplyText, BS_PUSHBUTTON | WS_TABSTOP,
                                      layout.apply, kPrefIdApply, font);
    for (int id : kFocusableIds) {
        if (HWND control = GetDlgItem(hwnd, id))
            SetWindowSubclass(control, PreferenceKeysProc, kKeysSubclassId, 0);
    }
    refresh_controls(hwnd);

    // Free while the window is open, so that it can be typed into the field.
    if (program_actions().hotkey_registered()) program_actions().unregister_hotkey();
    bring_to_front(hwnd);
    if (apply) SetFocus(apply);
    return 0;
}

void apply_and_close(HWND hwnd) {
    const bool was_resident = resident_mode();
    apply_preferences(g_flags, hotkey_field_value(hwnd), g_settings.global);
    save_fitted_settings();
    if (!g_flags[PrefToggle::kResident]) g_flags[PrefToggle::kStartupIcon] = false;
    if (g_flags[PrefToggle::kDesktopIcon])
        create_shortcut(CSIDL_DESKTOP);
    else
        delete_shortcut(CSIDL_DESKTOP);
    if (g_flags[PrefToggle::kStartupIcon])
        create_shortcut(CSIDL_STARTUP);
    else
        delete_shortcut(CSIDL_STARTUP);
    DestroyWindow(hwnd);  // registers the hotkey from the new settings
    // Resident: the icon comes (back); normal: it goes and the stamp
    // settings window opens instead.
    program_actions().add_tray_icon();
    // Every window has gone: without the notice the program looks ended.
    if (!was_resident && resident_mode()) program_actions().show_resident_notice();
    if (program_actions().hotkey_taken()) program_actions().report_hotkey_taken();
}

void cancel_and_close(HWND hwnd) {
    DestroyWindow(hwnd);  // registers the unchanged hotkey again
    if (!resident_mode()) PostMessageW(g_main_window, WM_COMMAND, kCmdStampSettings, 0);
}

LRESULT OnCommand(HWND hwnd, WPARAM wparam) {
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    PrefToggle toggle{};
    if (pref_toggle_of_id(id, &toggle)) {
        // An owner-drawn button reports the second click of a quick pair as
        // a double click; it is a press like any other.
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) {
            toggle_preference(g_flags, toggle);
            refresh_controls(hwnd);
        }
    } else if (id == kPrefIdApply && code == BN_CLICKED) {
        apply_and_close(hwnd);
    } else if (id == kPrefIdCancel && code == BN_CLICKED) {
        cancel_and_close(hwnd);
    }
    return 0;
}

void draw_frame(HDC dc, RECT r, COLORREF colour) {
    GdiBrush brush(CreateSolidBrush(colour));
    FrameRect(dc, &r, brush.get());
}

LRESULT OnDrawItem(const DRAWITEMSTRUCT* item) {
    PrefToggle toggle{};
    if (!item || item->CtlType != ODT_BUTTON || !pref_toggle_of_id(static_cast<int>(item->CtlID), &toggle))
        return FALSE;
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    const bool enabled = !(item->itemState & ODS_DISABLED);
    const bool focused = (item->itemState & ODS_FOCUS) != 0;
    const COLORREF ink = enabled ? kToggleBlack : kToggleGrey;

    {
        GdiBrush fill(CreateSolidBrush(toggle_fill_colour(g_flags, toggle)));
        FillRect(dc, &r, fill.get());
    }
    draw_frame(dc, r, focused ? kToggleBlack : ink);
    RECT inner = r;
    InflateRect(&inner, -1, -1);
    draw_frame(dc, inner, kToggleWhite);
    if (focused) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }

    wchar_t caption[kToggleCaptionLimit + 1] = L"";
    const int length = GetWindowTextW(item->hwndItem, caption, static_cast<int>(std::size(caption)));
    SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(
                                SendMessageW(item->hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    DrawTextW(dc, caption, length, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return TRUE;
}

LRESULT OnClose() {
    close_host_window();
    return 0;
}

// Esc, from the window or passed on by a control: キャンセル.
LRESULT OnKeyDown(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    if (wparam == VK_ESCAPE) {
        cancel_and_close(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, WM_KEYDOWN, wparam, lparam);
}

LRESULT OnDestroy(HWND hwnd) {
    // Rebuilt for another resolution: the choices go over to the new window.
    if (host_window_rebuilding()) g_carried = TypedPreferences{g_flags, hotkey_field_value(hwnd)};
    for (int id : kFocusableIds) {
        if (HWND control = GetDlgItem(hwnd, id)) {
            RemoveWindowSubclass(control, PreferenceKeysProc, kKeysSubclassId);
            DestroyWindow(control);
        }
    }
    if (g_host_window == hwnd) g_host_window = nullptr;
    // However the window goes (its buttons, a stamp from the icon, another
    // command, a rebuild at another resolution), the hotkey it freed comes
    // back; in normal mode this leaves none.
    program_actions().register_hotkey();
    return 0;
}

}  // namespace

LRESULT CALLBACK PreferencesWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_COMMAND: return OnCommand(hwnd, wparam);
        case WM_DRAWITEM: return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        case WM_KEYDOWN: return OnKeyDown(hwnd, wparam, lparam);
        case WM_CLOSE: return OnClose();
        case WM_DESTROY: return OnDestroy(hwnd);
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

}  // namespace markomi
