#pragma once
// Opening the clipboard when another program may hold it for a moment.
#include <windows.h>

namespace markomi {

// Tries OpenClipboard a few times over about half a second: clipboard
// viewers and managers keep it open briefly after every change, and a stamp
// must not be lost to that. False when it stayed busy.
bool open_clipboard_patiently(HWND owner);

}  // namespace markomi
