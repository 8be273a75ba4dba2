#include "uninstaller/uninstall_window_win.h"

#include "resources/resource.h"
#include "ui/button_keys_win.h"
#include "ui/child_controls_win.h"
#include "uninstaller/uninstall_rules.h"
#include "uninstaller/uninstaller_win.h"

namespace markomi {
namespace {

// The version is the one the installer and the version resources show.
constexpr wchar_t kTitle[] = L" マルコミ２ Ver" MARKOMI2_VERSION_TEXT L"　アンインストール";
constexpr wchar_t kConfirmText[] = L"マルコミ２ を削除します。";
constexpr wchar_t kCancelText[] = L"キャンセル";
constexpr wchar_t kExecuteText[] = L"実　行";
constexpr wchar_t kFinishedText[] = L"アンインストールが終了しました。";
constexpr wchar_t kFinishedUserPartText[] =
    L"設定とショートカットを削除しました。\nプログラムのフォルダーとインストール情報は残っています"
    L"。";
constexpr wchar_t kMachineRefusedText[] =
    L"管理者として実行する許可が得られなかったため、プログラムのフォルダーとインストール情報は削除"
    L"しませんでした。\n"
    L"もう一度アンインストールを実行すると削除できます。";
constexpr wchar_t kMachineFailedText[] =
    L"プログラムのフォルダーとインストール情報を削除できませんでした。";
constexpr wchar_t kFinishText[] = L"終　了";
constexpr wchar_t kStillRunningText[] = L"マルコミ２を終了させてから再実行して下さい。";
constexpr wchar_t kIconName[] = L"uninstall";

HFONT g_font = nullptr;
const wchar_t* g_finished_text = kFinishedText;
int g_a = 8;  // layout unit: average character width
int g_l = 16; // layout unit: character height + external leading

// The controls of the page on show (null when it has none).
HWND g_text = nullptr;
HWND g_first_button = nullptr;
HWND g_second_button = nullptr;

void make_font(HWND hwnd) {
    // The units come from the window's own default font, not this one. The
    // program is DPI aware (its manifest), so nothing scales the page for
    // it: units and font both follow the screen's resolution.
    HDC dc = GetDC(hwnd);
    TEXTMETRICW tm{};
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc && GetTextMetricsW(dc, &tm)) {
        const UninstallUnits units =
            uninstall_units(tm.tmAveCharWidth, tm.tmHeight + tm.tmExternalLeading, dpi);
        g_a = units.a;
        g_l = units.l;
    }
    if (dc) ReleaseDC(hwnd, dc);
    if (!g_font) {
        g_font = CreateFontW(uninstall_font_height(dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                             FF_MODERN, L"ＭＳ Ｐゴシック");
    }
}

LRESULT OnBuildPage(HWND hwnd) {
    POINT at{0, 0};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(hwnd, &placement))
        at = POINT{placement.rcNormalPosition.left, placement.rcNormalPosition.top};
    else
        GetCursorPos(&at);
    const UninstallPageLayout layout = uninstall_page_layout(g_uninstall_page, g_a, g_l);
    MoveWindow(hwnd, at.x, at.y, layout.width, layout.height, TRUE);
    SetWindowTextW(hwnd, kTitle);
    EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);

    if (g_uninstall_page == kUninstallPageFinished) {
        g_text = create_child_control(hwnd, L"STATIC", g_finished_text, 0, layout.text, 0, g_font);
        g_first_button = create_child_control(hwnd, L"BUTTON", kFinishText, BS_PUSHBUTTON,
                                              layout.first_button, kUninstallIdFinish, g_font);
        g_second_button = nullptr;
        install_button_key_filter(g_first_button, hwnd, kUninstallIdFinish);
    } else {
        g_text = create_child_control(hwnd, L"STATIC", kConfirmText, 0, layout.text, 0, g_font);
        g_first_button = create_child_control(hwnd, L"BUTTON", kCancelText, BS_PUSHBUTTON,
                                              layout.first_button, kUninstallIdCancel, g_font);
        g_second_button = create_child_control(hwnd, L"BUTTON", kExecuteText, BS_PUSHBUTTON,
                                               layout.second_button, kUninstallIdExecute, g_font);
        // The window has no dialog manager: the two buttons pass the focus
        // between them and press themselves.
        install_button_key_filter(g_first_button, hwnd, kUninstallIdCancel, g_second_button);
        install_button_key_filter(g_second_button, hwnd, kUninstallIdExecute, g_first_button);
    }
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    SetWindowPos(hwnd, nullptr, (desktop.right - layout.width) / 2, (desktop.bottom - layout.height) / 2, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOW);
    if (g_first_button) SetFocus(g_first_button);
    return 0;
}

LRESULT OnRemovePage() {
    // Destroying a button puts its own procedure back.
    for (HWND* control : {&g_first_button, &g_second_button}) {
        if (*control) DestroyWindow(*control);
        *control = nullptr;
    }
    if (g_text) DestroyWindow(g_text);
    g_text = nullptr;
    return 0;
}

void execute(HWND hwnd) {
    if (stamp_program_running()) {
        uninstaller_message(kStillRunningText);
        PostQuitMessage(0);
        return;
    }
    // The user's own things first, as the user; then Program Files and
    // HKEY_LOCAL_MACHINE by an elevated run, which may be refused.
    remove_user_parts(g_installation);
    switch (remove_machine_parts_elevated(hwnd)) {
        case MachineRemoval::kDone:
            g_finished_text = kFinishedText;
            break;
        case MachineRemoval::kRefused:
            uninstaller_message(kMachineRefusedText);
            g_finished_text = kFinishedUserPartText;
            break;
        case MachineRemoval::kFailed:
            uninstaller_message(kMachineFailedText);
            g_finished_text = kFinishedUserPartText;
            break;
    }
    SendMessageW(hwnd, kMsgRemovePage, 0, 0);
    g_uninstall_page = kUninstallPageFinished;
    SendMessageW(hwnd, kMsgBuildPage, 0, 0);
}

LRESULT OnCommand(HWND hwnd, WPARAM wparam) {
    switch (LOWORD(wparam)) {
        case kUninstallIdCancel:
        case kUninstallIdFinish: PostQuitMessage(0); break;
        case kUninstallIdExecute: execute(hwnd); break;
        default: break;
    }
    return 0;
}

}  // namespace

int g_uninstall_page = kUninstallPageConfirm;

LRESULT CALLBACK UninstallWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE:
            make_font(hwnd);
            SendMessageW(hwnd, kMsgBuildPage, 0, 0);
            return 0;
        case kMsgBuildPage: return OnBuildPage(hwnd);
        case kMsgRemovePage: return OnRemovePage();
        case WM_COMMAND: return OnCommand(hwnd, wparam);
        case WM_CLOSE:
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        default: break;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

bool register_uninstall_window_class(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = UninstallWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, kIconName);
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kUninstallWindowClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND create_uninstall_window(HINSTANCE instance) {
    g_uninstall_page = kUninstallPageConfirm;
    HWND hwnd = CreateWindowExW(0, kUninstallWindowClass, L"", WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                                nullptr);
    if (hwnd) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        UpdateWindow(hwnd);
    }
    return hwnd;
}

int run_uninstall_window(HINSTANCE instance) {
    register_uninstall_window_class(instance);
    HWND hwnd = create_uninstall_window(instance);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
    if (g_font) DeleteObject(g_font);
    g_font = nullptr;
    return static_cast<int>(msg.wParam);
}

}  // namespace markomi
