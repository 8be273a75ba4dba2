#pragma once
// The version information window, shown in the settings host window.
#include <windows.h>

namespace markomi {

// Receives the host window's messages while it shows the about box.
LRESULT CALLBACK AboutWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace markomi
