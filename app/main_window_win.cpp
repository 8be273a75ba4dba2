#include "app/main_window_win.h"

#include "app/window_classes.h"
#include "dates/era_registry_win.h"
#include "render/surfaces_gdiplus.h"
#include "settings/settings_files_win.h"

namespace markomi {
namespace {

LRESULT OnCreate(HWND) { return 0; }

LRESULT OnDestroy(HWND) {
    release_surfaces();
    free_era_table();
    PostQuitMessage(0);
    return 0;
}

// Windows is ending the session: what the user set must reach the disk first.
LRESULT OnQueryEndSession(HWND) {
    save_settings();
    return TRUE;
}

// Windows of classes whose behaviour is not in place yet answer with the
// default procedure.
LRESULT CALLBACK PlainWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

bool register_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HCURSOR cursor,
                    HBRUSH background) {
    HICON icon = LoadIconW(instance, L"MARKOMI");
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

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_CREATE: return OnCreate(hwnd);
        case WM_DESTROY: return OnDestroy(hwnd);
        case WM_QUERYENDSESSION: return OnQueryEndSession(hwnd);
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

bool register_window_classes(HINSTANCE instance) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR hand = LoadCursorW(instance, L"MY_HAND");
    HBRUSH face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    bool ok = register_class(instance, kMainWindowClass, MainWndProc, arrow, face);
    ok &= register_class(instance, kHostWindowClass, PlainWndProc, arrow, face);
    ok &= register_class(instance, kTabSheetWindowClass, PlainWndProc, arrow, face);
    ok &= register_class(instance, kOverlayWindowClass, PlainWndProc, hand ? hand : arrow, white);
    ok &= register_class(instance, kOpeningWindowClass, PlainWndProc, arrow, white);
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
