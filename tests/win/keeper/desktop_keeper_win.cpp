// Keeps Wine's desktop process alive for a whole test run.
//
// Wine closes its desktop process a second after the last program using the
// desktop ends, and the next program starts it again. The new desktop process
// inherits that program's standard error, which under ctest is the test's
// output pipe: ctest then waits for the pipe until the desktop goes away,
// long after the test itself has ended. This program, started detached with
// its output on /dev/null, uses the desktop first and never lets go of it.
//
//   markomi2_desktop_keeper.exe READY_FILE
//
// Writes READY_FILE once the desktop is up (also when another copy already
// keeps it) and then waits until the wineserver ends it.
#include <windows.h>

namespace {

bool touch(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 2) return 2;
    HANDLE single = CreateMutexW(nullptr, FALSE, L"Markomi2TestDesktopKeeper");
    const bool another = single && GetLastError() == ERROR_ALREADY_EXISTS;
    // GetDesktopWindow starts the desktop process when there is none and
    // returns once its window exists.
    if (!GetDesktopWindow()) return 1;
    if (!touch(argv[1])) return 1;
    if (another) return 0;
    // A message-only window keeps this thread a user of the desktop without
    // showing anything or appearing in window enumerations.
    HWND anchor = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (anchor) DestroyWindow(anchor);
    return 0;
}
