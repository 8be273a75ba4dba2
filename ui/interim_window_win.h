#pragma once
// A plain host-window face used by the settings windows that are not built
// yet: a title, one line of text and the host window's close rule.
#include <windows.h>

namespace markomi {

LRESULT interim_host_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam,
                                 const wchar_t* title);

}  // namespace markomi
