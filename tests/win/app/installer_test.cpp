// The installer Markomi2_Setup.exe, run silently as an administrator's script
// would: "/S /D=<folder>". It must put the four files in place, write the
// uninstall key Markomi2.exe and the uninstaller read, create the program-menu
// shortcut and end a copy of the program that is running when it starts.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "app/support/program_driver.h"
#include "support/test_files.h"

#ifdef MARKOMI2_SETUP_EXE_PATH

namespace {

namespace t = markomi::testing;

constexpr wchar_t kInstallFolder[] = L"C:\\Markomi2 テスト\\Markomi2";
constexpr wchar_t kInstallParent[] = L"C:\\Markomi2 テスト";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Markomi2";
constexpr const wchar_t* kFiles[] = {L"Markomi2.exe", L"Markomi2Stamp.exe", L"Markomi2_Uninstaller.exe",
                                     L"Markomi2.chm"};

std::wstring program_menu_shortcut() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\マルコミ２.lnk";
}

// A string value of the uninstall key in the 64-bit view; empty when missing.
std::wstring uninstall_value(const wchar_t* name) {
    wchar_t data[1024] = L"";
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY,
                     nullptr, data, &size) != ERROR_SUCCESS)
        return L"";
    return data;
}

DWORD uninstall_dword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY,
                     nullptr, &value, &size) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

// Runs the installer silently into `folder`; the exit code, or -1 when it
// could not be started or did not finish within a minute.
long run_setup(const std::wstring& folder) {
    // NSIS takes /D= as the last argument, unquoted, spaces and all.
    std::wstring command = std::wstring(L"\"") + MARKOMI2_SETUP_EXE_PATH + L"\" /S /D=" + folder;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    long result = -1;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        result = static_cast<long>(code);
    } else {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hProcess);
    return result;
}

struct LinkInfo {
    bool loaded = false;
    std::wstring target;
    std::wstring working_folder;
};

LinkInfo read_link(const std::wstring& path) {
    LinkInfo info;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t buf[MAX_PATH] = L"";
            info.loaded = true;
            if (SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH))) info.target = buf;
            buf[0] = 0;
            if (SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH))) info.working_folder = buf;
        }
        file->Release();
    }
    link->Release();
    return info;
}

bool same_path(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

class DesktopInstaller : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        t::end_all_copies();
        clean_up();
    }
    void TearDown() override {
        if (program_.process) t::close_program(program_);
        t::end_all_copies();
        clean_up();
        CoUninitialize();
    }
    // What an install leaves behind, plus what a started copy writes for the user.
    static void clean_up() {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
        t::remove_tree(kInstallParent);
        DeleteFileW(program_menu_shortcut().c_str());
        t::remove_tree(t::settings_folder());
        wchar_t startup[MAX_PATH] = L"";
        SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, startup);
        DeleteFileW((std::wstring(startup) + L"\\マルコミ２.lnk").c_str());
    }
    t::Program program_;
};

TEST_F(DesktopInstaller, SilentInstallPutsFilesKeyAndShortcutInPlace) {
    ASSERT_TRUE(t::file_exists(MARKOMI2_SETUP_EXE_PATH));
    ASSERT_EQ(run_setup(kInstallFolder), 0);

    const std::wstring folder = kInstallFolder;
    for (const wchar_t* name : kFiles) {
        std::wstring installed = folder + L"\\" + name;
        EXPECT_TRUE(t::file_exists(installed)) << "missing: " << std::string(name, name + wcslen(name));
    }
    // The installed program is the built one, byte for byte.
    // (Compared as a whole: a failure must not print megabytes.)
    EXPECT_TRUE(t::read_bytes(folder + L"\\Markomi2.exe") == t::read_bytes(MARKOMI2_EXE_PATH));

    // "Path" is how Markomi2.exe finds its folder: no trailing backslash.
    EXPECT_EQ(uninstall_value(L"Path"), folder);
    EXPECT_EQ(uninstall_value(L"DisplayName"), L"マルコミ２");
    EXPECT_EQ(uninstall_value(L"DisplayVersion"), L"1.5");
    EXPECT_FALSE(uninstall_value(L"Publisher").empty());
    EXPECT_EQ(uninstall_value(L"UninstallString"), L"\"" + folder + L"\\Markomi2_Uninstaller.exe\"");
    EXPECT_EQ(uninstall_value(L"DisplayIcon").rfind(folder + L"\\Markomi2.exe", 0), 0u);
    EXPECT_EQ(uninstall_dword(L"NoModify"), 1u);
    EXPECT_EQ(uninstall_dword(L"NoRepair"), 1u);

    LinkInfo link = read_link(program_menu_shortcut());
    ASSERT_TRUE(link.loaded) << "no program-menu shortcut";
    EXPECT_TRUE(same_path(link.target, folder + L"\\Markomi2.exe"));
    EXPECT_TRUE(same_path(link.working_folder, folder));
}

TEST_F(DesktopInstaller, InstallingOverARunningCopyEndsItFirst) {
    const std::wstring folder = kInstallFolder;
    ASSERT_EQ(run_setup(kInstallFolder), 0);
    ASSERT_TRUE(t::write_settings(L"STATIONTYPE=1\r\n"));

    // Start the installed copy from its folder, as the shortcut does.
    std::wstring exe = folder + L"\\Markomi2.exe";
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &si, &pi));
    CloseHandle(pi.hThread);
    program_.process = pi.hProcess;
    program_.pid = pi.dwProcessId;
    ASSERT_NE(t::wait_for_main_window(program_.pid), nullptr);
    EXPECT_FALSE(t::has_exited(program_, 0));

    // The installed files are damaged a little, so the second install is seen to replace them.
    ASSERT_TRUE(t::write_bytes(folder + L"\\Markomi2.chm", {'x'}));

    ASSERT_EQ(run_setup(kInstallFolder), 0);
    DWORD code = 0;
    EXPECT_TRUE(t::has_exited(program_, 0, &code)) << "the running copy was not ended";
    EXPECT_TRUE(t::main_windows().empty());
    EXPECT_TRUE(t::read_bytes(exe) == t::read_bytes(MARKOMI2_EXE_PATH));
    EXPECT_GT(t::read_bytes(folder + L"\\Markomi2.chm").size(), 1000u);
    EXPECT_EQ(uninstall_value(L"Path"), folder);
}

}  // namespace

#endif  // MARKOMI2_SETUP_EXE_PATH
