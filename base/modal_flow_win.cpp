#include "base/modal_flow_win.h"

namespace markomi {
namespace {

// Flows run on the thread that owns the program's windows.
bool g_flow_open = false;

// The topmost of this thread's dialogs that takes input: a question over a
// file dialog rather than the file dialog it disables.
BOOL CALLBACK find_open_dialog(HWND window, LPARAM found) {
    wchar_t name[8] = L"";
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) ||
        GetClassNameW(window, name, ARRAYSIZE(name)) == 0 || lstrcmpW(name, L"#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

ModalFlow::ModalFlow() {
    if (bring_open_flow_forward()) return;
    g_flow_open = true;
    entered_ = true;
}

ModalFlow::~ModalFlow() {
    if (entered_) g_flow_open = false;
}

bool bring_open_flow_forward() {
    if (!g_flow_open) return false;
    // Enumerated from the top of the z-order down.
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_open_dialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog) SetForegroundWindow(dialog);
    return true;
}

}  // namespace markomi
