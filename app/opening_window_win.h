#pragma once
// The two-second notice shown at a resident start, with its switch to
// normal mode.
#include <windows.h>

namespace markomi {

LRESULT CALLBACK OpeningWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// Creates the notice if it does not exist, and brings it to the top.
void open_opening_window(HWND owner);

}  // namespace markomi
