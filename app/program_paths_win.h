#pragma once
// Start-up facts read from the system: registry values, screen DPI, the
// OS version and the program's two folders.
#include <windows.h>

#include <string>

namespace markomi {

// The installation's entry under HKEY_LOCAL_MACHINE, written by the installer.
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Markomi2";

// Reads a registry value as text. `root_name` is one of "HKEY_CLASSES_ROOT",
// "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
// "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA" (exact
// case); the key is opened for reading only, values over 128 bytes fail.
// True only when the key opened, the value was read and the key closed again.
bool read_registry_value(const wchar_t* root_name, const wchar_t* subkey, const wchar_t* value,
                         std::wstring* out);

int read_screen_dpi();
int query_os_version_code();

// Fills g_install_folder and g_settings_folder and creates the settings folder
// (none when the shell gives no local application-data folder: the settings
// folder then stays empty).
// The install folder is the uninstall entry's "Path" when that folder holds
// Markomi2.exe, else the folder of the running program.
void resolve_program_folders();

// Creates every missing directory along `path` (ending in a backslash).
bool create_directory_chain_on_disk(const wchar_t* path);

}  // namespace markomi
