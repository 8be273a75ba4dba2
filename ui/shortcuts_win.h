#pragma once
// The shortcuts "マルコミ２.lnk" on the desktop (CSIDL_DESKTOP) and in the
// startup folder (CSIDL_STARTUP), whose presence is the setting itself, and
// the 送る entry "マルコミ２で捺印.lnk" (CSIDL_SENDTO, the user's
// FOLDERID_SendTo).
#include <windows.h>

#include <string>

namespace markomi {

bool shortcut_exists(int csidl);
// True only when an existing shortcut was deleted.
bool delete_shortcut(int csidl);
// Creates or overwrites the shortcut to <install folder>\Markomi2.exe; the
// status of the last step performed.
HRESULT create_shortcut(int csidl);

// The same on an explicit link file, for callers (and tests) that know it.
// A special folder the shell cannot resolve, or a path longer than MAX_PATH
// allows, makes the csidl functions report false / a failure and touch nothing.
bool shortcut_file_exists(const wchar_t* link_path);
bool delete_shortcut_file(const wchar_t* link_path);
// Writes a shell link to <install_folder>\Markomi2.exe with its folder as the
// working directory; the status of the last step performed.
HRESULT create_shortcut_file(const wchar_t* link_path, const wchar_t* install_folder);

// The program a link file starts, as stored in it; false when it cannot be read.
bool shortcut_file_target(const wchar_t* link_path, std::wstring* target);

// The special folder's path, or the status that explains why there is none.
HRESULT special_folder_path(int csidl, std::wstring* out);

// "<special folder>\マルコミ２.lnk" ("マルコミ２で捺印.lnk" in SendTo); false when the folder cannot be resolved
// or the path would not fit.
bool shortcut_path_of(int csidl, std::wstring* out);

}  // namespace markomi
