#pragma once
// Buttons of windows without a dialog manager handle their keys themselves:
// Enter and Space click, key-ups are swallowed, Tab is swallowed.
#include <windows.h>

namespace markomi {

// Keys that belong to the window rather than to the focused control.
enum class WindowKeys {
    kEscape,               // Esc
    kEscapeAndTabSwitch,   // Esc, and Tab while Ctrl is held (next/previous tab)
};

// For the key filters of controls in windows without a dialog manager:
// sends those keys' key-down on to the control's top-level window, which
// acts on them, and swallows the character of Esc (a text box would beep).
// True when the message was taken so; the filter then returns 0.
bool forward_window_key(HWND control, UINT msg, WPARAM wparam, LPARAM lparam, WindowKeys keys);

// Subclasses `button` so that Enter or Space sends WM_COMMAND with
// `command_id` (BN_CLICKED) to `target`, as a click would. With a `partner`,
// Tab, Up and Down move the focus to it (a pair of buttons).
void install_button_key_filter(HWND button, HWND target, int command_id, HWND partner = nullptr);

}  // namespace markomi
