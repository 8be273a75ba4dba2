// The user's settings file when Markomi2.exe could not read it at start, or
// may not write it when Windows ends the session: the file stays as the
// user left it, and nothing the program shows holds up the logoff.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/support/program_driver.h"
#include "support/test_files.h"

namespace {

namespace t = markomi::testing;
using t::Program;

// Watches for message boxes of one process from a thread of its own (the
// test's thread waits on the program meanwhile), notes each one's title and
// text and answers it with OK, so that nothing stays blocked.
class MessageBoxWatch {
  public:
    explicit MessageBoxWatch(DWORD pid) : pid_(pid), thread_([this] { run(); }) {}
    ~MessageBoxWatch() { stop(); }
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

    void stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int count() const { return count_; }
    std::vector<std::wstring> titles() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return titles_;
    }
    std::wstring texts() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return texts_;
    }
    // Waits up to `ms` for at least `n` boxes.
    bool wait_for(int n, DWORD ms) const {
        for (DWORD waited = 0; count_ < n && waited < ms; waited += 20) Sleep(20);
        return count_ >= n;
    }

  private:
    void run() {
        std::vector<HWND> answered;
        while (!done_) {
            HWND box = nullptr;
            while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
                if (t::owner_of(box) != pid_ || !IsWindowVisible(box)) continue;
                bool seen = false;
                for (HWND a : answered) seen = seen || a == box;
                if (seen) continue;
                answered.push_back(box);
                Sleep(100);  // let it finish building its controls
                wchar_t title[200] = L"", text[2000] = L"";
                GetWindowTextW(box, title, 200);
                GetDlgItemTextW(box, 0xFFFF, text, 2000);  // a message box's text
                {
                    std::lock_guard<std::mutex> hold(mutex_);
                    titles_.push_back(title);
                    texts_ += std::wstring(text) + L"\n";
                }
                ++count_;
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            }
            Sleep(20);
        }
    }

    DWORD pid_;
    std::atomic<bool> done_{false};
    std::atomic<int> count_{0};
    mutable std::mutex mutex_;
    std::vector<std::wstring> titles_;
    std::wstring texts_;
    std::thread thread_;
};

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

// A user's settings folder of the test's own: whatever the folder held
// before is set aside and put back afterwards.
class SettingsAtSessionEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        t::end_all_copies();
        aside_ = t::settings_folder() + L".before-test-" + std::to_wstring(GetCurrentProcessId());
        if (GetFileAttributesW(t::settings_folder().c_str()) != INVALID_FILE_ATTRIBUTES) {
            ASSERT_TRUE(MoveFileW(t::settings_folder().c_str(), aside_.c_str()));
        }
        ASSERT_TRUE(CreateDirectoryW(t::settings_folder().c_str(), nullptr));
    }
    void TearDown() override {
        t::close_program(program_);
        t::end_all_copies();
        t::remove_tree(t::settings_folder());
        if (GetFileAttributesW(aside_.c_str()) != INVALID_FILE_ATTRIBUTES)
            MoveFileW(aside_.c_str(), t::settings_folder().c_str());
    }
    // Sends one session message the way Windows does, waiting no longer
    // than Windows waits for an answer; the answer, or -1 when none came.
    LONG_PTR send_session_message(HWND w, UINT message, WPARAM wparam) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(w, message, wparam, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                                 &answer))
            return -1;
        return static_cast<LONG_PTR>(answer);
    }

    Program program_;
    std::wstring aside_;
};

// A settings file another process holds locked all through the program's
// start is read from nowhere else and never replaced: the program runs on
// defaults, says so once, and neither the session end nor its own end
// writes over the user's values.
TEST_F(SettingsAtSessionEnd, AFileLockedAtStartIsToldOnceAndNeverReplaced) {
    const std::wstring ini = t::settings_file();
    const std::vector<unsigned char> user_file = t::utf16le_with_bom(
        L"[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=経理部\r\nNAME=高橋\r\nACTIVE=3\r\n");
    ASSERT_TRUE(t::write_bytes(ini, user_file));
    HANDLE held = CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    program_ = t::start_program();
    ASSERT_NE(program_.process, nullptr);
    HWND w = t::wait_for_main_window(program_.pid);
    // The file stays locked until the program has given up on it and says so.
    MessageBoxWatch boxes(program_.pid);
    const bool told = w && boxes.wait_for(1, 20000);
    CloseHandle(held);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(told) << "no message about the unreadable settings file";

    EXPECT_EQ(send_session_message(w, WM_QUERYENDSESSION, 0), TRUE);
    send_session_message(w, WM_ENDSESSION, TRUE);
    EXPECT_EQ(t::read_bytes(ini), user_file);
    t::close_program(program_);
    boxes.stop();
    EXPECT_EQ(t::read_bytes(ini), user_file);
    EXPECT_EQ(boxes.count(), 1) << utf8(boxes.texts());
    for (const std::wstring& title : boxes.titles()) EXPECT_EQ(title, L"マルコミ２");
}

// A read-only settings file (an administrator's choice) that a save would
// change: the session end is answered at once with TRUE, no box appears, and
// the file stays as it was.
TEST_F(SettingsAtSessionEnd, AReadOnlyFileNeverHoldsUpTheLogoff) {
    const std::wstring ini = t::settings_file();
    // Shift-JIS and missing most keys: a save would write a whole new file.
    const std::vector<unsigned char> user_file =
        t::shift_jis(L"[MARKOMI]\r\nBUSHO=経理部\r\nNAME=高橋\r\n");
    ASSERT_TRUE(t::write_bytes(ini, user_file));
    ASSERT_TRUE(SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY));

    program_ = t::start_program();
    ASSERT_NE(program_.process, nullptr);
    HWND w = t::wait_for_main_window(program_.pid);
    ASSERT_NE(w, nullptr);
    WaitForInputIdle(program_.process, 10000);
    ASSERT_NE(send_session_message(w, WM_NULL, 0), -1);  // idle and answering
    MessageBoxWatch boxes(program_.pid);

    const auto sent = std::chrono::steady_clock::now();
    const LONG_PTR answer = send_session_message(w, WM_QUERYENDSESSION, 0);
    const auto took = std::chrono::steady_clock::now() - sent;
    EXPECT_EQ(answer, TRUE);
    EXPECT_LT(took, std::chrono::seconds(1));
    send_session_message(w, WM_ENDSESSION, TRUE);
    Sleep(1500);  // a box would have appeared by now
    boxes.stop();
    EXPECT_EQ(boxes.count(), 0) << utf8(boxes.texts());
    EXPECT_EQ(t::read_bytes(ini), user_file);
    EXPECT_NE(GetFileAttributesW(ini.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

}  // namespace
