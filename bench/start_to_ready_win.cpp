#include "start_to_ready_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "app/app_windows_win.h"
#include "bench_timing.h"
#include "ui/window_classes.h"

namespace markomi::bench {
namespace {

// How long a start may take before the bench gives up on it.
constexpr double kStartTimeoutMs = 30000;

std::wstring bench_folder() {
    wchar_t path[MAX_PATH] = L"";
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    const std::size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash);
}

bool file_exists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Where the stamp program keeps its settings (<local app data>\Markomi2).
std::wstring settings_folder() {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) ||
        !*path)
        return L"";
    return std::wstring(path) + L"\\Markomi2";
}

void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

bool write_text_file(const std::wstring& path, const char* text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(std::char_traits<char>::length(text));
    const bool ok = WriteFile(file, text, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

// The user's settings folder moved aside for the bench's own, and put back
// when this goes. Until then the folder stands under `kept_` (the bench says
// so first, in case it never gets to put it back).
class PrivateSettings {
public:
    explicit PrivateSettings(std::wstring folder) : folder_(std::move(folder)) {
        if (folder_.empty()) {
            problem_ = L"the local application-data folder is unknown";
            return;
        }
        kept_ = folder_ + L" (kept aside by markomi2_bench)";
        if (folder_exists(kept_) || file_exists(kept_)) {
            problem_ = L"\"" + kept_ + L"\" exists from an earlier run: move it back first";
            return;
        }
        if (folder_exists(folder_)) {
            std::wprintf(L"  (the settings folder stands as \"%ls\" while the program runs)\n",
                         kept_.c_str());
            std::fflush(stdout);
            if (!MoveFileW(folder_.c_str(), kept_.c_str())) {
                problem_ = L"the settings folder could not be moved aside";
                return;
            }
            moved_ = true;
        }
        created_ = CreateDirectoryW(folder_.c_str(), nullptr) != FALSE;
        if (!created_ ||
            !write_text_file(folder_ + L"\\Markomi2.ini", "[MARKOMI]\r\nSTATIONTYPE=1\r\n")) {
            problem_ = L"the bench's settings could not be written";
            return;
        }
        ready_ = true;
    }
    ~PrivateSettings() {
        if (created_) remove_tree(folder_);
        if (moved_ && !MoveFileW(kept_.c_str(), folder_.c_str()))
            std::wprintf(L"  could not put the settings folder back: it is \"%ls\"\n",
                         kept_.c_str());
    }
    PrivateSettings(const PrivateSettings&) = delete;
    PrivateSettings& operator=(const PrivateSettings&) = delete;

    bool ready() const { return ready_; }
    const std::wstring& problem() const { return problem_; }

private:
    std::wstring folder_, kept_, problem_;
    bool moved_ = false;
    bool created_ = false;
    bool ready_ = false;
};

struct Started {
    HANDLE process = nullptr;
    DWORD pid = 0;
};

Started start(const std::wstring& exe) {
    Started s;
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        s.process = info.hProcess;
        s.pid = info.dwProcessId;
    }
    return s;
}

HWND main_window_of(DWORD pid) {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, kMainWindowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}

// Modifying nothing (no flags) succeeds only for an icon that is there.
bool tray_icon_there(HWND main) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = main;
    data.uID = kTrayIconId;
    data.uFlags = 0;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// Milliseconds from start to the end of the bare program; < 0 on failure.
double bare_run(const std::wstring& exe) {
    const double begin = now_ms();
    Started s = start(exe);
    if (!s.process) return -1;
    const bool ended =
        WaitForSingleObject(s.process, static_cast<DWORD>(kStartTimeoutMs)) == WAIT_OBJECT_0;
    const double elapsed = now_ms() - begin;
    if (!ended) TerminateProcess(s.process, 1);
    CloseHandle(s.process);
    return ended ? elapsed : -1;
}

// Milliseconds from start to the stamp program's icon; < 0 on failure. The
// program is then ended as the uninstaller ends it (WM_DESTROY to its main
// window), and killed only when it does not go.
double ready_run(const std::wstring& exe) {
    const double begin = now_ms();
    Started s = start(exe);
    if (!s.process) return -1;
    HWND main = nullptr;
    double elapsed = -1;
    while (now_ms() - begin < kStartTimeoutMs) {
        if (!main) main = main_window_of(s.pid);
        if (main && tray_icon_there(main)) {
            elapsed = now_ms() - begin;
            break;
        }
        if (WaitForSingleObject(s.process, 1) == WAIT_OBJECT_0) break;  // ended early
    }
    if (!main) main = main_window_of(s.pid);
    if (main) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(main, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }
    if (WaitForSingleObject(s.process, 10000) != WAIT_OBJECT_0) TerminateProcess(s.process, 1);
    CloseHandle(s.process);
    return elapsed;
}

}  // namespace

StartToReady measure_start_to_ready(int runs) {
    StartToReady result;
    const std::wstring folder = bench_folder();
    const std::wstring stamp_program = folder + L"\\Markomi2.exe";
    const std::wstring bare_program = folder + L"\\markomi2_bare_window.exe";
    if (!file_exists(stamp_program) || !file_exists(bare_program)) {
        result.not_measured_because =
            L"Markomi2.exe or markomi2_bare_window.exe is not beside the bench";
        return result;
    }
    if (FindWindowW(kMainWindowClass, nullptr)) {
        result.not_measured_because = L"a copy of Markomi2 is running, and a new copy would end it";
        return result;
    }
    PrivateSettings settings(settings_folder());
    if (!settings.ready()) {
        result.not_measured_because = settings.problem();
        return result;
    }
    // Waits on Windows end in steps of 15.6 ms unless a program asks for
    // finer ones; the polling of the icon waits 1 ms at a time.
    timeBeginPeriod(1);
    std::vector<double> bare, ready;
    for (int i = 0; i <= runs; ++i) {
        const double b = bare_run(bare_program);
        const double r = ready_run(stamp_program);
        if (b < 0 || r < 0) {
            result.not_measured_because =
                b < 0 ? L"the bare program did not run" : L"the icon never came";
            break;
        }
        if (i == 0) continue;  // the first start of each loads what later ones find ready
        bare.push_back(b);
        ready.push_back(r);
    }
    timeEndPeriod(1);
    if (!result.not_measured_because.empty()) return result;
    result.measured = true;
    result.runs = runs;
    result.bare_ms = median(bare);
    result.ready_ms = median(ready);
    return result;
}

}  // namespace markomi::bench
