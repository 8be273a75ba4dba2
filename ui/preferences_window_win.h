#pragma once
#include <windows.h>

namespace markomi {

// The preferences window, shown in the settings host window.
LRESULT CALLBACK PreferencesWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace markomi
