#include "app/support/program_driver.h"

#include <shlobj.h>

#include "support/fixture_paths.h"
#include "support/golden.h"
#include "support/test_files.h"

namespace markomi::testing {

namespace {
constexpr wchar_t kMainClass[] = L"MARKOMI2MAIN";
}

std::wstring settings_folder() {
    wchar_t buf[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buf);
    return std::wstring(buf) + L"\\Markomi2";
}

std::wstring settings_file() { return settings_folder() + L"\\Markomi2.ini"; }

std::wstring markomi2_exe() { return fixture_path(MARKOMI2_EXE_PATH, L"Markomi2.exe"); }
std::wstring uninstaller_exe() {
    return fixture_path(MARKOMI2_UNINSTALLER_EXE_PATH, L"Markomi2_Uninstaller.exe");
}
std::wstring stamp_exe() { return fixture_path(MARKOMI2_STAMP_EXE_PATH, L"Markomi2Stamp.exe"); }

Program start_program() { return start_process(markomi2_exe()); }

Program start_process(const std::wstring& exe, const std::wstring& arguments) {
    Program p;
    std::wstring command = L"\"" + exe + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        p.process = pi.hProcess;
        p.pid = pi.dwProcessId;
    }
    return p;
}

std::vector<HWND> main_windows() {
    std::vector<HWND> found;
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, kMainClass, nullptr)) != nullptr) found.push_back(w);
    return found;
}

DWORD owner_of(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid;
}

HWND wait_for_main_window(DWORD pid, int tries) {
    for (int i = 0; i < tries; ++i) {
        for (HWND w : main_windows())
            if (owner_of(w) == pid) return w;
        Sleep(50);
    }
    return nullptr;
}

bool has_exited(const Program& p, DWORD wait_ms, DWORD* code) {
    if (WaitForSingleObject(p.process, wait_ms) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(p.process, code);
    return true;
}

void end_all_copies() {
    for (int round = 0; round < 50; ++round) {
        std::vector<HWND> windows = main_windows();
        if (windows.empty()) return;
        for (HWND w : windows) {
            DWORD_PTR result;
            SendMessageTimeoutW(w, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        }
        Sleep(100);
    }
}

void close_program(Program& p) {
    if (!p.process) return;
    if (HWND w = wait_for_main_window(p.pid, 1)) {
        DWORD_PTR result;
        SendMessageTimeoutW(w, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }
    if (!has_exited(p, 10000)) TerminateProcess(p.process, 1);
    CloseHandle(p.process);
    p.process = nullptr;
}

HWND find_program_window(DWORD pid, const wchar_t* class_name, const wchar_t* title) {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, class_name, title)) != nullptr)
        if (owner_of(w) == pid && IsWindowVisible(w)) return w;
    return nullptr;
}

void pump_messages(DWORD ms) {
    const DWORD step = 20;
    for (DWORD waited = 0; waited < ms; waited += step) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(step);
    }
}

bool write_settings(const std::wstring& markomi_lines) {
    CreateDirectoryW(settings_folder().c_str(), nullptr);
    return write_bytes(settings_file(), shift_jis(L"[MARKOMI]\r\n" + markomi_lines));
}

void save_screen_artifact(const RECT& rect, const std::wstring& name) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    save_bitmap_artifact(bitmap, name);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace markomi::testing
