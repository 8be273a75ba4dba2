#pragma once
#include <windows.h>

namespace markomi {

// Opens "Markomi2.chm" of the install folder with HTML Help, loaded only
// when first needed. A missing help file or help component shows nothing.
void open_help(HWND caller);

}  // namespace markomi
