#include "uninstaller/uninstaller_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <optional>
#include <vector>

#include "app/program_paths_win.h"
#include "base/file_checks_win.h"
#include "base/message_box_title.h"
#include "base/wide_text_win.h"
#include "base/win_handles_win.h"
#include "ui/shortcuts_win.h"

namespace markomi {
namespace {

constexpr wchar_t kStampMainClass[] = L"Markomi2MAIN";  // classes match regardless of case
constexpr wchar_t kUninstallerFile[] = L"\\Markomi2_Uninstaller.exe";
constexpr wchar_t kProgramFile[] = L"\\Markomi2.exe";
constexpr wchar_t kCopyFailedFormat[] = L"getLastErrorMessage(%s) : %s";
constexpr wchar_t kFolderMissingText[] =
    L"インストール先フォルダーが登録されていないため、プログラムのフォルダーは削除しませんでした。\n"
    L"設定、ショートカット、アンインストール情報は削除します。";
constexpr wchar_t kFolderUnsafeFormat[] =
    L"登録されているインストール先「%s」は削除してよいフォルダーではないため、削除しませんでした。\n"
    L"設定、ショートカット、アンインストール情報は削除します。";

// Empty when the shell cannot tell the folder.
std::wstring special_folder(int csidl) {
    std::wstring path;
    return SUCCEEDED(special_folder_path(csidl, &path)) ? path : std::wstring();
}

std::wstring system_message(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    return message;
}

// The shell's delete: to the recycle bin where it can, asking nothing and
// reporting nothing. The path list ends in two terminators.
void delete_folder(const std::wstring& folder) {
    if (folder.empty()) return;
    std::wstring from = folder;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

// The running file: in the second stage and later, the temporary copy.
std::wstring own_path() {
    wchar_t self[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(self, length) : std::wstring();
}

// Waits for `process` while this thread's messages go on: its window paints,
// and messages other programs send it are answered (a sent message wakes the
// wait too). A quit met on the way is posted again for the caller's loop.
bool wait_handling_messages(HANDLE process) {
    bool quit = false;
    int quit_code = 0;
    bool ended = false;
    for (;;) {
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (woke != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quit_code = static_cast<int>(msg.wParam);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (quit) PostQuitMessage(quit_code);
    return ended;
}

void delete_shortcut_in(int csidl) {
    std::wstring link;
    if (shortcut_path_of(csidl, &link) && shortcut_file_exists(link.c_str()))
        delete_shortcut_file(link.c_str());
}

// The 送る entry goes only when it starts a Markomi2.exe: a link of the same
// name the user made for something else stays. Any folder's Markomi2.exe
// counts, as the registry's folder may be wrong (the case this uninstaller
// also cleans up after).
void delete_send_to_entry() {
    std::wstring link, target;
    if (!shortcut_path_of(CSIDL_SENDTO, &link) || !shortcut_file_target(link.c_str(), &target)) return;
    const std::size_t name_length = std::wcslen(kProgramFile);
    if (target.size() >= name_length &&
        CompareStringOrdinal(target.c_str() + target.size() - name_length, -1, kProgramFile, -1, TRUE) ==
            CSTR_EQUAL)
        delete_shortcut_file(link.c_str());
}

}  // namespace

Installation g_installation;

bool stamp_program_running() { return FindWindowW(kStampMainClass, nullptr) != nullptr; }

bool end_running_stamp_program() {
    HWND main = FindWindowW(kStampMainClass, nullptr);
    if (!main) return false;
    SendMessageW(main, WM_DESTROY, 0, 0);
    return true;
}

bool installation_key_present() {
    ScopedRegKey key;
    // The first two stages run as the user: full access to HKEY_LOCAL_MACHINE
    // is refused to a standard user, reading is not.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return false;
    return key.close();
}

Installation find_installation() {
    Installation found;
    if (!read_registry_value(L"HKEY_LOCAL_MACHINE", kUninstallKey, L"Path", &found.install_folder))
        found.install_folder.clear();
    found.settings_folder = to_wide(settings_folder_for_removal(as_u16(special_folder(CSIDL_LOCAL_APPDATA))));
    return found;
}

std::wstring copy_and_restart() {
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::optional<std::u16string> temp_folder;
    if (n > 0 && n <= 260) {
        const DWORD attributes = GetFileAttributesW(temp);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            temp_folder = std::u16string(as_u16(std::wstring_view(temp, n)));
    }
    const std::u16string folder =
        temporary_copy_folder(temp_folder, as_u16(special_folder(CSIDL_COMMON_APPDATA)));
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::wstring copy = to_wide(temporary_copy_path(folder, now.wMilliseconds));
    DeleteFileW(copy.c_str());

    // The copy comes from the install folder; when the registry names none
    // that holds it, from this very file, so that the rest can still go.
    std::wstring source = g_installation.install_folder + kUninstallerFile;
    if (g_installation.install_folder.empty() || !is_existing_file(source.c_str())) {
        const std::wstring self = own_path();
        if (!self.empty()) source = self;
    }
    if (!CopyFileW(source.c_str(), copy.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        wchar_t text[1024];
        std::swprintf(text, 1024, kCopyFailedFormat, L"CopyFile", system_message(error).c_str());
        uninstaller_message(text);
    }
    // Needs an administrator; a standard user's copy is marked by the
    // elevated stage, which runs from it.
    MoveFileExW(copy.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

    // Quoted: a temporary folder may have blanks in its path.
    std::wstring command_line = L"\"" + copy + L"\" /u";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        return std::wstring();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return copy;
}

FolderVerdict judge_installation_folder(const std::wstring& folder) {
    std::vector<std::u16string> guarded;
    wchar_t path[MAX_PATH] = L"";
    if (GetWindowsDirectoryW(path, MAX_PATH)) guarded.emplace_back(as_u16(std::wstring_view(path)));
    if (GetSystemDirectoryW(path, MAX_PATH)) guarded.emplace_back(as_u16(std::wstring_view(path)));
    const int special[] = {
        CSIDL_PROFILE,         CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL,         CSIDL_APPDATA,
        CSIDL_LOCAL_APPDATA,   CSIDL_COMMON_APPDATA,   CSIDL_PROGRAM_FILES,    CSIDL_PROGRAM_FILESX86,
        CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAMS,    CSIDL_COMMON_PROGRAMS,  CSIDL_STARTMENU,
        CSIDL_COMMON_STARTMENU, CSIDL_STARTUP,         CSIDL_COMMON_STARTUP,   CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_COMMON_DOCUMENTS, CSIDL_MYPICTURES,      CSIDL_MYMUSIC,          CSIDL_MYVIDEO,
        CSIDL_FONTS,           CSIDL_TEMPLATES,        CSIDL_WINDOWS,          CSIDL_SYSTEM,
        CSIDL_SYSTEMX86,
    };
    for (int csidl : special) {
        const std::wstring s = special_folder(csidl);
        if (!s.empty()) guarded.emplace_back(as_u16(s));
    }
    const DWORD n = GetEnvironmentVariableW(L"USERPROFILE", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) guarded.emplace_back(as_u16(std::wstring_view(path, n)));
    // The profiles' parent ("C:\Users") holds every user's profile: it is
    // refused through the profile it holds.
    const bool holds_program = !folder.empty() && is_existing_file((folder + kProgramFile).c_str());
    return judge_install_folder(as_u16(folder), guarded, holds_program);
}

void remove_user_parts(const Installation& installation) {
    delete_folder(installation.settings_folder);
    delete_shortcut_in(CSIDL_STARTUP);
    delete_shortcut_in(CSIDL_DESKTOP);
    delete_send_to_entry();
}

bool remove_machine_parts(const Installation& installation) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    const bool key_gone = !installation_key_present();
    const FolderVerdict verdict = judge_installation_folder(installation.install_folder);
    if (verdict == FolderVerdict::kSafe) {
        delete_folder(installation.install_folder);
    } else if (verdict == FolderVerdict::kMissing) {
        uninstaller_message(kFolderMissingText);
    } else {
        wchar_t text[1024];
        std::swprintf(text, 1024, kFolderUnsafeFormat, installation.install_folder.c_str());
        uninstaller_message(text);
    }
    delete_shortcut_in(CSIDL_COMMON_PROGRAMS);
    const std::wstring self = own_path();
    if (!self.empty()) MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return key_gone;
}

MachineRemoval remove_machine_parts_elevated(HWND owner) {
    const std::wstring self = own_path();
    if (self.empty()) return MachineRemoval::kFailed;
    const std::wstring parameters = to_wide(kMachineStageSwitch);
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    // No UI of its own for errors: a refusal is told by the caller in Japanese.
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    run.hwnd = owner;  // the consent prompt belongs to this window
    run.lpVerb = L"runas";
    run.lpFile = self.c_str();
    run.lpParameters = parameters.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&run)) return machine_removal_outcome(false, GetLastError(), 0);
    ScopedHandle process(run.hProcess);
    if (!process.valid()) return MachineRemoval::kFailed;
    EnableWindow(owner, FALSE);
    const bool ended = wait_handling_messages(process.get());
    EnableWindow(owner, TRUE);
    DWORD code = 1;
    if (!ended || !GetExitCodeProcess(process.get(), &code)) return MachineRemoval::kFailed;
    return machine_removal_outcome(true, 0, code);
}

void uninstaller_message(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), kMessageBoxTitle, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}

}  // namespace markomi
