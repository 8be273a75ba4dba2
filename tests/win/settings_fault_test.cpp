// Saves of the settings file that are cut short or crowded: a process killed
// in the middle of saving, two copies saving into one folder at once, a disk
// with no room left. Whatever happens, the file on disk is one whole save or
// the old file, never a mix of two, never one with keys missing.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/message_box_title.h"
#include "base/process_globals_win.h"
#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "settings/memory_profile.h"
#include "settings/settings_files_win.h"
#include "settings/settings_rules.h"
#include "support/fixture_paths.h"
#include "support/message_boxes.h"
#include "support/settings_value_sets.h"
#include "support/small_disk.h"
#include "support/test_files.h"

namespace markomi {
namespace {

using testing::TempFolder;

// Lines of the user's own that every save keeps: a key of the program's
// section and a section of its own.
constexpr wchar_t kUserLines[] =
    L"[MARKOMI]\r\nCHARSET=unicode\r\nMEMO=消さないで\r\n[USER]\r\nNOTE=メモ帳\r\n";

std::string utf8(std::u16string_view text) { return u16_to_utf8(text); }
std::string utf8(const std::wstring& text) { return u16_to_utf8(as_u16(text)); }

// Tells which of the two value sets a settings file holds, key by key.
class WholeFileCheck {
  public:
    WholeFileCheck() : keys_(settings_save_keys()), a_(saved('A')), b_(saved('B')) {}

    // 'A' or 'B' when `bytes` are a UTF-16 settings file with every key a
    // save writes, each with the value of that one set, and the user's own
    // lines; else 0, with what is wrong in `why`.
    char which(const std::vector<unsigned char>& bytes, std::string* why) {
        if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE || bytes.size() % 2 != 0) {
            *why = "not a UTF-16 file (" + std::to_string(bytes.size()) + " bytes)";
            return 0;
        }
        std::u16string text;
        for (std::size_t i = 2; i < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
        MemoryProfile file = MemoryProfile::parse(text);
        if (file.read(u"MARKOMI", u"MEMO") != u"消さないで" ||
            file.read(u"USER", u"NOTE") != u"メモ帳") {
            *why = "the user's own lines are gone";
            return 0;
        }
        bool all_a = true, all_b = true;
        std::string first_a, first_b;
        for (const SettingKeyRef& k : keys_) {
            std::optional<std::u16string> value = file.read(k.section, k.key);
            if (!value) {
                *why = "key " + utf8(k.section) + "/" + utf8(k.key) + " missing";
                return 0;
            }
            if (value != a_.read(k.section, k.key) && all_a) {
                all_a = false;
                first_a = utf8(k.key) + "=" + utf8(*value);
            }
            if (value != b_.read(k.section, k.key) && all_b) {
                all_b = false;
                first_b = utf8(k.key) + "=" + utf8(*value);
            }
        }
        if (all_a) return 'A';
        if (all_b) return 'B';
        *why = "a mix of both sets (" + first_a + " is not A's, " + first_b + " is not B's)";
        return 0;
    }

    // How many keys the two sets disagree on.
    int differing_keys() {
        int n = 0;
        for (const SettingKeyRef& k : keys_)
            if (a_.read(k.section, k.key) != b_.read(k.section, k.key)) ++n;
        return n;
    }

  private:
    static MemoryProfile saved(char which) {
        MemoryProfile profile;
        SettingsSet set = testing::settings_value_set(which);
        save_settings_to(profile, set);
        return profile;
    }

    std::vector<SettingKeyRef> keys_;
    MemoryProfile a_, b_;
};

std::wstring ini_path(const std::wstring& folder) {
    return folder + L"\\Markomi2.ini";
}

// The user's lines, then set `which` saved over them by this process.
bool write_user_file_with_set(const std::wstring& folder, char which) {
    if (!testing::write_bytes(ini_path(folder), testing::utf16le_with_bom(kUserLines)))
        return false;
    SettingsSet set;
    SettingsFileState state = load_settings_in(folder.c_str(), set);
    set = testing::settings_value_set(which);
    return state == SettingsFileState::kRead && save_settings_in(folder.c_str(), set, state);
}

// Every file of `folder` but the settings file: staging files, a lock file
// left behind, anything else a save drops there.
std::vector<std::wstring> leftovers(const std::wstring& folder) {
    std::vector<std::wstring> names = testing::folder_entries(folder);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::wstring& n) {
                                   return lstrcmpiW(n.c_str(), L"Markomi2.ini") == 0;
                               }),
                names.end());
    return names;
}

std::string listed(const std::vector<std::wstring>& names) {
    std::string out;
    for (const std::wstring& n : names) out += utf8(n) + " ";
    return out;
}

// The whole file, read as a backup or a second copy would: sharing
// everything, so that the reader never stands in a writer's way.
std::vector<unsigned char> read_shared(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION &&
            GetLastError() != ERROR_ACCESS_DENIED)
            return bytes;
        if (file == INVALID_HANDLE_VALUE) Sleep(5);
    }
    if (file == INVALID_HANDLE_VALUE) return bytes;
    unsigned char buf[65536];
    DWORD got = 0;
    while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), buf, buf + got);
    CloseHandle(file);
    return bytes;
}

// A running copy of the save loop (tests/win/tools/settings_save_loop_win.cpp),
// ended at the latest when this goes. A held loop reads the folder's file at
// once but saves only after go().
class SaveLoop {
  public:
    enum class Start { kNow, kHeld };

    SaveLoop(const std::wstring& folder, const wchar_t* order, int count,
             Start start = Start::kNow) {
        static std::atomic<int> serial{0};
        std::wstring events;
        if (start == Start::kHeld) {
            events = L"markomi2-save-loop-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(serial++);
            go_ = CreateEventW(nullptr, TRUE, FALSE, (events + L"-go").c_str());
            saving_ = CreateEventW(nullptr, TRUE, FALSE, (events + L"-saving").c_str());
            if (!go_ || !saving_) return;
        }
        std::wstring exe =
            testing::fixture_path(MARKOMI2_SAVE_LOOP_EXE_PATH, L"markomi2_settings_save_loop.exe");
        std::wstring command = L"\"" + exe + L"\" \"" + folder + L"\" " + order + L" " +
                               std::to_wstring(count) + (events.empty() ? L"" : L" " + events);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &si, &pi)) {
            CloseHandle(pi.hThread);
            process_ = pi.hProcess;
        }
    }
    ~SaveLoop() {
        if (process_) {
            kill();
            CloseHandle(process_);
        }
        if (go_) CloseHandle(go_);
        if (saving_) CloseHandle(saving_);
    }
    SaveLoop(const SaveLoop&) = delete;
    SaveLoop& operator=(const SaveLoop&) = delete;

    HANDLE process() const { return process_; }
    bool running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    // Lets a held loop save.
    void let_go() { SetEvent(go_); }
    // Lets a held loop save; true once it is saving, false when it ended
    // (or hung) before.
    bool go() {
        let_go();
        HANDLE waits[2] = {saving_, process_};
        return WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    }
    void kill() {
        TerminateProcess(process_, 9);
        WaitForSingleObject(process_, 30000);
    }
    // The exit code once it has ended by itself; -1 when it has not within `ms`.
    long exit_code(DWORD ms) const {
        DWORD code = 0;
        if (WaitForSingleObject(process_, ms) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_, &code))
            return -1;
        return static_cast<long>(code);
    }

  private:
    HANDLE process_ = nullptr;
    HANDLE go_ = nullptr;
    HANDLE saving_ = nullptr;
};

// Keeps held loops started ahead, from a thread of its own: under Wine a
// CreateProcess returns only once the new process runs, and a start takes
// longer than the longest wait before a kill.
class LoopStarter {
  public:
    LoopStarter(std::wstring folder, int total, std::size_t ahead)
        : folder_(std::move(folder)), total_(total), ahead_(ahead), thread_([this] { run(); }) {}
    ~LoopStarter() {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    std::unique_ptr<SaveLoop> next() {
        std::unique_lock<std::mutex> hold(mutex_);
        changed_.wait(hold, [this] { return !ready_.empty(); });
        std::unique_ptr<SaveLoop> loop = std::move(ready_.front());
        ready_.pop_front();
        changed_.notify_all();
        return loop;
    }

  private:
    void run() {
        for (int started = 0; started < total_; ++started) {
            {
                std::unique_lock<std::mutex> hold(mutex_);
                changed_.wait(hold, [this] { return stop_ || ready_.size() < ahead_; });
                if (stop_) return;
            }
            auto loop = std::make_unique<SaveLoop>(folder_, L"AB", 0, SaveLoop::Start::kHeld);
            std::lock_guard<std::mutex> hold(mutex_);
            ready_.push_back(std::move(loop));
            changed_.notify_all();
        }
    }

    const std::wstring folder_;
    const int total_;
    const std::size_t ahead_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<SaveLoop>> ready_;
    bool stop_ = false;
    std::thread thread_;
};

// A process that dies while saving leaves the settings file whole: one of
// the two sets it saves in turn, never a mix, never cut short, never gone;
// and the staging files of killed saves do not pile up.
TEST(SettingsSaveFaults, AProcessKilledWhileSavingLeavesOneWholeFile) {
    TempFolder dir;
    WholeFileCheck check;
    ASSERT_GE(check.differing_keys(), 200);  // so that a mix cannot pass for either set
    ASSERT_TRUE(write_user_file_with_set(dir.path(), 'A'));
    std::string why;
    ASSERT_EQ(check.which(testing::read_bytes(ini_path(dir.path())), &why), 'A') << why;

    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> delay_ms(0, 150);
    int seen_a = 0, seen_b = 0;
    constexpr int kRounds = 200;
    LoopStarter starter(dir.path(), kRounds, 3);
    for (int round = 0; round < kRounds; ++round) {
        std::unique_ptr<SaveLoop> loop = starter.next();
        ASSERT_NE(loop->process(), nullptr);
        if (!loop->go())
            FAIL() << "round " << round << ": the loop never started saving (exit code "
                   << loop->exit_code(0) << ")";
        Sleep(delay_ms(rng));
        loop->kill();

        char which = check.which(testing::read_bytes(ini_path(dir.path())), &why);
        ASSERT_NE(which, 0) << "after round " << round << ": " << why;
        (which == 'A' ? seen_a : seen_b)++;
        std::vector<std::wstring> left = leftovers(dir.path());
        ASSERT_LE(left.size(), 3u) << "after round " << round << ": " << listed(left);
    }
    // The kills came at every point of the loop, so both sets landed.
    EXPECT_GT(seen_a, 0);
    EXPECT_GT(seen_b, 0);

    // Saves after all that succeed, and nothing of the killed ones remains.
    SaveLoop last(dir.path(), L"BA", 3);
    EXPECT_EQ(last.exit_code(30000), 0);
    EXPECT_EQ(check.which(testing::read_bytes(ini_path(dir.path())), &why), 'B') << why;
    EXPECT_TRUE(leftovers(dir.path()).empty()) << listed(leftovers(dir.path()));
}

// Two copies of the program (two sessions of one user) saving at the same
// time: each reload in between and after sees one whole file, every save
// succeeds, and the user's own lines stay.
TEST(SettingsSaveFaults, TwoCopiesSavingAtOnceLeaveOneWholeFile) {
    TempFolder dir;
    WholeFileCheck check;
    ASSERT_TRUE(write_user_file_with_set(dir.path(), 'A'));
    // Both started before either saves: a start takes longer than 50 saves.
    SaveLoop one(dir.path(), L"AB", 50, SaveLoop::Start::kHeld);
    SaveLoop two(dir.path(), L"BA", 50, SaveLoop::Start::kHeld);
    ASSERT_NE(one.process(), nullptr);
    ASSERT_NE(two.process(), nullptr);
    one.let_go();
    two.let_go();
    std::string why;
    int reloads = 0;
    while (one.running() || two.running()) {
        ASSERT_NE(check.which(read_shared(ini_path(dir.path())), &why), 0)
            << "reload " << reloads << ": " << why;
        // The program's own reader, as a third copy starting meanwhile would.
        SettingsSet loaded;
        EXPECT_EQ(load_settings_in(dir.path().c_str(), loaded), SettingsFileState::kRead);
        ++reloads;
        Sleep(5);
    }
    EXPECT_EQ(one.exit_code(0), 0);
    EXPECT_EQ(two.exit_code(0), 0);
    EXPECT_NE(check.which(testing::read_bytes(ini_path(dir.path())), &why), 0) << why;
    EXPECT_TRUE(leftovers(dir.path()).empty()) << listed(leftovers(dir.path()));
}

using testing::kSmallDriveMarker;
using testing::save_global_settings_in;

// A save that does not fit on the disk keeps the old file byte for byte,
// says so once in the program's message box and reports failure; once there
// is room again, the same save goes through.
TEST(SettingsSaveFaults, ASaveThatDoesNotFitKeepsTheOldFileAndIsToldOnce) {
    if (!testing::file_exists(kSmallDriveMarker))
        GTEST_SKIP() << testing::small_drive_missing_reason();
    const testing::SmallDiskFolder disk(L"Markomi2");
    ASSERT_TRUE(disk.created());
    const std::wstring& folder = disk.path();
    struct Cleanup {
        ~Cleanup() {
            g_settings = SettingsSet();
            g_settings_folder[0] = 0;
        }
    } cleanup;

    WholeFileCheck check;
    ASSERT_TRUE(write_user_file_with_set(folder, 'A'));
    const std::vector<unsigned char> original = testing::read_bytes(ini_path(folder));
    ASSERT_TRUE(disk.fill());

    bool saved = true;
    std::vector<testing::SeenMessageBox> boxes = testing::answering_message_boxes(
        [&] { saved = save_global_settings_in(folder, testing::settings_value_set('B')); });
    EXPECT_FALSE(saved);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, kMessageBoxTitle);
    EXPECT_NE(boxes[0].text.find(L"保存できませんでした"), std::wstring::npos);
    EXPECT_EQ(testing::read_bytes(ini_path(folder)), original);
    EXPECT_TRUE(leftovers(folder).empty()) << listed(leftovers(folder));

    ASSERT_TRUE(disk.make_room());
    boxes = testing::answering_message_boxes(
        [&] { saved = save_global_settings_in(folder, testing::settings_value_set('B')); });
    EXPECT_TRUE(saved);
    EXPECT_TRUE(boxes.empty());
    std::string why;
    EXPECT_EQ(check.which(testing::read_bytes(ini_path(folder)), &why), 'B') << why;
}

}  // namespace
}  // namespace markomi
