#include "base/module_path_win.h"

#include <windows.h>

namespace markomi {

std::wstring running_program_file() {
    wchar_t path[MAX_PATH + 1] = L"";
    // A path of exactly the buffer's size is cut: GetModuleFileNameW does
    // not say so on every system.
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return std::wstring();
    return std::wstring(path, n);
}

}  // namespace markomi
