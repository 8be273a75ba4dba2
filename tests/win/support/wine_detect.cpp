#include "support/wine_detect.h"

#include <windows.h>

namespace markomi::testing {

bool running_under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace markomi::testing
