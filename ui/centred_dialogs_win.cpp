#include "ui/centred_dialogs_win.h"

#include <algorithm>

namespace markomi {
namespace {

// The box being opened by centred_message_box on this thread. A message box
// runs its own loop on the caller's thread, so a hook of this thread sees
// its activation; it goes as soon as the box is placed.
thread_local HHOOK t_hook = nullptr;
thread_local HWND t_owner = nullptr;

LRESULT CALLBACK place_on_activation(int code, WPARAM wparam, LPARAM lparam) {
    const HHOOK hook = t_hook;
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wparam);
        wchar_t cls[16] = L"";
        GetClassNameW(box, cls, 16);
        if (GetWindow(box, GW_OWNER) == t_owner && lstrcmpW(cls, L"#32770") == 0) {
            centre_on_owner(box);
            UnhookWindowsHookEx(hook);
            t_hook = nullptr;
        }
    }
    return CallNextHookEx(hook, code, wparam, lparam);
}

}  // namespace

void centre_on_owner(HWND window) {
    HWND owner = GetWindow(window, GW_OWNER);
    RECT self{}, around{};
    GetWindowRect(window, &self);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTONEAREST), &monitor);
    if (!owner || !IsWindowVisible(owner) || IsIconic(owner) || !GetWindowRect(owner, &around))
        around = monitor.rcWork;
    const int w = self.right - self.left, h = self.bottom - self.top;
    int x = (around.left + around.right - w) / 2, y = (around.top + around.bottom - h) / 2;
    x = std::max(static_cast<int>(monitor.rcWork.left),
                 std::min(x, static_cast<int>(monitor.rcWork.right) - w));
    y = std::max(static_cast<int>(monitor.rcWork.top),
                 std::min(y, static_cast<int>(monitor.rcWork.bottom) - h));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int centred_message_box(HWND owner, const wchar_t* text, const wchar_t* title, UINT flags) {
    // A box asked for while another is being opened keeps the system's place.
    const bool placing = owner && IsWindowVisible(owner) && !IsIconic(owner) && !t_hook;
    if (placing) {
        t_owner = owner;
        t_hook = SetWindowsHookExW(WH_CBT, place_on_activation, nullptr, GetCurrentThreadId());
    }
    const int answer = MessageBoxW(owner, text, title, flags);
    if (placing && t_hook) {
        UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
    return answer;
}

}  // namespace markomi
