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

// Replaces the open host window by one built for `dpi` at `at` (screen
// coordinates, the rectangle the system suggested), unless it was built for
// that DPI already.
void rebuild_host_window(int dpi, const RECT& at);
// While a rebuilt host window is being created: the corner it opens at, in
// either mode. False otherwise.
bool host_rebuild_corner(POINT* corner);
// True while the host window is destroyed for a rebuild and its replacement
// created: what was typed into the old window and not yet applied is to be
// handed over to the new one.
bool host_window_rebuilding();
// The DPI the open host window was built for; 0 when none is open.
int host_window_dpi();

}  // namespace markomi
