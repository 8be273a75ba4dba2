#pragma once
// Process-wide facts set once at start-up and read by every other part.
#include <windows.h>

namespace markomi {

extern HINSTANCE g_instance;
extern int g_startup_dpi;          // screen DPI at start-up; never changes
extern int g_current_dpi;          // replaced when the monitor resolution changes
extern int g_os_version_code;      // 10 on Windows 10 and 11
extern wchar_t g_install_folder[261];   // no trailing backslash
extern wchar_t g_settings_folder[261];  // <local app data>\Markomi2
extern ULONG_PTR g_gdiplus_token;

}  // namespace markomi
