#pragma once
// Putting the clipboard's impression into another program: a synthetic
// click at the target point followed by Ctrl+V.
#include <windows.h>

namespace markomi {

// Overlay click: waits 500 ms for the uncovered window to repaint, brings
// the window under the screen point (its top-level window) to the front and
// clicks and pastes. Nothing happens over the bare desktop.
void stamp_at_screen_point(POINT screen);

// Drag released over another window: `client` is in `source`'s client
// coordinates. Copies the active slot's impression and clicks and pastes,
// unless the point is over `source`, the settings host window or any
// window inside either.
void drop_paste(HWND source, POINT client);

// Hotkey: copies the active slot's impression and sends Ctrl+V to the
// window that has the focus, after giving `working` (the window that was in
// front when the hotkey was pressed; may be null) the foreground back.
void paste_into_focus(HWND working);

enum class MouseButton { kLeft, kRight };
// A click at a screen point of any monitor (the stamp is always placed with
// the left button).
void inject_click(POINT screen, MouseButton button = MouseButton::kLeft);
void inject_ctrl_v();

}  // namespace markomi
