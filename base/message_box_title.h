#pragma once
// The title of the program's message boxes, wherever in the program they are shown.

namespace markomi {

constexpr wchar_t kMessageBoxTitle[] = L"マルコミ２";

}  // namespace markomi
