#pragma once
// The uninstaller's window: the confirmation page, then the finished page.
#include <windows.h>

namespace markomi {

constexpr wchar_t kUninstallWindowClass[] = L"uninstallMAIN";
constexpr UINT kMsgBuildPage = WM_USER + 1;
constexpr UINT kMsgRemovePage = WM_USER + 2;

// The page shown: 111 confirmation, 112 finished.
extern int g_uninstall_page;

bool register_uninstall_window_class(HINSTANCE instance);
// Creates and shows the window on the confirmation page.
HWND create_uninstall_window(HINSTANCE instance);
LRESULT CALLBACK UninstallWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// Registers the class, shows the window and runs the message loop until the
// window is gone; the quit code.
int run_uninstall_window(HINSTANCE instance);

}  // namespace markomi
