// TEMPORARY, for the tests of this branch only: the opening window calls
// shortcut_exists / delete_shortcut of app/shortcuts_win.cpp, which is
// written on another branch. This file stands in for those two functions
// (the shortcut file "マルコミ２.lnk" in the given shell folder) so the tests
// link. Remove it when app/shortcuts_win.cpp is merged.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/shortcuts_win.h"

namespace markomi {
namespace {

std::wstring shortcut_path(int csidl) {
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    return std::wstring(folder) + L"\\マルコミ２.lnk";
}

}  // namespace

bool shortcut_exists(int csidl) {
    const std::wstring path = shortcut_path(csidl);
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool delete_shortcut(int csidl) {
    const std::wstring path = shortcut_path(csidl);
    return !path.empty() && DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace markomi
