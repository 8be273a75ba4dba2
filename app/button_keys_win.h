#pragma once
// Buttons of windows without a dialog manager handle their keys themselves:
// Enter and Space click, key-ups are swallowed, Tab is swallowed.
#include <windows.h>

namespace markomi {

// Subclasses `button` so that Enter or Space sends WM_COMMAND with
// `command_id` (BN_CLICKED) to `target`, as a click would. With a `partner`,
// Tab, Up and Down move the focus to it (a pair of buttons).
void install_button_key_filter(HWND button, HWND target, int command_id, HWND partner = nullptr);

}  // namespace markomi
