#include "base/process_globals_win.h"

namespace markomi {

HINSTANCE g_instance = nullptr;
int g_startup_dpi = 96;
int g_current_dpi = 96;
int g_os_version_code = 0;
wchar_t g_install_folder[261] = L"";
wchar_t g_settings_folder[261] = L"";
ULONG_PTR g_gdiplus_token = 0;

}  // namespace markomi
