#pragma once
// Starting, finding and ending copies of Markomi2.exe from a test program,
// and the user's files and windows they touch.
#include <windows.h>

#include <string>
#include <vector>

namespace markomi::testing {

struct Program {
    HANDLE process = nullptr;
    DWORD pid = 0;
};

// <local app data>\Markomi2, where the program keeps its files.
std::wstring settings_folder();
std::wstring settings_file();

// The programs under test: the build tree's, or the test bundle's
// (support/fixture_paths.h).
std::wstring markomi2_exe();
std::wstring uninstaller_exe();
std::wstring stamp_exe();

Program start_program();
// Any program, with its arguments after the quoted path.
Program start_process(const std::wstring& exe, const std::wstring& arguments = L"");
std::vector<HWND> main_windows();
DWORD owner_of(HWND window);
// Polls until the program's main window exists; null when it never came.
HWND wait_for_main_window(DWORD pid, int tries = 600);
bool has_exited(const Program& p, DWORD wait_ms, DWORD* code = nullptr);
// Ends every running copy the way the uninstaller does.
void end_all_copies();
// Ends this copy (WM_DESTROY to its main window, termination as a last resort).
void close_program(Program& p);

// A visible top-level window of `pid` with the class (and title, when given).
HWND find_program_window(DWORD pid, const wchar_t* class_name, const wchar_t* title = nullptr);
// Polls (pumping this thread's messages) until `find` gives a window.
template <typename Find>
HWND wait_for_window(Find find, int tries = 200) {
    for (int i = 0; i < tries; ++i) {
        if (HWND w = find()) return w;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(50);
    }
    return nullptr;
}
// Pumps this thread's messages for about `ms` milliseconds.
void pump_messages(DWORD ms);

// Writes an INI of the given [MARKOMI] lines (ASCII keys) as the settings file.
bool write_settings(const std::wstring& markomi_lines);

// Saves the screen inside `rect` as render-artifacts/<name>.png.
void save_screen_artifact(const RECT& rect, const std::wstring& name);

}  // namespace markomi::testing
