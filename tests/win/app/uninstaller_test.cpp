// Whole-program drives of Markomi2_Uninstaller.exe: both stages with the
// temporary copy, the running stamp program ended first, everything of an
// installation removed (the user's part by the copy, the machine-wide part by
// its elevated run), the elevated run alone, the refusals, and registry
// values naming folders that must never be deleted.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/support/program_driver.h"
#include "app/support/target_document.h"
#include "support/test_files.h"
#include "ui/shortcuts_win.h"

namespace {

namespace t = markomi::testing;

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Markomi2";
constexpr wchar_t kTitle[] = L"マルコミ２";
constexpr int kShortcutFolders[] = {CSIDL_STARTUP, CSIDL_COMMON_PROGRAMS, CSIDL_DESKTOP, CSIDL_SENDTO};

bool write_install_key(const std::wstring* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    if (path)
        ok = RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path->c_str()),
                            static_cast<DWORD>((path->size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool install_key_exists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool folder_exists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring shortcut(int csidl) {
    std::wstring link;
    markomi::shortcut_path_of(csidl, &link);
    return link;
}

std::wstring process_image(DWORD pid) {
    std::wstring image;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return image;
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, path, &size)) image.assign(path, size);
    CloseHandle(process);
    return image;
}

std::wstring window_text(HWND w) {
    wchar_t text[256] = L"";
    GetWindowTextW(w, text, 256);
    return text;
}

std::wstring message_text(HWND box) {
    wchar_t text[512] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    return text;
}

HWND uninstall_window_of(DWORD pid) {
    return t::wait_for_window([&] { return t::find_program_window(pid, L"uninstallMAIN"); });
}

// Any visible uninstall window, whichever process shows it.
HWND any_uninstall_window() {
    return t::wait_for_window([] {
        HWND w = FindWindowW(L"uninstallMAIN", nullptr);
        return w && IsWindowVisible(w) ? w : nullptr;
    });
}

// The uninstaller's message box of `pid` (any process when 0).
HWND message_box_of(DWORD pid, int tries = 200) {
    return t::wait_for_window(
        [&] {
            HWND w = nullptr;
            while ((w = FindWindowExW(nullptr, w, L"#32770", kTitle)) != nullptr)
                if (IsWindowVisible(w) && (pid == 0 || t::owner_of(w) == pid)) return w;
            return static_cast<HWND>(nullptr);
        },
        tries);
}

// The control with the keyboard focus in `window`'s thread.
HWND focus_of(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void answer(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

void click(HWND button) {
    DWORD_PTR result;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 2000, &result);
}

class DesktopUninstaller : public ::testing::Test {
protected:
    void SetUp() override {
        t::end_all_copies();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
        install_ = folder_.path() + L"\\Markomi2";
        CreateDirectoryW(install_.c_str(), nullptr);
        CopyFileW(t::markomi2_exe().c_str(), (install_ + L"\\Markomi2.exe").c_str(), FALSE);
        CopyFileW(t::uninstaller_exe().c_str(), (install_ + L"\\Markomi2_Uninstaller.exe").c_str(), FALSE);
        t::write_settings(L"STATIONTYPE=0\r\n");
        for (int csidl : kShortcutFolders) markomi::create_shortcut_file(shortcut(csidl).c_str(), install_.c_str());
    }
    void TearDown() override {
        for (DWORD pid : started_) {
            if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
                if (WaitForSingleObject(p, 0) != WAIT_OBJECT_0) TerminateProcess(p, 1);
                CloseHandle(p);
            }
        }
        t::close_program(program_);
        t::end_all_copies();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
        t::remove_tree(t::settings_folder());
        for (int csidl : kShortcutFolders) DeleteFileW(shortcut(csidl).c_str());
        if (!copy_.empty()) DeleteFileW(copy_.c_str());
    }

    t::Program run(const std::wstring& exe, const std::wstring& arguments) {
        t::Program p = t::start_process(exe, arguments);
        started_.push_back(p.pid);
        return p;
    }
    bool all_shortcuts_exist() {
        for (int csidl : kShortcutFolders)
            if (!t::file_exists(shortcut(csidl))) return false;
        return true;
    }
    bool no_shortcut_exists() {
        for (int csidl : kShortcutFolders)
            if (t::file_exists(shortcut(csidl))) return false;
        return true;
    }
    // Execute on the confirmation page of `window`, answering the
    // unsafe-folder message when one comes; the text of that message. The
    // message comes from the elevated run: any process's box counts.
    std::wstring execute(HWND window, DWORD pid = 0) {
        HWND execute_button = GetDlgItem(window, 205);
        EXPECT_NE(execute_button, nullptr);
        PostMessageW(execute_button, BM_CLICK, 0, 0);
        std::wstring told;
        for (int i = 0; i < 200; ++i) {
            if (HWND box = message_box_of(pid, 1)) {
                told = message_text(box);
                answer(box);
            }
            if (GetDlgItem(window, 207)) break;
            t::pump_messages(50);
        }
        return told;
    }

    t::TempFolder folder_;
    std::wstring install_;
    t::Program program_;
    std::vector<DWORD> started_;
    std::wstring copy_;  // the temporary copy, once known
};

TEST_F(DesktopUninstaller, BothStagesEndTheProgramAndRemoveTheWholeInstallation) {
    ASSERT_TRUE(write_install_key(&install_));
    ASSERT_TRUE(all_shortcuts_exist());
    // The installed program makes the user's 送る entry when it is missing.
    DeleteFileW(shortcut(CSIDL_SENDTO).c_str());
    program_ = t::start_process(install_ + L"\\Markomi2.exe");
    HWND main = t::wait_for_main_window(program_.pid);
    ASSERT_NE(main, nullptr);
    std::wstring send_to_target;
    EXPECT_TRUE(markomi::shortcut_file_target(shortcut(CSIDL_SENDTO).c_str(), &send_to_target));
    EXPECT_EQ(send_to_target, install_ + L"\\Markomi2.exe");

    // First stage, from the install folder: the program ends before anything
    // is asked, and a numbered copy in the temporary folder takes over.
    t::Program first = run(install_ + L"\\Markomi2_Uninstaller.exe", L"");
    EXPECT_TRUE(t::has_exited(program_, 10000));
    EXPECT_TRUE(t::has_exited(first, 10000));
    HWND window = any_uninstall_window();
    ASSERT_NE(window, nullptr);
    const DWORD copy_pid = t::owner_of(window);
    started_.push_back(copy_pid);
    EXPECT_NE(copy_pid, first.pid);
    const std::wstring copy = process_image(copy_pid);
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring name = copy.substr(copy.find_last_of(L'\\') + 1);
    EXPECT_EQ(lstrcmpiW(copy.substr(0, copy.find_last_of(L'\\') + 1).c_str(), temp), 0) << copy;
    copy_ = copy;
    EXPECT_EQ(name.size(), 12u) << name;
    EXPECT_EQ(name.substr(0, 5), L"unins");
    EXPECT_EQ(name.substr(8), L".exe");
    // Marked for deletion at the next restart.
    HKEY session = nullptr;
    std::wstring pending;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &session) == ERROR_SUCCESS) {
        std::vector<wchar_t> data(32768);
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(session, L"PendingFileRenameOperations", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS)
            pending.assign(data.data(), size / sizeof(wchar_t));
        RegCloseKey(session);
    }
    EXPECT_NE(pending.find(name), std::wstring::npos);

    // The confirmation page.
    EXPECT_EQ(window_text(window), L" マルコミ２ Ver1.5　アンインストール");
    HWND cancel = GetDlgItem(window, 204);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(window_text(cancel), L"キャンセル");
    EXPECT_EQ(window_text(GetDlgItem(window, 205)), L"実　行");
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
    t::save_screen_artifact(r, L"uninstaller-confirmation");

    EXPECT_EQ(execute(window), L"");
    ASSERT_NE(GetDlgItem(window, 207), nullptr);
    EXPECT_EQ(window_text(GetDlgItem(window, 207)), L"終　了");
    GetWindowRect(window, &r);
    t::save_screen_artifact(r, L"uninstaller-finished");
    EXPECT_FALSE(install_key_exists());
    EXPECT_FALSE(folder_exists(install_));
    EXPECT_FALSE(folder_exists(t::settings_folder()));
    EXPECT_TRUE(no_shortcut_exists());

    click(GetDlgItem(window, 207));
    HANDLE copy_process = OpenProcess(SYNCHRONIZE, FALSE, copy_pid);
    EXPECT_TRUE(!copy_process || WaitForSingleObject(copy_process, 10000) == WAIT_OBJECT_0);
    if (copy_process) CloseHandle(copy_process);
}

// The elevated half on its own, as Windows runs it after the consent prompt.
// Under Wine it runs as the same user, whose own things then stand for the
// administrator's: they stay, the machine-wide ones go.
TEST_F(DesktopUninstaller, TheElevatedRunRemovesOnlyMachineWideThings) {
    ASSERT_TRUE(write_install_key(&install_));
    // From a copy, as the temporary one: it marks itself for deletion at the
    // next restart, which the build tree's file must not be.
    copy_ = folder_.path() + L"\\unins500.exe";
    ASSERT_TRUE(CopyFileW(t::uninstaller_exe().c_str(), copy_.c_str(), FALSE));
    t::Program machine = run(copy_, L"/machine");
    DWORD code = 99;
    EXPECT_TRUE(t::has_exited(machine, 20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(install_key_exists());
    EXPECT_FALSE(folder_exists(install_));
    EXPECT_FALSE(t::file_exists(shortcut(CSIDL_COMMON_PROGRAMS)));
    EXPECT_TRUE(folder_exists(t::settings_folder()));
    EXPECT_TRUE(t::file_exists(shortcut(CSIDL_DESKTOP)));
    EXPECT_TRUE(t::file_exists(shortcut(CSIDL_STARTUP)));
    EXPECT_TRUE(t::file_exists(shortcut(CSIDL_SENDTO)));

    // With no installation left it says so and ends in a failure, which the
    // waiting half then reports instead of a finished uninstall.
    t::Program again = run(copy_, L"/machine");
    HWND box = message_box_of(again.pid);
    ASSERT_NE(box, nullptr);
    answer(box);
    EXPECT_TRUE(t::has_exited(again, 10000, &code));
    EXPECT_EQ(code, 1u);
}

TEST_F(DesktopUninstaller, RefusalsChangeNothing) {
    ASSERT_TRUE(write_install_key(&install_));
    // "/U" is not "/u".
    t::Program upper = run(t::uninstaller_exe(), L"/U");
    HWND box = message_box_of(upper.pid);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), L"コマンドラインが不正です。");
    answer(box);
    EXPECT_TRUE(t::has_exited(upper, 10000));

    // Enter on the focused cancel button ends it.
    t::Program window_stage = run(t::uninstaller_exe(), L"/u");
    HWND window = uninstall_window_of(window_stage.pid);
    ASSERT_NE(window, nullptr);
    HWND cancel = GetDlgItem(window, 204);
    HWND execute_button = GetDlgItem(window, 205);
    // The window shows a moment before its first button takes the focus.
    EXPECT_EQ(t::wait_for_window([&] { return focus_of(window) == cancel ? cancel : nullptr; }, 100), cancel);
    // Tab, Up and Down pass the focus between the two buttons.
    DWORD_PTR result;
    SendMessageTimeoutW(cancel, WM_KEYDOWN, VK_TAB, 1, SMTO_NORMAL, 2000, &result);
    EXPECT_EQ(focus_of(window), execute_button);
    SendMessageTimeoutW(execute_button, WM_KEYDOWN, VK_UP, 1, SMTO_NORMAL, 2000, &result);
    EXPECT_EQ(focus_of(window), cancel);
    PostMessageW(cancel, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(cancel, WM_CHAR, L'\r', 1);
    EXPECT_TRUE(t::has_exited(window_stage, 10000));
    EXPECT_TRUE(install_key_exists());
    EXPECT_TRUE(folder_exists(install_));
    EXPECT_TRUE(folder_exists(t::settings_folder()));
    EXPECT_TRUE(all_shortcuts_exist());

    // No installation recorded: told so, nothing touched.
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    t::Program missing = run(t::uninstaller_exe(), L"/u");
    box = message_box_of(missing.pid);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), L"マルコミ２インストール情報が取得出来ませんでした。");
    answer(box);
    EXPECT_TRUE(t::has_exited(missing, 10000));
    EXPECT_EQ(FindWindowW(L"uninstallMAIN", nullptr), nullptr);
    EXPECT_TRUE(folder_exists(install_));
    EXPECT_TRUE(folder_exists(t::settings_folder()));
    EXPECT_TRUE(all_shortcuts_exist());
}

TEST_F(DesktopUninstaller, AStampProgramStartedMeanwhileStopsTheRemoval) {
    ASSERT_TRUE(write_install_key(&install_));
    t::Program window_stage = run(t::uninstaller_exe(), L"/u");
    HWND window = uninstall_window_of(window_stage.pid);
    ASSERT_NE(window, nullptr);
    program_ = t::start_process(install_ + L"\\Markomi2.exe");
    ASSERT_NE(t::wait_for_main_window(program_.pid), nullptr);
    PostMessageW(GetDlgItem(window, 205), BM_CLICK, 0, 0);
    HWND box = message_box_of(window_stage.pid);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), L"マルコミ２を終了させてから再実行して下さい。");
    answer(box);
    EXPECT_TRUE(t::has_exited(window_stage, 10000));
    EXPECT_TRUE(install_key_exists());
    EXPECT_TRUE(folder_exists(install_));
    EXPECT_TRUE(all_shortcuts_exist());
}

TEST_F(DesktopUninstaller, UnsafeInstallFoldersAreLeftAloneAndTheRestGoes) {
    // A folder of the user's own that does not hold the program.
    const std::wstring documents = folder_.path() + L"\\Documents";
    CreateDirectoryW(documents.c_str(), nullptr);
    wchar_t windows[MAX_PATH] = L"";
    GetWindowsDirectoryW(windows, MAX_PATH);
    wchar_t profile[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile);
    const std::wstring drive = std::wstring(windows).substr(0, 3);
    const std::vector<std::wstring> values = {L"", drive, windows, profile, documents, L"Markomi2"};
    for (const std::wstring& value : values) {
        SCOPED_TRACE(::testing::Message() << "Path=\"" << std::string(value.begin(), value.end()) << "\"");
        ASSERT_TRUE(write_install_key(&value));
        t::write_settings(L"STATIONTYPE=0\r\n");
        for (int csidl : kShortcutFolders)
            markomi::create_shortcut_file(shortcut(csidl).c_str(), install_.c_str());
        t::Program window_stage = run(t::uninstaller_exe(), L"/u");
        HWND window = uninstall_window_of(window_stage.pid);
        ASSERT_NE(window, nullptr);
        const std::wstring told = execute(window);
        EXPECT_NE(told.find(L"削除しませんでした"), std::wstring::npos) << "no message";
        EXPECT_NE(GetDlgItem(window, 207), nullptr);
        click(GetDlgItem(window, 207));
        EXPECT_TRUE(t::has_exited(window_stage, 10000));
        // The safe parts went; the named folder stayed.
        EXPECT_FALSE(install_key_exists());
        EXPECT_FALSE(folder_exists(t::settings_folder()));
        EXPECT_TRUE(no_shortcut_exists());
        if (!value.empty() && value != L"Markomi2") {
            EXPECT_TRUE(folder_exists(value));
        }
    }
    EXPECT_TRUE(folder_exists(documents));
    EXPECT_TRUE(folder_exists(install_));
    EXPECT_TRUE(t::file_exists(std::wstring(windows) + L"\\notepad.exe"));
}

}  // namespace
