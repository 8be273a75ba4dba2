#pragma once
#include <windows.h>

namespace markomi {

// The whole life of the program: start-up, message loop, shutdown. Returns
// 0 when it gives way to another start-up or to a copy that would not quit,
// otherwise the quit code.
int run_markomi2(HINSTANCE instance);

}  // namespace markomi
