#pragma once
// The shortcuts "マルコミ２.lnk" on the desktop (CSIDL_DESKTOP) and in the
// startup folder (CSIDL_STARTUP). Their presence is the setting itself.
#include <windows.h>

namespace markomi {

bool shortcut_exists(int csidl);
// True only when an existing shortcut was deleted.
bool delete_shortcut(int csidl);
// Creates or overwrites the shortcut to <install folder>\Markomi2.exe; the
// status of the last step performed.
HRESULT create_shortcut(int csidl);

}  // namespace markomi
