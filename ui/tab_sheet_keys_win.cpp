// The keyboard of the tab sheet's controls. The sheet is a plain window, not
// a dialog, so each control moves the focus and presses itself.
#include <windows.h>
#include <imm.h>

#include <commctrl.h>

#include "settings/settings_record.h"
#include "ui/button_keys_win.h"
#include "ui/tab_sheet_parts_win.h"
#include "ui/tab_sheet_rules.h"

namespace markomi {
namespace {

constexpr UINT_PTR kKeysSubclassId = 2;

bool can_take_focus(HWND control) {
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

// Moves to the next control of the ring that can take the focus (a text box
// or the date picker may be switched off).
void move_focus(HWND control, bool forward) {
    HWND sheet = GetParent(control);
    const bool first_slot = !division_row_shown(g_settings.global.active);
    const int next = next_sheet_focus(GetDlgCtrlID(control), forward, first_slot,
                                      [sheet](int id) { return can_take_focus(GetDlgItem(sheet, id)); });
    HWND target = next ? GetDlgItem(sheet, next) : nullptr;
    if (!target) return;
    SetFocus(target);
    if (selects_all_on_arrival(next)) SendMessageW(target, EM_SETSEL, 0, -1);
}

void press(HWND control, int id) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

// Japanese input on in the text boxes, off on the date picker.
void set_input_method(HWND control, bool open) {
    HIMC context = ImmGetContext(control);
    if (!context) return;
    ImmSetOpenStatus(context, open ? TRUE : FALSE);
    ImmReleaseContext(control, context);
}

LRESULT CALLBACK SheetKeysProc(HWND control, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                               DWORD_PTR) {
    const int id = GetDlgCtrlID(control);
    // Esc and Ctrl+Tab are the settings window's, whichever control has the focus.
    if (forward_window_key(control, msg, wparam, lparam, WindowKeys::kEscapeAndTabSwitch)) return 0;
    switch (msg) {
        case WM_KEYDOWN:
            if (wparam == VK_TAB || wparam == VK_DOWN || (wparam == VK_RETURN && enter_moves_on(id))) {
                move_focus(control, true);
                return 0;
            }
            if (wparam == VK_UP) {
                move_focus(control, false);
                return 0;
            }
            // A button's own key-down would push it and click on key-up;
            // it is pressed through the character instead, exactly once.
            if ((wparam == VK_SPACE || wparam == VK_RETURN) && is_sheet_push_button(id)) return 0;
            break;
        case WM_KEYUP:
            return 0;
        case WM_CHAR:
            if (wparam == L'\t') return 0;
            if ((wparam == L'\r' || wparam == L' ') && is_sheet_push_button(id)) {
                press(control, id);
                return 0;
            }
            // A single-line box would beep at Enter, which has moved on.
            if (wparam == L'\r') return 0;
            break;
        case WM_SETFOCUS:
            if (id == kSheetIdDatePicker) set_input_method(control, false);
            if (id == kSheetIdBusho || id == kSheetIdName) set_input_method(control, true);
            break;
        default: break;
    }
    return DefSubclassProc(control, msg, wparam, lparam);
}

}  // namespace

void install_sheet_keys(HWND control) { SetWindowSubclass(control, SheetKeysProc, kKeysSubclassId, 0); }

void remove_sheet_keys(HWND control) { RemoveWindowSubclass(control, SheetKeysProc, kKeysSubclassId); }

}  // namespace markomi
