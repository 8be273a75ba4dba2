#pragma once
// Message boxes and dialogs placed over the window they belong to. Windows
// centres a message box on its monitor, not on its owner, so a box of a
// window at the screen's edge would open away from what it is about.
#include <windows.h>

namespace markomi {

// Centres `window` on its owner (or on the work area without one), kept
// within the owner's monitor.
void centre_on_owner(HWND window);

// MessageBoxW owned by and centred on `owner`.
int centred_message_box(HWND owner, const wchar_t* text, const wchar_t* title, UINT flags);

}  // namespace markomi
