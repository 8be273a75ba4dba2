#pragma once
#include <windows.h>

namespace markomi {

// Opens "Markomi2.chm" of the install folder with HTML Help, loaded only
// when first needed. A missing help file, or help that cannot be shown,
// is told in a message box (owned by `caller` when it is visible); false then.
bool open_help(HWND caller);

}  // namespace markomi
