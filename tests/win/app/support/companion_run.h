#pragma once
// Runs the console companion with its standard output and error read
// through pipes, as a script or a tester's console would.
#include <windows.h>

#include <string>

namespace markomi::testing {

struct CompanionRun {
    DWORD code = 9999;  // the exit code; 9999 when the program did not start
    std::string out;
    std::string err;
};

// `args` follow the program's quoted path; `folder` is its current folder
// (the test's own when null). With `output_closed` standard output is a pipe
// nobody reads any more.
CompanionRun run_companion(const std::wstring& args, const wchar_t* folder = nullptr,
                           bool output_closed = false);

}  // namespace markomi::testing
