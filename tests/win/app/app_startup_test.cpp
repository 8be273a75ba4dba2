// Whole-program drives of Markomi2.exe: single instance, replacement of a
// running copy, the settings folder and files it reads and writes.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "support/test_files.h"

namespace {

namespace t = markomi::testing;

constexpr wchar_t kMainClass[] = L"MARKOMI2MAIN";

std::wstring settings_folder() {
    wchar_t buf[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buf);
    return std::wstring(buf) + L"\\Markomi2";
}

struct Program {
    HANDLE process = nullptr;
    DWORD pid = 0;
};

Program start_program() {
    Program p;
    std::wstring command = L"\"" MARKOMI2_EXE_PATH L"\"";
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

// Polls (without timing anything) until the program's main window exists.
HWND wait_for_main_window(DWORD pid, int tries = 600) {
    for (int i = 0; i < tries; ++i) {
        for (HWND w : main_windows())
            if (owner_of(w) == pid) return w;
        Sleep(50);
    }
    return nullptr;
}

bool has_exited(const Program& p, DWORD wait_ms, DWORD* code = nullptr) {
    if (WaitForSingleObject(p.process, wait_ms) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(p.process, code);
    return true;
}

// Ends every running copy the way the uninstaller does.
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

class AppStartup : public ::testing::Test {
protected:
    void SetUp() override {
        end_all_copies();
        t::remove_tree(settings_folder());
    }
    void TearDown() override {
        for (Program& p : programs_) close_program(p);
        end_all_copies();
        t::remove_tree(settings_folder());
    }
    Program& start() {
        programs_.push_back(start_program());
        return programs_.back();
    }
    std::vector<Program> programs_;
};

TEST_F(AppStartup, StartsHiddenAndWritesTheEnableFile) {
    CreateDirectoryW(settings_folder().c_str(), nullptr);
    std::wstring enable = settings_folder() + L"\\Markomi2_enable.ini";
    ASSERT_TRUE(t::write_bytes(enable, t::shift_jis(L"[ENABLE]\r\n部署=5\r\n日付=0\r\n")));

    Program& p = start();
    ASSERT_NE(p.process, nullptr);
    HWND w = wait_for_main_window(p.pid);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(t::read_bytes(enable),
              t::shift_jis(L"[ENABLE]\r\n部署=1\r\n日付=0\r\n名前=1\r\nフォーマット=1\r\n"));
    // Start-up alone never writes the settings file.
    EXPECT_FALSE(t::file_exists(settings_folder() + L"\\Markomi2.ini"));
}

TEST_F(AppStartup, ASecondStartReplacesTheRunningCopy) {
    Program& first = start();
    ASSERT_NE(wait_for_main_window(first.pid), nullptr);
    Program& second = start();
    ASSERT_NE(wait_for_main_window(second.pid), nullptr);
    DWORD code = 1234;
    EXPECT_TRUE(has_exited(programs_[0], 10000, &code));
    EXPECT_EQ(code, 0u);
    std::vector<HWND> windows = main_windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(owner_of(windows[0]), programs_[1].pid);
}

TEST_F(AppStartup, TwoCopiesStartedTogetherLeaveExactlyOne) {
    for (int round = 0; round < 3; ++round) {
        Program a = start_program();
        Program b = start_program();
        ASSERT_NE(a.process, nullptr);
        ASSERT_NE(b.process, nullptr);
        // Whichever wins, one window comes up and the other copy ends with 0.
        HANDLE both[2] = {a.process, b.process};
        DWORD first_done = WaitForMultipleObjects(2, both, FALSE, 15000);
        ASSERT_TRUE(first_done == WAIT_OBJECT_0 || first_done == WAIT_OBJECT_0 + 1);
        Program& gone = first_done == WAIT_OBJECT_0 ? a : b;
        Program& alive = first_done == WAIT_OBJECT_0 ? b : a;
        DWORD code = 1234;
        GetExitCodeProcess(gone.process, &code);
        EXPECT_EQ(code, 0u);
        ASSERT_NE(wait_for_main_window(alive.pid), nullptr);
        EXPECT_FALSE(has_exited(alive, 300));
        EXPECT_EQ(main_windows().size(), 1u);
        close_program(a);
        close_program(b);
    }
}

TEST_F(AppStartup, AFileWhereTheSettingsFolderBelongsIsSurvived) {
    std::wstring blocker = settings_folder();
    ASSERT_TRUE(t::write_bytes(blocker, {'x', 'y'}));
    Program& p = start();
    HWND w = wait_for_main_window(p.pid);
    ASSERT_NE(w, nullptr);
    // Asking it to save (as Windows does at log-off) fails quietly.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_EQ(t::read_bytes(blocker), (std::vector<unsigned char>{'x', 'y'}));
    EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr);  // no message box
    EXPECT_FALSE(has_exited(p, 100));
}

TEST_F(AppStartup, SettingsReadAtStartAreWrittenBackAtSessionEnd) {
    CreateDirectoryW(settings_folder().c_str(), nullptr);
    std::wstring ini = settings_folder() + L"\\Markomi2.ini";
    ASSERT_TRUE(t::write_bytes(ini, t::shift_jis(L"[MARKOMI]\r\nBUSHO=経理部\r\nNAME=高橋\r\n"
                                                 L"ACTIVE=3\r\nWAKU4_HANKEI=60\r\n")));
    Program& p = start();
    HWND w = wait_for_main_window(p.pid);
    ASSERT_NE(w, nullptr);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));

    std::vector<std::wstring> lines = t::split_lines(t::utf16_file_text(ini));
    auto has = [&](const wchar_t* line) {
        for (const auto& l : lines)
            if (l == line) return true;
        return false;
    };
    EXPECT_TRUE(has(L"BUSHO=経理部"));
    EXPECT_TRUE(has(L"NAME=高橋"));
    EXPECT_TRUE(has(L"ACTIVE=3"));
    EXPECT_TRUE(has(L"WAKU4_HANKEI=60"));
    EXPECT_TRUE(has(L"CHARSET=unicode"));
}

}  // namespace

namespace {

TEST_F(AppStartup, HiddenSwitchLogsTheCacheStatisticsAtExit) {
    SetEnvironmentVariableW(L"MARKOMI2_DEBUG_LOG", L"1");
    Program& p = start();
    SetEnvironmentVariableW(L"MARKOMI2_DEBUG_LOG", nullptr);
    HWND w = wait_for_main_window(p.pid);
    ASSERT_NE(w, nullptr);
    DWORD_PTR result;
    SendMessageTimeoutW(w, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    ASSERT_TRUE(has_exited(p, 10000));

    std::wstring log = t::utf16_file_text(settings_folder() + L"\\debug.log");
    EXPECT_NE(log.find(L"dc_info_plus アクセス数 = "), std::wstring::npos);
    EXPECT_NE(log.find(L"dc_info_plus 登録数 = "), std::wstring::npos);
    EXPECT_NE(log.find(L"dc_info_plus ヒット数 = "), std::wstring::npos);
    EXPECT_NE(log.find(L"dc_info_plus ヒット率 = "), std::wstring::npos);
}

TEST_F(AppStartup, WithoutTheSwitchNoLogIsWritten) {
    SetEnvironmentVariableW(L"MARKOMI2_DEBUG_LOG", nullptr);
    Program& p = start();
    HWND w = wait_for_main_window(p.pid);
    ASSERT_NE(w, nullptr);
    DWORD_PTR result;
    SendMessageTimeoutW(w, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    ASSERT_TRUE(has_exited(p, 10000));
    EXPECT_FALSE(t::file_exists(settings_folder() + L"\\debug.log"));
}

}  // namespace
