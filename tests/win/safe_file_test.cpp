// The staging-file primitive where the settings and image tests cannot
// reach it: long path forms, a replace through a symbolic link, and the
// staging files a killed save leaves.
// (What a replace keeps and refuses, the reads that wait out a hold and the
// lock are caught by SettingsFiles, SettingsSaveFaults and ImageFile.)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/safe_file_win.h"
#include "support/test_files.h"

namespace markomi {
namespace {

namespace t = testing;

const std::string kOld = "old contents";
const std::string kNew = "new contents, longer than the old ones";

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

// A process started from `command`; its handles are the caller's to close.
PROCESS_INFORMATION start_process(const wchar_t* command, DWORD flags) {
    std::wstring line = command;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, flags | CREATE_NO_WINDOW, nullptr, nullptr,
                   &startup, &process);
    return process;
}

// A file last written `minutes` ago.
bool write_aged(const std::wstring& path, int minutes) {
    if (!write_text(path, "part of a save")) return false;
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER at{{now.dwLowDateTime, now.dwHighDateTime}};
    at.QuadPart -= static_cast<ULONGLONG>(minutes) * 60 * 10000000;
    const FILETIME written{at.LowPart, at.HighPart};
    const bool ok = SetFileTime(file, nullptr, nullptr, &written) != FALSE;
    CloseHandle(file);
    return ok;
}

// A save killed part way leaves its staging file; the next save of the same
// file deletes it, and leaves every staging file that may still be in use:
// one of a running process, one written within the minute (a save from
// another computer between its steps), and those of other files.
TEST(SafeFile, TheNextSaveDeletesWhatAKilledSaveLeftAndNothingInUse) {
    PROCESS_INFORMATION ended = start_process(L"cmd.exe /c exit", 0);
    ASSERT_NE(ended.hProcess, nullptr);
    WaitForSingleObject(ended.hProcess, 10000);
    CloseHandle(ended.hThread);
    CloseHandle(ended.hProcess);
    PROCESS_INFORMATION running = start_process(L"cmd.exe /c exit", CREATE_SUSPENDED);
    ASSERT_NE(running.hProcess, nullptr);
    const std::wstring dead = std::to_wstring(ended.dwProcessId);
    const std::wstring alive = std::to_wstring(running.dwProcessId);
    const std::wstring ours = std::to_wstring(GetCurrentProcessId());

    t::TempFolder here;
    const std::wstring target = here.path() + L"\\受付_捺印.pdf";
    ASSERT_TRUE(write_text(target, kOld));
    const struct {
        std::wstring name;
        int minutes;
        bool kept;
    } cases[] = {
        {L"受付_捺印.pdf.~" + dead + L"-1.tmp", 5, false},
        {L"受付_捺印.PDF.~" + dead + L"-7.tmp", 60 * 24, false},
        {L"受付_捺印.pdf.~" + dead + L"-2.tmp", 0, true},
        {L"受付_捺印.pdf.~" + alive + L"-1.tmp", 5, true},
        {L"受付_捺印.pdf.~" + ours + L"-999.tmp", 5, true},
        {L"受付_捺印.pdf.~" + dead + L".tmp", 5, true},
        {L"受付_捺印.pdf.~" + dead + L"-1.tmp.bak", 5, true},
        {L"控え.pdf.~" + dead + L"-1.tmp", 5, true},
    };
    for (const auto& c : cases) ASSERT_TRUE(write_aged(here.path() + L"\\" + c.name, c.minutes));
    EXPECT_TRUE(replace_file_with_bytes(target, kNew));
    TerminateProcess(running.hProcess, 0);
    CloseHandle(running.hThread);
    CloseHandle(running.hProcess);
    EXPECT_EQ(read_text(target), kNew);
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(t::file_exists(here.path() + L"\\" + cases[i].name), cases[i].kept) << "case " << i;
}

}  // namespace
}  // namespace markomi
