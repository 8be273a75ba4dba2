#include "ui/about_box_win.h"

#include <shellapi.h>

#include <array>
#include <string>

#include "base/process_globals_win.h"
#include "resources/resource.h"
#include "settings/settings_record.h"
#include "ui/button_keys_win.h"
#include "ui/child_controls_win.h"
#include "ui/host_window_win.h"
#include "ui/program_windows_win.h"
#include "ui/window_fonts_win.h"
#include "ui/window_layouts.h"
#include "ui/window_metrics.h"

namespace markomi {
namespace {

constexpr int kIdOkButton = 145;
constexpr int kIdAddressLink = 155;
constexpr COLORREF kLinkColour = RGB(2, 34, 216);

constexpr wchar_t kTitle[] = L"マルコミ２ について";
constexpr wchar_t kContactAddress[] = L"m2@example.jp";
constexpr wchar_t kOkText[] = L"Ｏ Ｋ";

// Rows 4 to 6 read "author (address)" on one line, the address a link. That
// line starts further in than the others yet must end inside the box, whose
// width comes from the widest single row: it has to stay shorter than the
// rights notice.
constexpr const wchar_t* kRows[kAboutRowCount] = {
    L"マルコミ２ Ver" MARKOMI2_VERSION_TEXT,
    L"Copyright (C) 2025 Markomi2 Project",
    L"All rights reserved.",
    L"作者：開発チーム（",
    kContactAddress,
    L"）",
};
constexpr int kAddressRow = 4;

LayoutPoint about_box_position(const AboutBoxLayout& layout, const FontSetMetrics& m) {
    POINT rebuilt{0, 0};
    if (host_rebuild_corner(&rebuilt)) return LayoutPoint{rebuilt.x, rebuilt.y};
    if (!resident_mode()) {
        POINT p = remembered_host_position();
        return LayoutPoint{p.x, p.y};
    }
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    AboutAnchor anchor;
    anchor.cursor = LayoutPoint{cursor.x, cursor.y};
    anchor.menu_bar_height = g_window_fonts.menu_bar_height;
    anchor.horizontal_taskbar_margin = horizontal_taskbar_margin();
    anchor.vertical_taskbar_margin = vertical_taskbar_margin();
    return about_box_resident_position(layout, m.a, m.l, anchor);
}

LRESULT OnCreate(HWND hwnd) {
    SetWindowTextW(hwnd, kTitle);
    // The box closes through its button only.
    EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);

    g_host_window = hwnd;
    const int h = window_character_height(WindowFontUser::kAboutBox, g_current_dpi,
                                          g_settings.global.expand);
    make_about_font_set(hwnd, h);
    const FontSetMetrics m = g_about_fonts.metrics;

    HDC dc = open_measuring_context(hwnd, h);
    std::array<LayoutSize, kAboutRowCount> extents;
    for (int i = 0; i < kAboutRowCount; ++i) {
        SIZE s = measure_text(dc, kRows[i]);
        extents[i] = LayoutSize{s.cx, s.cy};
    }
    const AboutBoxLayout layout = about_box_layout(m.a, m.l, extents);
    const LayoutPoint position = about_box_position(layout, m);
    MoveWindow(hwnd, position.x, position.y, layout.window.width, layout.window.height, TRUE);
    if (!resident_mode()) keep_window_reachable(hwnd);  // a remembered place may be gone

    for (int i = 0; i < kAboutRowCount; ++i) {
        const bool link = i == kAddressRow;
        create_child_control(hwnd, L"STATIC", kRows[i], link ? SS_NOTIFY | SS_CENTER : 0,
                             layout.rows[i], link ? kIdAddressLink : 0,
                             link ? g_about_fonts.underlined : g_about_fonts.normal);
    }
    HWND button = create_child_control(hwnd, L"BUTTON", kOkText, BS_DEFPUSHBUTTON | BS_CENTER,
                                       layout.button, kIdOkButton, g_about_fonts.normal);

    close_measuring_context(hwnd, dc);
    bring_to_front(hwnd);
    if (button) {
        SetFocus(button);
        install_button_key_filter(button, hwnd, kIdOkButton);
    }
    return 0;
}

void open_contact_address(HWND hwnd) {
    const std::wstring url = std::wstring(L"mailto:") + kContactAddress;
    ShellExecuteW(hwnd, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The button's action: the box goes, and in normal mode the stamp settings
// window it replaced in the host window comes back.
void close_about_box(HWND hwnd) {
    DestroyWindow(hwnd);
    if (!resident_mode()) PostMessageW(g_main_window, WM_COMMAND, kCmdStampSettings, 0);
}

LRESULT OnCommand(HWND hwnd, WPARAM wparam) {
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    if (id == kIdOkButton && code == BN_CLICKED) {
        close_about_box(hwnd);
    } else if (id == kIdAddressLink && code == STN_DBLCLK) {
        open_contact_address(hwnd);
    }
    return 0;
}

// Only the link is coloured. For the other statics no brush comes back, so
// they draw in the control's default colours.
LRESULT OnCtlColorStatic(HDC dc, HWND control) {
    if (GetDlgCtrlID(control) != kIdAddressLink) return 0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLinkColour);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT OnClose() {
    close_host_window();
    return 0;
}

// Esc closes the box as its button does (the close request would end the
// program in normal mode).
LRESULT OnKeyDown(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    if (wparam == VK_ESCAPE) {
        close_about_box(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, WM_KEYDOWN, wparam, lparam);
}

LRESULT OnDestroy() {
    g_host_window = nullptr;
    return 0;
}

}  // namespace

LRESULT CALLBACK AboutWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_COMMAND: return OnCommand(hwnd, wparam);
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
        case WM_KEYDOWN: return OnKeyDown(hwnd, wparam, lparam);
        case WM_CLOSE: return OnClose();
        case WM_DESTROY: return OnDestroy();
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

}  // namespace markomi
