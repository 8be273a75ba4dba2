#pragma once
// Text on the clipboard, as the tests put it there to see whether a stamp
// replaced it.
#include <string>

namespace markomi::testing {

// Replaces the clipboard's contents by `text`; false when the clipboard
// could not be opened.
bool put_text_on_clipboard(const wchar_t* text);
// The clipboard's text, or "" when it holds none.
std::wstring clipboard_text();

}  // namespace markomi::testing
