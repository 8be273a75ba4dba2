#pragma once
// The settings host window (class "MARKOMI2CHILD"): one window at a time,
// showing the stamp settings, the preferences or the about box, according
// to the command that opened it.
#include <windows.h>

namespace markomi {

LRESULT CALLBACK HostWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// Commands 111, 113 and 115: opens the host window for `command` unless one
// exists (whatever it shows), and brings it to the top.
void open_host_window(int command);

}  // namespace markomi
