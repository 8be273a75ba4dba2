#pragma once
#include <windows.h>

namespace markomi {

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// Registers the program's five window classes. False when one failed.
bool register_window_classes(HINSTANCE instance);

// Creates the hidden main window (it is never shown).
HWND create_main_window(HINSTANCE instance);

}  // namespace markomi
