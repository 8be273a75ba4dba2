#pragma once
// The stamping window 「PDFに捺印」: the documents to stamp, their pages drawn
// by the companion, and the stamp placed on them with the mouse or keys.
#include <windows.h>

#include <string>
#include <vector>

namespace markomi {

// Opens the window owned by `owner` (or none) with `documents`; with none,
// the open dialog asks for them first. A window already open takes the
// documents into its list and comes forward.
void open_stamping_window(HWND owner, const std::vector<std::wstring>& documents);

// The program's message loop hands each message here first: the window's
// dialog keys (Tab, Enter, Esc) and F1. True when it was taken.
bool is_stamping_window_message(MSG* msg);

}  // namespace markomi
