#pragma once
#include <windows.h>

namespace markomi {

// The stamp settings window, shown in the settings host window.
LRESULT CALLBACK StampSettingsWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

}  // namespace markomi
