#include "ui/stamp_settings_window_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "output/raster/image_file_win.h"
#include "settings/settings_record.h"
#include "ui/button_keys_win.h"
#include "ui/document_handoff_win.h"
#include "ui/help_win.h"
#include "ui/host_window_win.h"
#include "ui/pdf_stamp_win.h"
#include "ui/program_windows_win.h"
#include "ui/settings_save_win.h"
#include "ui/stamp_date_win.h"
#include "ui/stamp_settings_rules.h"
#include "ui/tab_sheet_rules.h"
#include "ui/tab_sheet_win.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"
#include "ui/window_metrics.h"

namespace markomi {
namespace {

constexpr wchar_t kTabControlError[] = L"TAB CONTROL ERROR";
constexpr int kTabSettingsFontHeight = 17;

constexpr UINT_PTR kTabStripKeysSubclassId = 3;

// 「PDFに捺印…」 on the window menu in resident mode, where the window has no
// menu bar. A system command's low four bits are the system's own.
constexpr UINT kSysCmdStampPdf = 0x0750;
constexpr wchar_t kSysMenuStampPdf[] = L"PDFに捺印(&P)…";

// The tab strip of the open window (one window of the host class at a time).
HWND g_tab_strip = nullptr;

// A click on a tab leaves the focus on the strip: Esc and Ctrl+Tab are the
// window's there too.
LRESULT CALLBACK TabStripKeysProc(HWND tabs, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                  DWORD_PTR) {
    if (forward_window_key(tabs, msg, wparam, lparam, WindowKeys::kEscapeAndTabSwitch)) return 0;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(tabs, TabStripKeysProc, kTabStripKeysSubclassId);
    return DefSubclassProc(tabs, msg, wparam, lparam);
}

// The outer height that gives the window at least `client_height` of client
// area with its frame and (in normal mode) its menu bar.
int outer_height_for_client(HWND hwnd, int width, int client_height) {
    RECT r{0, 0, width, client_height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)),
                       GetMenu(hwnd) != nullptr, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    return r.bottom - r.top;
}

LayoutPoint window_position(LayoutSize size, const FontSetMetrics& m) {
    POINT rebuilt{0, 0};
    if (host_rebuild_corner(&rebuilt)) return LayoutPoint{rebuilt.x, rebuilt.y};
    if (!resident_mode()) {
        const POINT p = remembered_host_position();
        return LayoutPoint{p.x, p.y};
    }
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    return resident_host_position(size, m.a, m.l, LayoutPoint{cursor.x, cursor.y},
                                  horizontal_taskbar_margin(), vertical_taskbar_margin());
}

HWND create_tab_strip(HWND hwnd, const LayoutRect& r) {
    HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                r.x, r.y, r.width, r.height, hwnd, nullptr, g_instance, nullptr);
    if (!tabs) return nullptr;
    if (g_settings_fonts.normal)
        SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(g_settings_fonts.normal), FALSE);
    int index = 0;
    for (std::u16string_view caption : tab_captions()) {
        std::wstring text = to_wide(caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(g_settings.global.active), 0);
    SetWindowSubclass(tabs, TabStripKeysProc, kTabStripKeysSubclassId, 0);
    return tabs;
}

LRESULT OnCreate(HWND hwnd) {
    g_host_window = hwnd;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    make_window_font_set(hwnd, window_character_height(WindowFontUser::kStampSettings, g_current_dpi,
                                                       g_settings.global.expand));
    make_settings_font_set(hwnd, kTabSettingsFontHeight);
    const FontSetMetrics m = g_window_fonts.metrics;
    const StampSettingsLayout layout = stamp_settings_layout(m.a, m.l, g_window_fonts.menu_bar_height);
    // Where a wider frame or menu bar would cover the lowest row, the window
    // grows just enough to show it.
    const LayoutSize size{layout.window.width,
                          std::max(layout.window.height,
                                   outer_height_for_client(hwnd, layout.window.width,
                                                           layout.min_client_height))};
    const LayoutPoint at = window_position(size, m);
    MoveWindow(hwnd, at.x, at.y, size.width, size.height, TRUE);
    centre_host_window(hwnd);
    if (!resident_mode()) keep_window_reachable(hwnd);  // a remembered place may be gone
    // The window closes through "Ｏ　Ｋ" or the menu, not the title bar.
    HMENU system_menu = GetSystemMenu(hwnd, FALSE);
    EnableMenuItem(system_menu, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    if (resident_mode()) {
        AppendMenuW(system_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system_menu, MF_STRING, kSysCmdStampPdf, kSysMenuStampPdf);
    }
    // PDFs dropped here open in the stamping window. The program runs as
    // invoker, at the integrity of the user's Explorer, so UIPI lets its
    // drops through without any message filter being opened.
    DragAcceptFiles(hwnd, TRUE);

    g_tab_strip = create_tab_strip(hwnd, layout.tab_strip);
    if (!g_tab_strip) {
        MessageBoxW(nullptr, kTabControlError, kMessageBoxTitle, MB_OK | MB_ICONERROR | MB_TOPMOST);
        PostQuitMessage(0);
        return 0;
    }
    HWND sheet = CreateWindowExW(0, kTabSheetWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                 layout.sheet.x, layout.sheet.y, layout.sheet.width,
                                 layout.sheet.height, hwnd, nullptr, g_instance, nullptr);
    // Above the tab strip, which was created first and would paint over it.
    if (sheet) SetWindowPos(sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return 0;
}

// What was typed belongs to the slot being left.
void OnTabChanging() {
    if (g_tab_sheet_window) SendMessageW(g_tab_sheet_window, WM_COMMAND, kSheetCmdTakeControls, 0);
}

void OnTabChanged() {
    const auto selected = static_cast<int>(SendMessageW(g_tab_strip, TCM_GETCURSEL, 0, 0));
    if (selected >= 0 && selected < kSlotCount) g_settings.global.active = selected;
    refresh_tab_sheet(g_tab_sheet_window);
}

LRESULT OnNotify(const NMHDR* header) {
    if (!header || header->hwndFrom != g_tab_strip) return 0;
    if (header->code == TCN_SELCHANGING) {
        OnTabChanging();
        return FALSE;
    }
    if (header->code == TCN_SELCHANGE) OnTabChanged();
    return 0;
}

// Ctrl+Tab and Ctrl+Shift+Tab: the next or previous tab, as a click on it
// (TCM_SETCURSEL alone notifies nobody).
void step_tab(bool forward) {
    if (!g_tab_strip) return;
    OnTabChanging();
    const auto current = static_cast<int>(SendMessageW(g_tab_strip, TCM_GETCURSEL, 0, 0));
    SendMessageW(g_tab_strip, TCM_SETCURSEL, static_cast<WPARAM>(next_tab_index(current, forward)), 0);
    OnTabChanged();
    // The focused control may have gone with the division row of slot 1.
    HWND focus = GetFocus();
    if (g_tab_sheet_window && (!focus || !IsWindowVisible(focus) || focus == g_tab_sheet_window))
        SetFocus(GetDlgItem(g_tab_sheet_window, kSheetIdOk));
}

LRESULT OnCommand(HWND hwnd, WPARAM wparam) {
    store_host_position(hwnd);
    const int id = LOWORD(wparam);
    switch (id) {
        case kCmdSaveImage:
            if (g_tab_sheet_window) SendMessageW(g_tab_sheet_window, WM_COMMAND, kSheetCmdTakeControls, 0);
            follow_stamp_date();
            run_save_image_dialog(hwnd, g_settings, g_settings.global.active);
            break;
        case kCmdStampPdf:
            if (g_tab_sheet_window) SendMessageW(g_tab_sheet_window, WM_COMMAND, kSheetCmdTakeControls, 0);
            run_pdf_stamp_command(hwnd);
            break;
        case kCmdPreferences:
        case kCmdAbout:
            DestroyWindow(hwnd);
            PostMessageW(g_main_window, WM_COMMAND, static_cast<WPARAM>(id), 0);
            break;
        case kCmdHelp: open_help(hwnd); break;
        case kCmdExit: end_program_windows(); break;
        default: break;
    }
    return 0;
}

LRESULT OnSysCommand(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    if ((wparam & 0xFFF0) == kSysCmdStampPdf) return OnCommand(hwnd, kCmdStampPdf);
    return DefWindowProcW(hwnd, WM_SYSCOMMAND, wparam, lparam);
}

// What was typed belongs to the settings before the stamping window reads them.
LRESULT OnDropFiles(HWND hwnd, HDROP drop) {
    if (g_tab_sheet_window) SendMessageW(g_tab_sheet_window, WM_COMMAND, kSheetCmdTakeControls, 0);
    store_host_position(hwnd);
    open_dropped_documents(hwnd, drop);
    return 0;
}

LRESULT OnClose(HWND hwnd) {
    store_host_position(hwnd);
    close_host_window();
    return 0;
}

// Keys the controls pass on (and the window's own, when it has the focus):
// Esc is the close request, Ctrl+Tab changes the tab.
LRESULT OnKeyDown(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    if (wparam == VK_ESCAPE) return OnClose(hwnd);
    if (wparam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        step_tab(GetKeyState(VK_SHIFT) >= 0);
        return 0;
    }
    return DefWindowProcW(hwnd, WM_KEYDOWN, wparam, lparam);
}

// The controls still exist here (children go after their parent): what they
// hold is taken before the settings are written.
LRESULT OnDestroy(HWND hwnd) {
    if (g_tab_sheet_window) SendMessageW(g_tab_sheet_window, WM_COMMAND, kSheetCmdTakeControls, 0);
    save_fitted_settings();
    g_tab_strip = nullptr;
    if (g_host_window == hwnd) g_host_window = nullptr;
    return 0;
}

}  // namespace

LRESULT CALLBACK StampSettingsWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_NOTIFY: return OnNotify(reinterpret_cast<const NMHDR*>(lparam));
        case WM_COMMAND: return OnCommand(hwnd, wparam);
        case WM_KEYDOWN: return OnKeyDown(hwnd, wparam, lparam);
        case WM_SYSCOMMAND: return OnSysCommand(hwnd, wparam, lparam);
        case WM_DROPFILES: return OnDropFiles(hwnd, reinterpret_cast<HDROP>(wparam));
        case WM_CLOSE: return OnClose(hwnd);
        case WM_DESTROY: return OnDestroy(hwnd);
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

}  // namespace markomi
