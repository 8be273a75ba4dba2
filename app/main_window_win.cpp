#include "app/main_window_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/app_windows_win.h"
#include "app/input_injection_win.h"
#include "app/opening_window_win.h"
#include "app/overlay_win.h"
#include "base/modal_flow_win.h"
#include "base/process_globals_win.h"
#include "dates/era_registry_win.h"
#include "output/clipboard/stamp_copy_win.h"
#include "output/clipboard/transparent_formats_win.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/image_file_win.h"
#include "render/font_fallback_win.h"
#include "render/measure_cache.h"
#include "render/surfaces_gdiplus.h"
#include "resources/resource.h"
#include "settings/settings_files_win.h"
#include "settings/settings_record.h"
#include "ui/document_handoff_win.h"
#include "ui/help_win.h"
#include "ui/host_window_win.h"
#include "ui/pdf_stamp_win.h"
#include "ui/settings_save_win.h"
#include "ui/stamping_window_win.h"
#include "ui/stamp_date_win.h"
#include "ui/tab_sheet_win.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"
#include "ui/window_metrics.h"

namespace markomi {
namespace {

constexpr wchar_t kHotkeyConfirmText[] = L"捺印します。\nよろしいですか？";

// Explorer may not take the icon at once (it is still starting at logon, or
// is busy); the main window then keeps trying for a minute.
constexpr UINT_PTR kTimerTrayRetry = 3;
constexpr UINT kTrayRetryPeriodMs = 1000;
constexpr int kTrayRetryAttempts = 60;

UINT g_taskbar_created_message = 0;
int g_animation_counter = 1;
int g_tray_retries_left = 0;
// Set by WM_ENDSESSION: the session really ends.
bool g_session_ending = false;
// Documents handed over and not yet opened (see queue_documents).
std::vector<std::wstring> g_queued_documents;

struct PopupItem {
    int command;
    const wchar_t* text;
};
constexpr PopupItem kPopupItems[] = {
    {kCmdStampSettings, L"設　　定"}, {kCmdSaveImage, L"印影保存"},
    {kCmdStampPdf, L"PDFに捺印…"},     {kCmdPreferences, L"環境設定"},   {kCmdHelp, L"ヘ ル プ"},
    {kCmdAbout, L"ﾊﾞｰｼﾞｮﾝ情報"},      {kCmdExit, L"終　　了"},
};

static_assert(kCmdSaveImage == IDM_SAVE_IMAGE && kCmdStampPdf == IDM_STAMP_PDF &&
                  kCmdPreferences == IDM_PREFERENCES &&
                  kCmdHelp == IDM_HELP && kCmdAbout == IDM_ABOUT && kCmdExit == IDM_EXIT,
              "the menu bar resource and the main window share the command numbers");

bool register_window_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HCURSOR cursor,
                           HBRUSH background) {
    HICON icon = LoadIconW(instance, kAppIconName);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

void load_drag_cursors() {
    g_drag_cursors[0] = LoadCursorW(nullptr, IDC_ARROW);
    g_drag_cursors[1] = LoadCursorW(g_instance, kDragHoverCursorName);
    g_drag_cursors[2] = LoadCursorW(g_instance, kDragGrabCursorName);
    g_drag_cursors[3] = LoadCursorW(g_instance, kDragNoDropCursorName);
    g_drag_cursors[4] = LoadCursorW(g_instance, kDragDropCursorName);
    g_drag_state = 2;
    g_drag_substate = 0;
}

void add_tray_icon_or_retry(HWND hwnd) {
    if (add_tray_icon() || !resident_mode()) return;
    g_tray_retries_left = kTrayRetryAttempts;
    SetTimer(hwnd, kTimerTrayRetry, kTrayRetryPeriodMs, nullptr);
}

LRESULT OnCreate(HWND hwnd) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    g_main_window = hwnd;
    g_taskbar_created_message = RegisterWindowMessageW(L"TaskbarCreated");
    add_tray_icon_or_retry(hwnd);
    g_host_position = POINT{-1, -1};
    load_drag_cursors();
    register_hotkey();
    // Told once the start-up is over: a box here would hold the start-up
    // mutex until the user answered it.
    if (hotkey_taken()) PostMessageW(hwnd, kMsgHotkeyTaken, 0, 0);
    if (settings_load_problem()) PostMessageW(hwnd, kMsgSettingsLoadProblem, 0, 0);
    g_overlay_window = create_overlay_window(hwnd);
    if (resident_mode()) open_opening_window(hwnd);
    // Stamps copied as bitmaps offer their transparent formats and this
    // window makes them when a program asks (OnRenderFormat).
    set_delayed_rendering_window(hwnd);
    return 0;
}

// The host window goes first: the preferences window registers the hotkey
// again as it goes, and the program must not leave holding it. Its save is
// quiet when another process asked for the end (a newly started copy, the
// uninstaller): a message box now would outlast that process's wait, and the
// user would be left with no copy running.
LRESULT OnDestroy(HWND hwnd) {
    QuietSaves quiet(g_session_ending || InSendMessage());
    // A WM_DESTROY sent by another process ends the program without
    // destroying this window, and then no WM_RENDERALLFORMATS comes.
    render_remaining_offered_formats(hwnd);
    set_delayed_rendering_window(nullptr);
    if (g_host_window) DestroyWindow(g_host_window);
    unregister_hotkey();
    delete_window_fonts();
    if (g_overlay_window) DestroyWindow(g_overlay_window);
    release_surfaces();
    free_era_table();
    PostQuitMessage(0);
    return 0;
}

// Windows is ending the session: what the user set must reach the disk
// first. Nothing may wait for the user here (a box about a read-only file
// would hold up every logoff), so a failed save is only logged.
LRESULT OnQueryEndSession(HWND) {
    QuietSaves quiet;
    save_fitted_settings();
    return TRUE;
}

// The session ends (or goes on, when another program refused): from here a
// destruction may follow at any moment, and it must not ask anything either.
LRESULT OnEndSession(WPARAM ending) {
    g_session_ending = ending != FALSE;
    return 0;
}

void show_popup_menu(HWND hwnd) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    bool first = true;
    for (const PopupItem& item : kPopupItems) {
        if (!first) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command), item.text);
        first = false;
    }
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the WM_NULL afterwards lets it finish its own loop.
    bring_to_front(hwnd);
    TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                   hwnd, nullptr);
    DestroyMenu(menu);
    PostMessageW(hwnd, WM_NULL, 0, 0);
}

LRESULT OnTrayCallback(HWND hwnd, WPARAM wparam, LPARAM lparam) {
    if (wparam != kTrayIconId) return 0;
    switch (LOWORD(lparam)) {
        case WM_LBUTTONDOWN:
            g_animation_counter = 1;
            SetTimer(hwnd, kTimerTrayAnimation, kTrayAnimationPeriodMs, nullptr);
            // A stamp that did not reach the clipboard must not be pasted:
            // the overlay would paste whatever was there before.
            if (copy_active_stamp()) finish_stamp_copy();
            return 0;
        case WM_RBUTTONDOWN:
            // The menu would start a second dialog beside the open one.
            if (bring_open_flow_forward()) return 0;
            if (g_host_window) {
                bring_to_front(g_host_window);
                return 0;
            }
            show_popup_menu(hwnd);
            return 0;
        default: return 0;
    }
}

void exit_program(HWND hwnd) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (g_tab_sheet_window) DestroyWindow(g_tab_sheet_window);
    DestroyWindow(hwnd);
}

LRESULT OnCommand(HWND hwnd, WPARAM wparam) {
    if (HIWORD(wparam) != 0) return 0;
    switch (LOWORD(wparam)) {
        case kCmdStampSettings:
        case kCmdPreferences:
        case kCmdAbout: open_host_window(LOWORD(wparam)); break;
        case kCmdSaveImage:
            // Owned by the open settings window, if any: a dialog owned by
            // the hidden main window may open behind the user's windows.
            follow_stamp_date();
            run_save_image_dialog(g_host_window, g_settings, g_settings.global.active);
            break;
        case kCmdStampPdf: run_pdf_stamp_command(g_host_window); break;
        case kCmdHelp: open_help(hwnd); break;
        case kCmdExit: exit_program(hwnd); break;
        default: break;
    }
    return 0;
}

LRESULT OnTimer(HWND hwnd, WPARAM id) {
    if (id == kTimerTrayAnimation) {
        step_tray_animation(g_animation_counter);
    } else if (id == kTimerTrayRetry) {
        if (!resident_mode() || add_tray_icon() || --g_tray_retries_left <= 0)
            KillTimer(hwnd, kTimerTrayRetry);
    }
    return 0;
}

// The resolution of the main window's monitor changed: new windows take it.
// An open host window on that monitor is rebuilt where it stands (once: not
// when its own notice came first); one on another monitor has a notice of
// its own when its resolution changes.
LRESULT OnDpiChanged(HWND hwnd, WPARAM wparam) {
    // Anyone can post this message; a resolution no screen has would turn
    // every font and window size of the program to nothing or to giants.
    if (!is_plausible_dpi(LOWORD(wparam))) return 0;
    g_current_dpi = LOWORD(wparam);
    if (!g_host_window || MonitorFromWindow(g_host_window, MONITOR_DEFAULTTONEAREST) !=
                              MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST))
        return 0;
    RECT rect{};
    GetWindowRect(g_host_window, &rect);
    rebuild_host_window(g_current_dpi, rect);
    return 0;
}

// The hotkey stays unregistered while the question is open, so pressing it
// again meanwhile does nothing. The stamp goes to the window the user was
// working in when the key was pressed.
LRESULT OnHotkey(WPARAM id) {
    if (id != kHotkeyId) return 0;
    unregister_hotkey();
    HWND working = GetForegroundWindow();
    int answer = MessageBoxW(nullptr, kHotkeyConfirmText, kMessageBoxTitle,
                             MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL | MB_TOPMOST);
    if (answer == IDYES) paste_into_focus(working);
    register_hotkey();
    return 0;
}

LRESULT OnReAddTrayIcon(HWND hwnd) {
    add_tray_icon_or_retry(hwnd);
    return 0;
}

LRESULT OnHotkeyTaken() {
    if (hotkey_taken()) report_hotkey_taken();
    return 0;
}

LRESULT OnSettingsLoadProblem() {
    report_settings_load_problem();
    return 0;
}

// A program reads a format of the last stamp that was only offered.
LRESULT OnRenderFormat(WPARAM format) {
    render_offered_format(static_cast<UINT>(format));
    return 0;
}

// This window goes while the clipboard may still hold its stamp.
LRESULT OnRenderAllFormats(HWND hwnd) {
    render_remaining_offered_formats(hwnd);
    return 0;
}

// The clipboard was emptied: the picture kept for the offered formats goes.
LRESULT OnDestroyClipboard() {
    forget_offered_formats();
    return 0;
}

// The system woke from sleep: the day may have changed meanwhile.
LRESULT OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) follow_clock_change();
    return TRUE;
}

// Fonts were installed or removed: a face chosen in the settings may have
// gone or come back, so faces are resolved and lines measured afresh.
LRESULT OnFontChange() {
    reset_face_fallback();
    g_measure_cache.reset();
    return 0;
}

// A copy started with documents hands them over (ui/document_handoff_win.h).
// Only a well-formed block with our tag is taken; the sender waits for the
// answer, so the window opens later, from the posted message.
LRESULT OnCopyData(const COPYDATASTRUCT* data) {
    std::vector<std::wstring> documents;
    if (!take_handed_documents(data, &documents)) return FALSE;
    queue_documents(documents);
    return TRUE;
}

// The settings window, when open, owns the stamping window: one owned by the
// hidden main window could open behind the user's windows.
LRESULT OnOpenDocuments() {
    if (g_queued_documents.empty()) return 0;
    std::vector<std::wstring> documents;
    documents.swap(g_queued_documents);
    follow_stamp_date();
    open_stamping_window(g_host_window, documents);
    return 0;
}

}  // namespace

void queue_documents(const std::vector<std::wstring>& documents) {
    if (documents.empty() || !g_main_window) return;
    const bool posted_already = !g_queued_documents.empty();
    g_queued_documents.insert(g_queued_documents.end(), documents.begin(), documents.end());
    if (!posted_already) PostMessageW(g_main_window, kMsgOpenDocuments, 0, 0);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_DESTROY: return OnDestroy(hwnd);
        case WM_QUERYENDSESSION: return OnQueryEndSession(hwnd);
        case WM_ENDSESSION: return OnEndSession(wparam);
        case WM_COMMAND: return OnCommand(hwnd, wparam);
        case WM_TIMER: return OnTimer(hwnd, wparam);
        case WM_DPICHANGED: return OnDpiChanged(hwnd, wparam);
        case WM_HOTKEY: return OnHotkey(wparam);
        case WM_FONTCHANGE: return OnFontChange();
        case WM_TIMECHANGE: follow_clock_change(); return 0;
        case WM_POWERBROADCAST: return OnPowerBroadcast(wparam);
        case WM_RENDERFORMAT: return OnRenderFormat(wparam);
        case WM_RENDERALLFORMATS: return OnRenderAllFormats(hwnd);
        case WM_DESTROYCLIPBOARD: return OnDestroyClipboard();
        case kMsgTrayCallback: return OnTrayCallback(hwnd, wparam, lparam);
        case kMsgReAddTrayIcon: return OnReAddTrayIcon(hwnd);
        case kMsgHotkeyTaken: return OnHotkeyTaken();
        case kMsgSettingsLoadProblem: return OnSettingsLoadProblem();
        case WM_COPYDATA: return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lparam));
        case kMsgOpenDocuments: return OnOpenDocuments();
        // F1 in the windows it owns (the opening notice, the overlay).
        case WM_HELP: return answer_help_request(hwnd, kHelpStampingPage);
        default: break;
    }
    if (msg != 0 && msg == g_taskbar_created_message) SendMessageW(hwnd, kMsgReAddTrayIcon, 0, 0);
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

bool register_window_classes(HINSTANCE instance) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR hand = LoadCursorW(instance, kOverlayCursorName);
    HBRUSH face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    bool ok = register_window_class(instance, kMainWindowClass, MainWndProc, arrow, face);
    ok &= register_window_class(instance, kHostWindowClass, HostWndProc, arrow, face);
    ok &= register_window_class(instance, kTabSheetWindowClass, TabSheetWndProc, arrow, face);
    ok &= register_window_class(instance, kOverlayWindowClass, OverlayWndProc, hand ? hand : arrow,
                                white);
    ok &= register_window_class(instance, kOpeningWindowClass, OpeningWndProc, arrow, white);
    return ok;
}

HWND create_main_window(HINSTANCE instance) {
    HWND hwnd = CreateWindowExW(0, kMainWindowClass, L"", WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (hwnd) {
        ShowWindow(hwnd, SW_HIDE);
        UpdateWindow(hwnd);
    }
    return hwnd;
}

}  // namespace markomi
