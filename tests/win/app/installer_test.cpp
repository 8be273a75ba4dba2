// The installer Markomi2_Setup.exe, run silently as an administrator's script
// would: "/S /D=<folder>". It must put the four files in place, write the
// uninstall key Markomi2.exe and the uninstaller read, create the program-menu
// shortcut and nothing in the installing administrator's profile (the
// desktop icon is asked of the program), end a copy of the program that is running when it
// starts, take the previous folder when none is given, and refuse a folder
// that the programs could not read back from "Path".
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

#include "app/support/program_driver.h"
#include "support/fixture_paths.h"
#include "support/test_files.h"

#ifdef MARKOMI2_SETUP_EXE_PATH

namespace {

namespace t = markomi::testing;

std::wstring setup_exe() { return t::fixture_path(MARKOMI2_SETUP_EXE_PATH, L"Markomi2_Setup.exe"); }

constexpr wchar_t kInstallFolder[] = L"C:\\Markomi2 テスト\\Markomi2";
constexpr wchar_t kInstallParent[] = L"C:\\Markomi2 テスト";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Markomi2";
constexpr const wchar_t* kFiles[] = {L"Markomi2.exe", L"Markomi2Stamp.exe", L"Markomi2_Uninstaller.exe",
                                     L"Markomi2.chm"};

// "マルコミ２.lnk" in a special folder.
std::wstring special_shortcut(int csidl) {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\マルコミ２.lnk";
}

std::wstring program_menu_shortcut() { return special_shortcut(CSIDL_COMMON_PROGRAMS); }

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

// Runs the installer silently into `folder` (its own choice when empty); the
// exit code, or -1 when it could not be started or did not finish within a minute.
long run_setup(const std::wstring& folder) {
    // NSIS takes /D= as the last argument, unquoted, spaces and all.
    std::wstring command = L"\"" + setup_exe() + L"\" /S";
    if (!folder.empty()) command += L" /D=" + folder;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        // Said, so that a run that could not start the setup is told from one it failed.
        std::fprintf(stderr, "run_setup: CreateProcessW failed with error %lu\n", GetLastError());
        return -1;
    }
    CloseHandle(pi.hThread);
    long result = -1;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        result = static_cast<long>(code);
    } else {
        std::fprintf(stderr, "run_setup: the setup did not end within 60 s\n");
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

// The installer's own choice: Markomi2 in the 64-bit program files folder.
std::wstring default_folder() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Markomi2";
}

bool folder_exists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool uninstall_key_exists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
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
        t::remove_tree(default_folder());
        t::remove_tree(t::settings_folder());
        for (int csidl :
             {CSIDL_COMMON_PROGRAMS, CSIDL_STARTUP, CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY})
            DeleteFileW(special_shortcut(csidl).c_str());
    }
    t::Program program_;
};

TEST_F(DesktopInstaller, SilentInstallPutsFilesKeyAndShortcutInPlace) {
    ASSERT_TRUE(t::file_exists(setup_exe()));
    ASSERT_EQ(run_setup(kInstallFolder), 0);

    const std::wstring folder = kInstallFolder;
    for (const wchar_t* name : kFiles) {
        std::wstring installed = folder + L"\\" + name;
        EXPECT_TRUE(t::file_exists(installed)) << "missing: " << std::string(name, name + wcslen(name));
    }
    // The installed program is the built one, byte for byte.
    // (Compared as a whole: a failure must not print megabytes.)
    EXPECT_TRUE(t::read_bytes(folder + L"\\Markomi2.exe") == t::read_bytes(t::markomi2_exe()));

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

    // A silent install asks for the desktop icon, which the program makes
    // for each user; the installer itself puts none on any desktop (its
    // administrator may not be the user).
    EXPECT_EQ(uninstall_dword(L"DesktopIcon"), 1u);
    EXPECT_EQ(uninstall_value(L"InstallId").size(), 38u) << "no installation identifier";
    EXPECT_FALSE(t::file_exists(special_shortcut(CSIDL_DESKTOP)));
    EXPECT_FALSE(t::file_exists(special_shortcut(CSIDL_COMMON_DESKTOPDIRECTORY)));
    EXPECT_FALSE(t::file_exists(special_shortcut(CSIDL_STARTUP)));
}

// Without /D= the first install goes to the program files folder; a later
// one goes where the installation it replaces is, and keeps its identifier
// (so that an update gives no user the desktop icon again).
TEST_F(DesktopInstaller, WithoutAFolderItTakesTheDefaultThenThePreviousOne) {
    ASSERT_EQ(run_setup(L""), 0);
    EXPECT_TRUE(t::file_exists(default_folder() + L"\\Markomi2.exe"));
    EXPECT_TRUE(same_path(uninstall_value(L"Path"), default_folder()));
    const std::wstring install_id = uninstall_value(L"InstallId");
    EXPECT_FALSE(install_id.empty());

    t::remove_tree(default_folder());
    ASSERT_EQ(run_setup(kInstallFolder), 0);
    ASSERT_EQ(run_setup(L""), 0);
    EXPECT_FALSE(folder_exists(default_folder()));
    EXPECT_TRUE(t::file_exists(std::wstring(kInstallFolder) + L"\\Markomi2.exe"));
    EXPECT_EQ(uninstall_value(L"Path"), kInstallFolder);
    EXPECT_EQ(uninstall_value(L"InstallId"), install_id);
}

// "Path" is read back into 128 bytes: 63 characters fit, 64 do not. A folder
// that does not fit is refused before anything is written.
TEST_F(DesktopInstaller, AFolderTheProgramsCouldNotReadBackIsRefused) {
    const std::wstring base = std::wstring(kInstallParent) + L"\\";
    const std::wstring longest = base + std::wstring(63 - base.size(), L'a');
    const std::wstring too_long = base + std::wstring(64 - base.size(), L'b');
    ASSERT_EQ(longest.size(), 63u);

    EXPECT_EQ(run_setup(too_long), 2);
    EXPECT_FALSE(folder_exists(too_long));
    EXPECT_FALSE(uninstall_key_exists());
    EXPECT_FALSE(t::file_exists(special_shortcut(CSIDL_DESKTOP)));
    EXPECT_FALSE(t::file_exists(program_menu_shortcut()));

    ASSERT_EQ(run_setup(longest), 0);
    EXPECT_TRUE(t::file_exists(longest + L"\\Markomi2.exe"));
    EXPECT_EQ(uninstall_value(L"Path"), longest);
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
    EXPECT_TRUE(t::read_bytes(exe) == t::read_bytes(t::markomi2_exe()));
    EXPECT_GT(t::read_bytes(folder + L"\\Markomi2.chm").size(), 1000u);
    EXPECT_EQ(uninstall_value(L"Path"), folder);
}

// The installer run with its pages, ended when the test is done with it.
struct InteractiveSetup {
    explicit InteractiveSetup(const std::wstring& arguments) {
        std::wstring command = L"\"" + setup_exe() + L"\" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            process = pi.hProcess;
            pid = pi.dwProcessId;
        }
    }
    ~InteractiveSetup() {
        if (!process) return;
        if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
    HANDLE process = nullptr;
    DWORD pid = 0;
};

// The folder page does not let a folder too long for "Path" pass: [次へ]
// shows the reason in a message box titled like the programs' own, and the
// page stays.
TEST_F(DesktopInstaller, TheFolderPageRefusesAFolderTooLongForPath) {
    const std::wstring base = std::wstring(kInstallParent) + L"\\";
    const std::wstring too_long = base + std::wstring(64 - base.size(), L'c');
    InteractiveSetup setup(L"/D=" + too_long);
    ASSERT_NE(setup.process, nullptr);
    HWND wizard = t::wait_for_window([&] { return t::find_program_window(setup.pid, L"#32770"); });
    ASSERT_NE(wizard, nullptr);
    // Welcome, components, folder: [次へ] until the refusal comes, one
    // press at a time (a press queued behind the box would press again).
    auto refusal = [&] { return t::find_program_window(setup.pid, L"#32770", L"マルコミ２"); };
    HWND box = nullptr;
    RECT r{};
    for (int page = 0; page < 4 && !box; ++page) {
        PostMessageW(wizard, WM_COMMAND, IDOK, 0);
        box = t::wait_for_window(refusal, 30);
        if (page == 0) {  // the components page, with the desktop icon choice
            GetWindowRect(wizard, &r);
            t::save_screen_artifact(r, L"installer-components");
        }
    }
    ASSERT_NE(box, nullptr) << "the folder page let the folder pass";
    wchar_t text[512] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    EXPECT_NE(std::wstring(text).find(L"63 文字以内"), std::wstring::npos);
    GetWindowRect(box, &r);
    t::save_screen_artifact(r, L"installer-folder-refused");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    t::pump_messages(500);
    EXPECT_EQ(WaitForSingleObject(setup.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(folder_exists(too_long));
    EXPECT_FALSE(uninstall_key_exists());
}

// A visible window of `pid` with the class, any title.
HWND wait_for(DWORD pid, const wchar_t* window_class, int tries = 200) {
    return t::wait_for_window([&] { return t::find_program_window(pid, window_class); }, tries);
}

void press(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// Installed, used, then removed again with the uninstaller from its folder:
// nothing of the installation is left but the temporary copy, which goes at
// the next restart. The desktop icon is the program's to give, once.
TEST_F(DesktopInstaller, InstallUseAndUninstallLeaveNothingBehind) {
    const std::wstring folder = kInstallFolder;
    ASSERT_EQ(run_setup(kInstallFolder), 0);
    ASSERT_TRUE(t::write_settings(L"STATIONTYPE=1\r\n"));
    EXPECT_FALSE(t::file_exists(special_shortcut(CSIDL_DESKTOP)));
    program_ = t::start_process(folder + L"\\Markomi2.exe");
    HWND main = t::wait_for_main_window(program_.pid);
    ASSERT_NE(main, nullptr);
    t::pump_messages(2500);  // the opening notice goes by

    // The first start made the desktop icon for this user.
    LinkInfo desktop = read_link(special_shortcut(CSIDL_DESKTOP));
    ASSERT_TRUE(desktop.loaded) << "the first start made no desktop icon";
    EXPECT_TRUE(same_path(desktop.target, folder + L"\\Markomi2.exe"));
    EXPECT_TRUE(same_path(desktop.working_folder, folder));
    // Preferences: the desktop icon off, the startup icon on, applied.
    PostMessageW(main, WM_COMMAND, 113, 0);
    HWND preferences = wait_for(program_.pid, L"MARKOMI2CHILD");
    ASSERT_NE(preferences, nullptr);
    press(GetDlgItem(preferences, 146));
    t::pump_messages(200);
    press(GetDlgItem(preferences, 147));
    t::pump_messages(200);
    press(GetDlgItem(preferences, 121));
    for (int i = 0; i < 100 && IsWindow(preferences); ++i) t::pump_messages(50);
    EXPECT_FALSE(t::file_exists(special_shortcut(CSIDL_DESKTOP)));
    EXPECT_TRUE(t::file_exists(special_shortcut(CSIDL_STARTUP)));
    EXPECT_TRUE(t::file_exists(program_menu_shortcut()));

    // A later start does not give the deleted icon back.
    t::close_program(program_);
    program_ = t::start_process(folder + L"\\Markomi2.exe");
    main = t::wait_for_main_window(program_.pid);
    ASSERT_NE(main, nullptr);
    t::pump_messages(500);
    EXPECT_FALSE(t::file_exists(special_shortcut(CSIDL_DESKTOP))) << "the deleted icon came back";

    // Help from the menu opens the installed help file.
    PostMessageW(main, WM_COMMAND, 114, 0);
    HWND help = wait_for(program_.pid, L"HH Parent");
    ASSERT_NE(help, nullptr);
    wchar_t title[128] = L"";
    GetWindowTextW(help, title, 128);
    EXPECT_NE(std::wstring(title).find(L"マルコミ２"), std::wstring::npos);
    t::pump_messages(1500);
    // Help that opened tells of no failure.
    EXPECT_EQ(t::find_program_window(program_.pid, L"#32770", L"マルコミ２"), nullptr);
    RECT r{};
    GetWindowRect(help, &r);
    t::save_screen_artifact(r, L"help-window");
    PostMessageW(help, WM_CLOSE, 0, 0);

    // The uninstaller from the program's folder: the program ends at once,
    // the copy in the temporary folder asks.
    t::Program first = t::start_process(folder + L"\\Markomi2_Uninstaller.exe");
    EXPECT_TRUE(t::has_exited(program_, 10000));
    EXPECT_TRUE(t::has_exited(first, 10000));
    HWND window = t::wait_for_window([] {
        HWND w = FindWindowW(L"uninstallMAIN", nullptr);
        return w && IsWindowVisible(w) ? w : nullptr;
    });
    ASSERT_NE(window, nullptr);
    DWORD copy_pid = 0;
    GetWindowThreadProcessId(window, &copy_pid);
    // Execute: the user's own part, then the machine-wide part by the
    // elevated run of the copy (no consent prompt under Wine).
    press(GetDlgItem(window, 205));
    HWND finish = t::wait_for_window([&] { return GetDlgItem(window, 207); });
    ASSERT_NE(finish, nullptr);
    // Nothing went wrong to tell, in either run.
    HWND told = FindWindowW(L"#32770", L"マルコミ２");
    EXPECT_TRUE(!told || !IsWindowVisible(told));

    EXPECT_FALSE(folder_exists(folder));
    EXPECT_FALSE(folder_exists(t::settings_folder()));
    EXPECT_EQ(uninstall_value(L"Path"), L"");
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    if (key) RegCloseKey(key);
    for (int csidl : {CSIDL_DESKTOP, CSIDL_STARTUP})
        EXPECT_FALSE(t::file_exists(special_shortcut(csidl))) << csidl;
    EXPECT_FALSE(t::file_exists(program_menu_shortcut()));

    press(finish);
    HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, copy_pid);
    EXPECT_TRUE(!copy || WaitForSingleObject(copy, 10000) == WAIT_OBJECT_0);
    if (copy) CloseHandle(copy);
}

}  // namespace

#endif  // MARKOMI2_SETUP_EXE_PATH
