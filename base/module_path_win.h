#pragma once
// Where the running program's own file is.
#include <string>

namespace markomi {

// The full path of the running program's file; empty when the system gives
// none or it does not fit in MAX_PATH.
std::wstring running_program_file();

}  // namespace markomi
