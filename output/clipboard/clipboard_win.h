#pragma once
// Opening the clipboard when another program may hold it for a moment.
#include <windows.h>

namespace markomi {

// How a copy of the stamp to the clipboard ended. A busy clipboard and a
// stamp that could not be drawn call for different advice to the user.
enum class ClipboardCopy {
    kPlaced,
    kClipboardBusy,  // another program kept the clipboard open
    kNotRendered,    // no picture was made; the clipboard was not touched
};

// Tries OpenClipboard a few times over about half a second: clipboard
// viewers and managers keep it open briefly after every change, and a stamp
// must not be lost to that. Messages other programs send meanwhile are
// answered (base/message_wait_win.h). False when it stayed busy.
bool open_clipboard_patiently(HWND owner);

}  // namespace markomi
