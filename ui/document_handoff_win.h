#pragma once
// Documents reaching the program from outside: its command line, a copy of
// it started with documents (WM_COPYDATA), and files dropped on its windows.
#include <windows.h>

#include <string>
#include <vector>

namespace markomi {

// The existing PDF files named on this process's command line.
std::vector<std::wstring> documents_on_command_line();

// Hands `documents` to the running copy whose main window is `running`.
// True when it took them (it then opens the stamping window with them).
bool hand_documents_to(HWND running, const std::vector<std::wstring>& documents);

// The documents of a WM_COPYDATA block; false when it is not ours or not
// well-formed (nothing is taken then).
bool take_handed_documents(const COPYDATASTRUCT* data, std::vector<std::wstring>* documents);

// The PDF files of a drop (other files are left out); the drop is finished
// here, so `drop` is gone after the call.
std::vector<std::wstring> take_dropped_documents(HDROP drop);

// A window's WM_DROPFILES: the PDFs open in the stamping window owned by
// `window`; a drop without any PDF is told briefly.
void open_dropped_documents(HWND window, HDROP drop);

}  // namespace markomi
