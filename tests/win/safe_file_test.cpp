// The staging-file primitive: what a replace keeps, what it refuses and
// never leaves behind, links, reads that wait out a brief hold, the lock file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/safe_file_win.h"
#include "support/test_files.h"

namespace markomi {
namespace {

namespace t = testing;

const std::string kOld = "old contents";
const std::string kNew = "new contents, longer than the old ones";
constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool write_text(const std::wstring& path, const std::string& text) {
    return t::write_bytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}
std::string read_text(const std::wstring& path) {
    const std::vector<unsigned char> bytes = t::read_bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Everything in a folder; staging files show as "<name>.~<pid>-<n>.tmp".
using t::folder_entries;

// `link`, another name, reaches the file `target`.
bool links_to(const std::wstring& link, const std::wstring& target) {
    std::wstring reached[2];
    for (int i = 0; i < 2; ++i) {
        HANDLE file = CreateFileW((i ? target : link).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        wchar_t buffer[1024] = L"";
        if (file != INVALID_HANDLE_VALUE) GetFinalPathNameByHandleW(file, buffer, 1024, 0);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        reached[i] = buffer;
    }
    return !reached[0].empty() && lstrcmpiW(reached[0].c_str(), reached[1].c_str()) == 0 &&
           lstrcmpiW(link.c_str(), target.c_str()) != 0;
}

// A symbolic link made the Windows way; under Wine, whose CreateSymbolicLinkW
// reports success and makes nothing, a Unix link made by /bin/ln (Wine
// starts Unix programs too). False when neither is possible here.
bool make_symbolic_link(const std::wstring& link, const std::wstring& target) {
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), kUnprivileged) && links_to(link, target))
        return true;
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unix_name) return false;
    auto unix_path = [&](const std::wstring& path) {
        char* name = unix_name(path.c_str());
        wchar_t wide[2048] = L"";
        if (name) MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, 2048);
        HeapFree(GetProcessHeap(), 0, name);
        return std::wstring(wide);
    };
    std::wstring command = L"/bin/ln -s \"" + unix_path(target) + L"\" \"" + unix_path(link) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);  // a Unix child's handle cannot be waited on
    for (int i = 0; i < 100 && !links_to(link, target); ++i) Sleep(50);
    return links_to(link, target);
}

TEST(SafeFile, AReplacedFileKeepsItsAttributesAndHasArchiveSet) {
    t::TempFolder folder;
    const std::wstring path = folder.file(L"印影.bin");
    for (DWORD attributes : {DWORD{FILE_ATTRIBUTE_HIDDEN},
                             DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED},
                             DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
                             DWORD{FILE_ATTRIBUTE_NORMAL}}) {
        SCOPED_TRACE(attributes);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(write_text(path, kOld));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
        // What this file system keeps of them; hidden at least.
        const DWORD before = GetFileAttributesW(path.c_str()) & kKept;
        if (attributes & FILE_ATTRIBUTE_HIDDEN) {
            ASSERT_TRUE(before & FILE_ATTRIBUTE_HIDDEN);
        }

        ASSERT_TRUE(replace_file_with_bytes(path, kNew));
        EXPECT_EQ(read_text(path), kNew);
        const DWORD after = GetFileAttributesW(path.c_str());
        EXPECT_EQ(after & kKept, before);
        EXPECT_TRUE(after & FILE_ATTRIBUTE_ARCHIVE);
        EXPECT_EQ(folder_entries(folder.path()), std::vector<std::wstring>{L"印影.bin"});
    }
}

TEST(SafeFile, RefusedAndFailedSavesKeepTheOldFileAndLeaveNoStagingFile) {
    struct Case {
        const char* name;
        std::function<void(const std::wstring&)> prepare;
        std::function<bool(const std::wstring&)> save;
    };
    const auto replace = [](const std::wstring& path) { return replace_file_with_bytes(path, kNew); };
    const auto failing_writer = [](const std::wstring& path) {
        return write_file_through_staging(path, [&](const wchar_t* staging) {
            // An empty staging file beside the target, then half a write.
            EXPECT_EQ(std::wstring(staging).rfind(path + L".~", 0), 0u) << staging;
            EXPECT_TRUE(read_text(staging).empty());
            write_text(staging, kNew.substr(0, 5));
            return false;
        });
    };
    const auto old_file = [](const std::wstring& path) { write_text(path, kOld); };
    const auto nothing = [](const std::wstring&) {};
    const auto read_only = [](const std::wstring& path) {
        write_text(path, kOld);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    };
    const auto folder = [](const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); };
    const auto into_missing_folder = [](const std::wstring& path) {
        return replace_file_with_bytes(path + L"\\inner\\x.bin", kNew);
    };
    const Case cases[] = {
        {"read-only target", read_only, replace},
        {"folder of that name", folder, replace},
        {"missing folder", nothing, into_missing_folder},
        {"writer fails over an old file", old_file, failing_writer},
        {"writer fails with no old file", nothing, failing_writer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t::TempFolder dir;
        const std::wstring path = dir.file(L"target.bin");
        c.prepare(path);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        const std::string before = read_text(path);
        const std::vector<std::wstring> listed = folder_entries(dir.path());
        EXPECT_FALSE(c.save(path));
        EXPECT_EQ(GetFileAttributesW(path.c_str()), attributes);
        EXPECT_EQ(read_text(path), before);
        EXPECT_EQ(folder_entries(dir.path()), listed);
    }
}

TEST(SafeFile, StagingNamesAreUniqueAndOnlyStaleOnesAreSwept) {
    t::TempFolder folder;
    const std::wstring target = folder.file(L"Markomi2.ini");
    ASSERT_TRUE(write_text(target, kOld));
    const std::wstring first = create_staging_file(target), second = create_staging_file(target);
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(t::file_exists(first) && t::file_exists(second));
    // A leftover another save cannot have touched since: read-only and hidden.
    SetFileAttributesW(second.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(write_text(folder.file(L"Markomi2_enable.ini.~1-1.tmp"), kOld));

    sweep_stale_staging_files(target);
    EXPECT_EQ(folder_entries(folder.path()),
              (std::vector<std::wstring>{L"Markomi2.ini", L"Markomi2_enable.ini.~1-1.tmp"}));
    EXPECT_EQ(read_text(target), kOld);
}

TEST(SafeFile, LongPathsTakeTheExtendedForm) {
    const std::wstring tail(300, L'x');
    EXPECT_EQ(extended_length_path(L"C:\\short\\name.png"), L"C:\\short\\name.png");
    EXPECT_EQ(extended_length_path(L"C:\\a\\..\\b/" + tail), L"\\\\?\\C:\\b\\" + tail);
    EXPECT_EQ(extended_length_path(L"\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + tail);
    EXPECT_EQ(extended_length_path(L"\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + tail);
}

// A file linked into a synced folder must stay a link: a replace that put a
// plain file in the link's place would end the syncing silently.
TEST(SafeFile, ASymbolicLinkStaysALinkAndItsTargetGetsTheBytes) {
    t::TempFolder here, synced;
    const std::wstring target = synced.file(L"設定.ini"), link = here.file(L"link.ini");
    ASSERT_TRUE(write_text(target, kOld));
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    if (!make_symbolic_link(link, target))
        GTEST_SKIP() << "no symbolic link can be made here (no privilege, no Unix ln)";
    EXPECT_EQ(lstrcmpiW(final_target_path(link).c_str(), target.c_str()), 0) << final_target_path(link);
    EXPECT_EQ(final_target_path(target), target);

    ASSERT_TRUE(replace_file_with_bytes(link, kNew));
    EXPECT_TRUE(links_to(link, target));
    EXPECT_EQ(read_text(target), kNew);
    EXPECT_TRUE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(folder_entries(here.path()), std::vector<std::wstring>{L"link.ini"});
    EXPECT_EQ(folder_entries(synced.path()), std::vector<std::wstring>{L"設定.ini"});
    DeleteFileW(link.c_str());
}

TEST(SafeFile, ReadsWaitOutABriefHoldAndTellWhyTheyFailed) {
    constexpr DWORD kHeldThroughout = INFINITE;
    struct Case {
        const char* name;
        const wchar_t* file;   // under the folder; "sub" is made a folder
        std::size_t limit;
        DWORD hold_ms;         // another handle without sharing, closed after this
        DWORD retry_ms;
        FileRead state;
    };
    const Case cases[] = {
        {"a file", L"data.bin", kOld.size(), 0, 1000, FileRead::kRead},
        {"over the limit", L"data.bin", kOld.size() - 1, 0, 1000, FileRead::kTooLarge},
        {"missing", L"none.bin", 100, 0, 1000, FileRead::kMissing},
        {"missing folder", L"none\\data.bin", 100, 0, 1000, FileRead::kMissing},
        {"a folder", L"sub", 100, 0, 200, FileRead::kUnreadable},
        {"held for a moment", L"data.bin", 100, 300, 3000, FileRead::kRead},
        {"held throughout", L"data.bin", 100, kHeldThroughout, 200, FileRead::kUnreadable},
    };
    t::TempFolder folder;
    ASSERT_TRUE(write_text(folder.file(L"data.bin"), kOld));
    ASSERT_TRUE(CreateDirectoryW(folder.file(L"sub").c_str(), nullptr));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = folder.file(c.file);
        HANDLE held = INVALID_HANDLE_VALUE;
        std::thread releaser;
        if (c.hold_ms != 0) {
            held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
            if (c.hold_ms != kHeldThroughout) releaser = std::thread([held, &c] {
                Sleep(c.hold_ms);
                CloseHandle(held);
            });
        }
        const FileBytes read = read_file_bytes(path, c.limit, c.retry_ms);
        if (releaser.joinable()) releaser.join();
        else if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(static_cast<int>(read.state), static_cast<int>(c.state));
        EXPECT_EQ(read.bytes, c.state == FileRead::kRead ? kOld : std::string());
    }
}

TEST(SafeFile, ALockFileIsExclusiveUntilReleasedAndThenGone) {
    t::TempFolder folder;
    const std::wstring path = folder.file(L"Markomi2.lock");
    {
        FileLock first(path, 0);
        ASSERT_TRUE(first.held());
        FileLock second(path, 100);
        EXPECT_FALSE(second.held());
    }
    EXPECT_TRUE(folder_entries(folder.path()).empty());
    // A waiter gets the lock once the holder lets go on another thread.
    auto holder = std::make_unique<FileLock>(path, 0);
    ASSERT_TRUE(holder->held());
    std::thread release([&holder] {
        Sleep(300);
        holder.reset();
    });
    FileLock waiter(path, 5000);
    release.join();
    EXPECT_TRUE(waiter.held());
}

}  // namespace
}  // namespace markomi
