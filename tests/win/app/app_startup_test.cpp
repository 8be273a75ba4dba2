// Whole-program drives of Markomi2.exe: single instance, replacement of a
// running copy, the settings folder and files it reads and writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/support/message_box_watch.h"
#include "app/support/program_driver.h"
#include "base/u16_format.h"
#include "base/wide_text_win.h"
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

// Sends one session message the way Windows does, waiting no longer than
// Windows waits for an answer; the answer, or -1 when none came.
LONG_PTR send_session_message(HWND w, UINT message, WPARAM wparam) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(w, message, wparam, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer))
        return -1;
    return static_cast<LONG_PTR>(answer);
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
    // hold up the logoff, or outlast the other process's wait.
    t::MessageBoxWatch boxes(p.pid);
    EXPECT_EQ(send_session_message(w, WM_QUERYENDSESSION, 0), TRUE);
    Sleep(300);
    const int told_at_session_end = boxes.count();
    EXPECT_FALSE(has_exited(p, 100));
    close_program(p);
    Sleep(300);
    boxes.stop();
    EXPECT_EQ(told_at_session_end, 0);
    EXPECT_EQ(boxes.count(), 0);
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

// A settings file another process holds locked all through the program's
// start is read from nowhere else and never replaced: the program runs on
// defaults, says so once, and neither the session end nor its own end
// writes over the user's values.
TEST_F(AppStartup, AFileLockedAtStartIsToldOnceAndNeverReplaced) {
    CreateDirectoryW(settings_folder().c_str(), nullptr);
    const std::wstring ini = t::settings_file();
    const std::vector<unsigned char> user_file = t::utf16le_with_bom(
        L"[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=経理部\r\nNAME=高橋\r\nACTIVE=3\r\n");
    ASSERT_TRUE(t::write_bytes(ini, user_file));
    HANDLE held = CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    Program& program_ = start();
    ASSERT_NE(program_.process, nullptr);
    HWND w = t::wait_for_main_window(program_.pid);
    // The file stays locked until the program has given up on it and says so.
    t::MessageBoxWatch boxes(program_.pid);
    const bool told = w && boxes.wait_for(1, 20000);
    CloseHandle(held);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(told) << "no message about the unreadable settings file";

    EXPECT_EQ(send_session_message(w, WM_QUERYENDSESSION, 0), TRUE);
    send_session_message(w, WM_ENDSESSION, TRUE);
    EXPECT_EQ(t::read_bytes(ini), user_file);
    close_program(program_);
    boxes.stop();
    EXPECT_EQ(t::read_bytes(ini), user_file);
    EXPECT_EQ(boxes.count(), 1) << markomi::u16_to_utf8(markomi::as_u16(boxes.texts()));
    for (const std::wstring& title : boxes.titles()) EXPECT_EQ(title, L"マルコミ２");
}

// A read-only settings file (an administrator's choice) that a save would
// change: the session end is answered at once with TRUE, no box appears, and
// the file stays as it was.
TEST_F(AppStartup, AReadOnlyFileNeverHoldsUpTheLogoff) {
    CreateDirectoryW(settings_folder().c_str(), nullptr);
    const std::wstring ini = t::settings_file();
    // Shift-JIS and missing most keys: a save would write a whole new file.
    const std::vector<unsigned char> user_file =
        t::shift_jis(L"[MARKOMI]\r\nBUSHO=経理部\r\nNAME=高橋\r\n");
    ASSERT_TRUE(t::write_bytes(ini, user_file));
    ASSERT_TRUE(SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY));

    Program& program_ = start();
    ASSERT_NE(program_.process, nullptr);
    HWND w = t::wait_for_main_window(program_.pid);
    ASSERT_NE(w, nullptr);
    WaitForInputIdle(program_.process, 10000);
    ASSERT_NE(send_session_message(w, WM_NULL, 0), -1);  // idle and answering
    t::MessageBoxWatch boxes(program_.pid);

    const auto sent = std::chrono::steady_clock::now();
    const LONG_PTR answer = send_session_message(w, WM_QUERYENDSESSION, 0);
    const auto took = std::chrono::steady_clock::now() - sent;
    EXPECT_EQ(answer, TRUE);
    EXPECT_LT(took, std::chrono::seconds(1));
    send_session_message(w, WM_ENDSESSION, TRUE);
    Sleep(1500);  // a box would have appeared by now
    boxes.stop();
    EXPECT_EQ(boxes.count(), 0) << markomi::u16_to_utf8(markomi::as_u16(boxes.texts()));
    EXPECT_EQ(t::read_bytes(ini), user_file);
    EXPECT_NE(GetFileAttributesW(ini.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

}  // namespace
