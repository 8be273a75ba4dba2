#include "app/input_injection_win.h"

#include "app/app_windows_win.h"
#include "app/screen_mapping.h"
#include "base/message_wait_win.h"

namespace markomi {

namespace {

// The whole desktop over all monitors: absolute input is mapped over it
// (MOUSEEVENTF_VIRTUALDESK), so a point on any monitor can be clicked.
ScreenArea virtual_desktop() {
    return ScreenArea{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// `window` itself or a window inside it.
bool is_within(HWND window, HWND container) {
    return container && (window == container || IsChild(container, window));
}

// The window under a screen point that can take a paste: none over the bare
// desktop (the desktop window is no document, and Wine even lets it be
// brought to the foreground).
HWND paste_target_at(POINT screen) {
    HWND window = WindowFromPoint(screen);
    if (!window || window == GetDesktopWindow()) return nullptr;
    return window;
}

// The point usually lies on a child window (an edit box, a document pane);
// only top-level windows can become the foreground window (Wine refuses a
// child outright), and the injected click then activates the child itself.
bool bring_target_to_front(HWND target) {
    HWND root = GetAncestor(target, GA_ROOT);
    return bring_to_front(root ? root : target);
}

INPUT key_input(WORD virtual_key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    // Programs that read the scan code rather than the virtual key (some
    // remote-desktop clients and games do) see a real key this way.
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

// The events go out with one SendInput call each: the system inserts them
// as one uninterrupted sequence, so the user's own mouse or keyboard cannot
// slip in between the move and the button, or between Ctrl and V.
void inject_click(POINT screen, MouseButton button) {
    AbsolutePoint absolute = absolute_mouse_point(screen.x, screen.y, virtual_desktop());
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    inputs[0].mi.dx = static_cast<LONG>(absolute.x);
    inputs[0].mi.dy = static_cast<LONG>(absolute.y);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    const bool right = button == MouseButton::kRight;
    inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

void inject_ctrl_v() {
    INPUT inputs[4] = {key_input(VK_CONTROL, false), key_input('V', false), key_input('V', true),
                       key_input(VK_CONTROL, true)};
    SendInput(4, inputs, sizeof(INPUT));
}

void stamp_at_screen_point(POINT screen) {
    // The overlay is hidden already; the pause lets the window under it
    // repaint (and may see it close: the point then finds another window).
    // Meanwhile a clipboard viewer may read the stamp's offered formats.
    wait_answering_sent_messages(nullptr, 500);
    HWND target = paste_target_at(screen);
    if (!target) return;
    if (!bring_target_to_front(target)) return;
    inject_click(screen);
    inject_ctrl_v();
}

void drop_paste(HWND source, POINT client) {
    POINT screen = client;
    if (!source || !ClientToScreen(source, &screen)) return;
    HWND target = paste_target_at(screen);
    if (!target) return;
    // A drop back onto the program's own settings windows (the tab sheet,
    // its controls, the host window around it) is no stamp.
    if (is_within(target, source) || is_within(target, GetAncestor(source, GA_ROOT)) ||
        is_within(target, g_host_window))
        return;
    if (!bring_target_to_front(target)) return;
    if (!copy_active_stamp()) return;
    inject_click(screen);
    inject_ctrl_v();
}

void paste_into_focus(HWND working) {
    if (!copy_active_stamp()) return;
    // After the confirmation box the system need not hand the foreground
    // back to the window the user was in (under Wine it does not); the
    // paste must land there, not wherever the activation went.
    if (working && IsWindow(working)) bring_to_front(working);
    inject_ctrl_v();
}

}  // namespace markomi
