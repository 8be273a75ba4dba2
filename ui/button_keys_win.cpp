#include "ui/button_keys_win.h"

#include <new>

namespace markomi {
namespace {

// Each filtered button carries its filter in a window property; the
// previous procedure is what every unfiltered message goes to.
constexpr wchar_t kFilterProperty[] = L"Markomi2.ButtonKeyFilter";

struct ButtonKeyFilter {
    WNDPROC previous = nullptr;
    HWND target = nullptr;
    int command_id = 0;
    HWND partner = nullptr;
};

LRESULT CALLBACK ButtonKeyFilterProc(HWND button, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* filter = static_cast<ButtonKeyFilter*>(GetPropW(button, kFilterProperty));
    if (!filter) return DefWindowProcW(button, msg, wparam, lparam);
    const WNDPROC previous = filter->previous;
    // Esc closes the window (which may destroy this button: nothing of the
    // filter is used after it).
    if (forward_window_key(button, msg, wparam, lparam, WindowKeys::kEscape)) return 0;
    switch (msg) {
        case WM_KEYDOWN:
            if (filter->partner && (wparam == VK_TAB || wparam == VK_UP || wparam == VK_DOWN)) {
                SetFocus(filter->partner);
                return 0;
            }
            // The button would press itself on Space and click on its key-up;
            // the click comes from WM_CHAR instead, once.
            if (wparam == VK_SPACE) return 0;
            break;
        case WM_KEYUP:
            return 0;
        case WM_CHAR:
            if (wparam == L'\t') return 0;
            if (wparam == L'\r' || wparam == L' ') {
                SendMessageW(filter->target, WM_COMMAND,
                             MAKEWPARAM(static_cast<WORD>(filter->command_id), BN_CLICKED),
                             reinterpret_cast<LPARAM>(button));
                return 0;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            RemovePropW(button, kFilterProperty);
            delete filter;
            break;
    }
    return CallWindowProcW(previous, button, msg, wparam, lparam);
}

}  // namespace

bool forward_window_key(HWND control, UINT msg, WPARAM wparam, LPARAM lparam, WindowKeys keys) {
    if (msg == WM_CHAR) return wparam == 0x1B;  // Esc's character
    if (msg != WM_KEYDOWN) return false;
    const bool tab_switch = keys == WindowKeys::kEscapeAndTabSwitch && wparam == VK_TAB &&
                            GetKeyState(VK_CONTROL) < 0;
    if (wparam != VK_ESCAPE && !tab_switch) return false;
    SendMessageW(GetAncestor(control, GA_ROOT), WM_KEYDOWN, wparam, lparam);
    return true;
}

void install_button_key_filter(HWND button, HWND target, int command_id, HWND partner) {
    if (!button || GetPropW(button, kFilterProperty)) return;
    auto* filter = new (std::nothrow) ButtonKeyFilter{nullptr, target, command_id, partner};
    if (!filter) return;
    if (!SetPropW(button, kFilterProperty, filter)) {
        delete filter;
        return;
    }
    filter->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonKeyFilterProc)));
    if (!filter->previous) {
        RemovePropW(button, kFilterProperty);
        delete filter;
    }
}

}  // namespace markomi
