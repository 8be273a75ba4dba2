#pragma once
#include <windows.h>

namespace markomi {

// `path` names an existing file (a folder of that name does not count).
bool is_existing_file(const wchar_t* path);

}  // namespace markomi
