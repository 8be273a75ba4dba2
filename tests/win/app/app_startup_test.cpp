// Whole-program drives of Markomi2.exe: single instance, replacement of a
// running copy, the settings folder and files it reads and writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/support/program_driver.h"
#include "support/test_files.h"

namespace {

namespace t = markomi::testing;
using t::Program;
using t::close_program;
using t::end_all_copies;
using t::has_exited;
using t::main_windows;
using t::owner_of;
using t::settings_folder;
using t::start_program;
using t::wait_for_main_window;

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

TEST_F(AppStartup, AFileWhereTheSettingsFolderBelongsIsSurvivedQuietlyAtTheEnd) {
    std::wstring blocker = settings_folder();
    ASSERT_TRUE(t::write_bytes(blocker, {'x', 'y'}));
    Program& p = start();
    HWND w = wait_for_main_window(p.pid);
    ASSERT_NE(w, nullptr);
    // The stamp settings window saves as it goes, and here that fails.
    PostMessageW(w, WM_COMMAND, MAKEWPARAM(111, 0), 0);
    HWND settings = nullptr;
    for (int i = 0; i < 250 && !settings; ++i, Sleep(20))
        settings = t::find_program_window(p.pid, L"MARKOMI2CHILD", nullptr);
    ASSERT_NE(settings, nullptr);
    // Neither the end of the session nor an end that another process asks
    // for (a new copy, the uninstaller) may wait for the user: a box would
    // hold up the logoff, or outlast the other process's wait. A second
    // thread answers each box it sees.
    std::atomic<int> boxes{0};
    std::atomic<bool> done{false};
    std::thread answerer([&] {
        for (int i = 0; i < 1500 && !done; ++i) {
            HWND box = t::find_program_window(p.pid, L"#32770", L"マルコミ２");
            if (!box) {
                Sleep(20);
                continue;
            }
            ++boxes;
            Sleep(100);  // let it finish building its controls
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            for (int k = 0; k < 200 && IsWindow(box); ++k) Sleep(20);
        }
    });
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 20000, &answer);
    Sleep(300);
    const int told_at_session_end = boxes.load();
    EXPECT_FALSE(has_exited(p, 100));
    close_program(p);
    Sleep(300);
    done = true;
    answerer.join();
    EXPECT_NE(sent, 0);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_EQ(told_at_session_end, 0);
    EXPECT_EQ(boxes.load(), 0);
    EXPECT_EQ(t::read_bytes(blocker), (std::vector<unsigned char>{'x', 'y'}));
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
