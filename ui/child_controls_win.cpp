#include "ui/child_controls_win.h"

namespace markomi {

HWND create_child_control(HWND parent, const wchar_t* window_class, const wchar_t* text, DWORD style,
                          const LayoutRect& r, int id, HFONT font) {
    // The parent's module: the uninstaller shares this without the
    // program's process globals.
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND control = CreateWindowExW(0, window_class, text, WS_CHILD | WS_VISIBLE | style, r.x, r.y,
                                   r.width, r.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

}  // namespace markomi
