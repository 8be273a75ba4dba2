#include "app/support/target_document.h"

#include <iterator>

#include "app/support/program_driver.h"

namespace markomi::testing {

TargetLog g_target_log;

namespace {

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            g_target_log.clicks.push_back(POINT{static_cast<short>(LOWORD(lparam)),
                                                static_cast<short>(HIWORD(lparam))});
            return 0;
        case WM_KEYDOWN:
            if (wparam == 'V' && GetKeyState(VK_CONTROL) < 0) {
                Paste paste;
                if (OpenClipboard(hwnd)) {
                    paste.metafile = IsClipboardFormatAvailable(CF_ENHMETAFILE) &&
                                     GetClipboardData(CF_ENHMETAFILE) != nullptr;
                    paste.bitmap = IsClipboardFormatAvailable(CF_BITMAP) &&
                                   GetClipboardData(CF_BITMAP) != nullptr;
                    CloseClipboard();
                }
                paste.clipboard_owner = GetClipboardOwner();
                g_target_log.pastes.push_back(paste);
            }
            return 0;
        default: return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

}  // namespace

HWND create_target(const RECT& r) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TargetProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = L"Markomi2TestDocument";
        registered = RegisterClassW(&wc) != 0;
    }
    HWND w = CreateWindowExW(0, L"Markomi2TestDocument", L"文書", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(w);
    SetForegroundWindow(w);
    pump_messages(200);
    return w;
}

void click_at(POINT screen, bool right) {
    SetCursorPos(screen.x, screen.y);
    mouse_event(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

void press_keys(std::initializer_list<BYTE> keys) {
    for (BYTE k : keys) keybd_event(k, static_cast<BYTE>(MapVirtualKeyW(k, MAPVK_VK_TO_VSC)), 0, 0);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
        keybd_event(*it, static_cast<BYTE>(MapVirtualKeyW(*it, MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP, 0);
}

UINT clipboard_format_now() {
    if (IsClipboardFormatAvailable(CF_ENHMETAFILE) && GetClipboardOwner() != nullptr &&
        !IsClipboardFormatAvailable(CF_UNICODETEXT))
        return CF_ENHMETAFILE;
    if (IsClipboardFormatAvailable(CF_BITMAP) && !IsClipboardFormatAvailable(CF_UNICODETEXT))
        return CF_BITMAP;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) return CF_UNICODETEXT;
    return 0;
}

}  // namespace markomi::testing
