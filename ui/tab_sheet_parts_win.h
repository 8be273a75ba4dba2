#pragma once
// The pieces of the stamp tab sheet kept apart from its window procedure:
// the keyboard of its controls, the font and colour choosers and the
// drag-out gesture.
#include <windows.h>

#include <array>

#include "settings/settings_record.h"

namespace markomi {

// ---- Keyboard (the sheet has no dialog manager) ----
// Tab, Down and Enter move on, Up moves back, Enter and Space press the
// push buttons; the input method opens in the text boxes and closes on the
// date picker.
void install_sheet_keys(HWND control);
void remove_sheet_keys(HWND control);

// ---- Choosers ----
// The platform's font dialog, titled `title`, started from `font`. On
// confirmation with a usable face the chosen font is stored and true comes
// back; a face that draws nothing is refused with a message.
bool choose_row_font(HWND owner, FontSpec& font, const wchar_t* title);
// The platform's colour dialog started from `colour`; the custom colours are
// edited in place.
bool choose_frame_colour(HWND owner, ColorRef& colour, std::array<ColorRef, 16>& custom);

// ---- Drag-out stamping ----
enum class SheetMouse { kMove, kLeftDown, kLeftUp, kRightDown, kRightUp };
void on_sheet_mouse(HWND sheet, SheetMouse event, LPARAM lparam);
// WM_SETCURSOR of the sheet: the hand over the preview, the arrow elsewhere.
bool on_sheet_set_cursor(HWND sheet, LPARAM lparam);
// The capture went elsewhere (another window took it): the drag is over.
void on_sheet_capture_lost(HWND sheet, HWND new_owner);
// The sheet is going: a drag in progress ends without stamping.
void end_sheet_drag(HWND sheet);

}  // namespace markomi
