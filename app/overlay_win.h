#pragma once
// The target-picking overlay: a translucent layered window over the whole
// desktop (every monitor) that asks the user where to stamp.
#include <windows.h>

namespace markomi {

LRESULT CALLBACK OverlayWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// Creates the hidden overlay owned by `owner` (alpha 100 of 255).
HWND create_overlay_window(HWND owner);

}  // namespace markomi
