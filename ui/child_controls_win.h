#pragma once
// Child controls of the program's windows that have no dialog template:
// placed by their layouts in client coordinates.
#include <windows.h>

#include "ui/window_layouts.h"

namespace markomi {

// A visible child of `parent` of `window_class` at `r`, with command id `id`
// and, when `font` is not null, that font.
HWND create_child_control(HWND parent, const wchar_t* window_class, const wchar_t* text, DWORD style,
                          const LayoutRect& r, int id, HFONT font);

}  // namespace markomi
