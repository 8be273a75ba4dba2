// The desktop and startup shortcuts: links written through the shell and
// read back through it, in temporary folders and in the real special folders.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "base/process_globals_win.h"
#include "support/test_files.h"
#include "ui/shortcuts_win.h"

namespace markomi {
namespace {

constexpr wchar_t kLinkName[] = L"マルコミ２.lnk";

struct LinkContents {
    bool loaded = false;
    std::wstring target;
    std::wstring working_directory;
    std::wstring arguments;
};

// Reads a link back on a thread of its own, so that the caller's COM state
// stays as the code under test left it.
LinkContents read_link(const std::wstring& path) {
    LinkContents contents;
    std::thread reader([&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
        IShellLinkW* link = nullptr;
        IPersistFile* file = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t buf[MAX_PATH] = L"";
            if (SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH))) contents.target = buf;
            buf[0] = 0;
            if (SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH))) contents.working_directory = buf;
            buf[0] = 0;
            if (SUCCEEDED(link->GetArguments(buf, MAX_PATH))) contents.arguments = buf;
            contents.loaded = true;
        }
        if (file) file->Release();
        if (link) link->Release();
        CoUninitialize();
    });
    reader.join();
    return contents;
}

// Runs `body` on a fresh thread (fresh COM state) and waits for it.
template <typename Body>
void on_fresh_thread(Body body) {
    std::thread worker(body);
    worker.join();
}

TEST(ShortcutFile, PointsAtTheProgramInTheInstallFolder) {
    testing::TempFolder dir;
    std::wstring link = dir.file(kLinkName);
    HRESULT hr = E_FAIL;
    on_fresh_thread([&] { hr = create_shortcut_file(link.c_str(), L"C:\\Tools\\Stamp"); });
    EXPECT_EQ(hr, S_OK);
    LinkContents c = read_link(link);
    ASSERT_TRUE(c.loaded);
    EXPECT_EQ(c.target, L"C:\\Tools\\Stamp\\Markomi2.exe");
    EXPECT_EQ(c.working_directory, L"C:\\Tools\\Stamp");
    EXPECT_EQ(c.arguments, L"");
}

TEST(ShortcutFile, ProgramInADriveRootKeepsTheRootBackslash) {
    testing::TempFolder dir;
    std::wstring link = dir.file(kLinkName);
    HRESULT hr = E_FAIL;
    on_fresh_thread([&] { hr = create_shortcut_file(link.c_str(), L"C:"); });
    EXPECT_EQ(hr, S_OK);
    LinkContents c = read_link(link);
    ASSERT_TRUE(c.loaded);
    EXPECT_EQ(c.target, L"C:\\Markomi2.exe");
    EXPECT_EQ(c.working_directory, L"C:\\");
}

TEST(ShortcutFile, CreatingAgainOverwritesTheLink) {
    testing::TempFolder dir;
    std::wstring link = dir.file(kLinkName);
    on_fresh_thread([&] {
        EXPECT_EQ(create_shortcut_file(link.c_str(), L"C:\\Old"), S_OK);
        EXPECT_EQ(create_shortcut_file(link.c_str(), L"D:\\New\\Place"), S_OK);
    });
    LinkContents c = read_link(link);
    ASSERT_TRUE(c.loaded);
    EXPECT_EQ(c.target, L"D:\\New\\Place\\Markomi2.exe");
    EXPECT_EQ(c.working_directory, L"D:\\New\\Place");
}

TEST(ShortcutFile, ExistsAndDeleteFollowTheFile) {
    testing::TempFolder dir;
    std::wstring link = dir.file(kLinkName);
    EXPECT_FALSE(shortcut_file_exists(link.c_str()));
    EXPECT_FALSE(delete_shortcut_file(link.c_str()));  // nothing to delete

    on_fresh_thread([&] { EXPECT_EQ(create_shortcut_file(link.c_str(), L"C:\\Tools"), S_OK); });
    EXPECT_TRUE(testing::file_exists(link));
    EXPECT_TRUE(shortcut_file_exists(link.c_str()));
    EXPECT_TRUE(delete_shortcut_file(link.c_str()));
    EXPECT_FALSE(testing::file_exists(link));
    EXPECT_FALSE(shortcut_file_exists(link.c_str()));
    EXPECT_FALSE(delete_shortcut_file(link.c_str()));

    // Whatever file carries the name counts; a folder of that name does not and stays.
    ASSERT_TRUE(testing::write_bytes(link, {'x'}));
    EXPECT_TRUE(shortcut_file_exists(link.c_str()));
    EXPECT_TRUE(delete_shortcut_file(link.c_str()));
    ASSERT_TRUE(CreateDirectoryW(link.c_str(), nullptr));
    EXPECT_FALSE(shortcut_file_exists(link.c_str()));
    EXPECT_FALSE(delete_shortcut_file(link.c_str()));
    EXPECT_NE(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ShortcutFile, PathsTooLongOrUnwritableCreateNothing) {
    testing::TempFolder dir;
    std::wstring link = dir.file(kLinkName);
    on_fresh_thread([&] {
        std::wstring long_folder = L"C:\\" + std::wstring(250, L'a');
        EXPECT_TRUE(FAILED(create_shortcut_file(link.c_str(), long_folder.c_str())));
        std::wstring long_link = dir.path() + L"\\" + std::wstring(300, L'l') + L".lnk";
        EXPECT_TRUE(FAILED(create_shortcut_file(long_link.c_str(), L"C:\\Tools")));
        std::wstring no_folder = dir.path() + L"\\missing\\" + kLinkName;
        EXPECT_TRUE(FAILED(create_shortcut_file(no_folder.c_str(), L"C:\\Tools")));
    });
    EXPECT_FALSE(testing::file_exists(link));
    // The folder holds nothing at all afterwards.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir.path() + L"\\*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        if (std::wcscmp(data.cFileName, L".") && std::wcscmp(data.cFileName, L".."))
            names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    EXPECT_TRUE(names.empty()) << names.front();
}

TEST(ShortcutCom, LeavesTheThreadAsItFoundIt) {
    testing::TempFolder dir;
    std::wstring link = dir.file(kLinkName);
    // A thread without COM: initialised for the call and uninitialised after,
    // so a new apartment-threaded initialisation is again the first one.
    on_fresh_thread([&] {
        EXPECT_EQ(create_shortcut_file(link.c_str(), L"C:\\Tools"), S_OK);
        HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EXPECT_EQ(again, S_OK);
        if (SUCCEEDED(again)) CoUninitialize();
    });
    // A thread already in the multithreaded model: the link is still written
    // and the caller's initialisation is neither changed nor undone.
    on_fresh_thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(create_shortcut_file(link.c_str(), L"E:\\Multi"), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
    });
    LinkContents c = read_link(link);
    ASSERT_TRUE(c.loaded);
    EXPECT_EQ(c.target, L"E:\\Multi\\Markomi2.exe");
}

std::wstring folder_of(int csidl) {
    wchar_t buf[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf);
    return buf;
}

// The real desktop and startup folders belong to the prefix every test of
// the tree shares: a shortcut found there beforehand is put back afterwards.
class SpecialFolderShortcut : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        link_ = folder_of(GetParam());
        ASSERT_FALSE(link_.empty());
        link_ += L"\\";
        link_ += GetParam() == CSIDL_SENDTO ? L"マルコミ２で捺印.lnk" : kLinkName;
        had_link_ = testing::file_exists(link_);
        if (had_link_) saved_ = testing::read_bytes(link_);
        saved_install_ = g_install_folder;
        DeleteFileW(link_.c_str());
    }
    void TearDown() override {
        DeleteFileW(link_.c_str());
        if (had_link_) testing::write_bytes(link_, saved_);
        std::wcsncpy(g_install_folder, saved_install_.c_str(), 260);
        g_install_folder[260] = 0;
    }
    std::wstring link_;
    bool had_link_ = false;
    std::vector<unsigned char> saved_;
    std::wstring saved_install_;
};

TEST_P(SpecialFolderShortcut, CreateExistsAndDeleteWorkOnTheFolder) {
    const int csidl = GetParam();
    std::wstring path;
    ASSERT_TRUE(shortcut_path_of(csidl, &path));
    EXPECT_EQ(path, link_);

    std::wcscpy(g_install_folder, L"C:\\Tools\\Stamp");
    on_fresh_thread([&] {
        EXPECT_FALSE(shortcut_exists(csidl));
        EXPECT_FALSE(delete_shortcut(csidl));
        EXPECT_EQ(create_shortcut(csidl), S_OK);
        EXPECT_TRUE(shortcut_exists(csidl));
    });
    LinkContents c = read_link(link_);
    ASSERT_TRUE(c.loaded);
    EXPECT_EQ(c.target, L"C:\\Tools\\Stamp\\Markomi2.exe");
    EXPECT_EQ(c.working_directory, L"C:\\Tools\\Stamp");
    std::wstring target;
    on_fresh_thread([&] { EXPECT_TRUE(shortcut_file_target(link_.c_str(), &target)); });
    EXPECT_EQ(target, c.target);

    std::wcscpy(g_install_folder, L"C:");
    on_fresh_thread([&] { EXPECT_EQ(create_shortcut(csidl), S_OK); });
    c = read_link(link_);
    EXPECT_EQ(c.target, L"C:\\Markomi2.exe");
    EXPECT_EQ(c.working_directory, L"C:\\");

    EXPECT_TRUE(delete_shortcut(csidl));
    EXPECT_FALSE(testing::file_exists(link_));
    EXPECT_FALSE(shortcut_exists(csidl));
    EXPECT_FALSE(delete_shortcut(csidl));
}

INSTANTIATE_TEST_SUITE_P(DesktopStartupAndSendTo, SpecialFolderShortcut,
                         ::testing::Values(CSIDL_DESKTOP, CSIDL_STARTUP, CSIDL_SENDTO),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == CSIDL_DESKTOP   ? "Desktop"
                                    : info.param == CSIDL_STARTUP ? "Startup"
                                                                  : "SendTo";
                         });

TEST(SpecialFolderShortcut, AFolderWithoutAFileSystemPathGetsNoShortcut) {
    // "This PC" has an item list but no path on disk; a number that names no
    // folder at all fails earlier. Neither must end up writing a link anywhere.
    for (int csidl : {static_cast<int>(CSIDL_DRIVES), 0x7F}) {
        std::wstring path;
        EXPECT_FALSE(shortcut_path_of(csidl, &path)) << csidl;
        EXPECT_FALSE(shortcut_exists(csidl)) << csidl;
        EXPECT_FALSE(delete_shortcut(csidl)) << csidl;
        HRESULT hr = S_OK;
        on_fresh_thread([&] { hr = create_shortcut(csidl); });
        EXPECT_TRUE(FAILED(hr)) << csidl;
    }
    wchar_t current[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_FALSE(testing::file_exists(std::wstring(current) + L"\\" + kLinkName));
    EXPECT_FALSE(testing::file_exists(std::wstring(L"C:\\") + kLinkName));
}

}  // namespace
}  // namespace markomi
