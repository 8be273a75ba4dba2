#pragma once
// The stamp tab sheet: the working area of the stamp settings window, with
// the live preview of the active slot on the left and the controls that
// edit it on the right.
#include <windows.h>

namespace markomi {

LRESULT CALLBACK TabSheetWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// Fills every control from the active slot and the shared texts and redraws
// the preview (after the active slot changed).
void refresh_tab_sheet(HWND sheet);

}  // namespace markomi
