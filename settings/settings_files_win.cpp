#include "settings/settings_files_win.h"

#include <windows.h>

#include <atomic>

#include "base/message_box_title.h"
#include "base/path_join.h"
#include "base/process_globals_win.h"
#include "base/safe_file_win.h"
#include "base/wide_text_win.h"
#include "diag/debug_log_win.h"
#include "settings/memory_profile.h"
#include "settings/pdf_stamp_options.h"
#include "settings/profile_encoding.h"
#include "settings/profile_file_win.h"
#include "settings/settings_rules.h"

namespace markomi {
namespace {

// Far beyond any settings file (about 20 KiB); a larger file is not read at
// all: parsing it would hold up the start while the start-up mutex is held.
constexpr std::size_t kFileLimit = 1u << 20;

// Another copy's save takes milliseconds; a lock held longer than this
// belongs to a copy that hangs, and waiting on would hang this one too.
constexpr DWORD kLockTimeoutMs = 2000;

constexpr wchar_t kLockFileName[] = L"Markomi2.ini.lock";
constexpr wchar_t kBackupSuffix[] = L".bak";

// Quiet while positive: at session end and while another process's request
// ends the program, a message box would block the logoff or the new copy.
int g_quiet_saves = 0;

SettingsFileState g_load_state = SettingsFileState::kMissing;
bool g_load_problem_told = false;

// `folder`\`name`; empty when there is no folder (no settings file at all,
// never one at the root of the current drive) or the path does not fit.
std::wstring file_in(const wchar_t* folder, const wchar_t* name) {
    if (folder == nullptr || *folder == L'\0') return std::wstring();
    return std::wstring(as_wide(path_join(as_u16(std::wstring_view(folder)), u"\\",
                                          as_u16(std::wstring_view(name)))));
}

void log_failure(const wchar_t* what, const std::wstring& path) {
    std::wstring line = std::wstring(what) + L": " + path;
    OutputDebugStringW(line.c_str());
    log_message(line);
}

// A file's text as the profile functions would see it.
struct ProfileText {
    ProfileEncoding encoding = ProfileEncoding::kShiftJis;
    std::u16string text;
};

ProfileText decoded(const std::string& bytes) {
    ProfileText out;
    out.encoding = detect_profile_encoding(bytes);
    out.text = decode_profile_bytes(bytes, out.encoding);
    return out;
}

// The lock every copy of every session takes before it reads a file of
// `folder` to write it again.
FileLock lock_folder(const std::wstring& folder) {
    return FileLock(folder + L"\\" + kLockFileName, kLockTimeoutMs);
}

// Moves a file that cannot be settings out of the way as "<name>.bak", so
// the user keeps it and the program can start afresh.
bool set_aside(const std::wstring& folder, const std::wstring& path) {
    FileLock lock = lock_folder(folder);
    return lock.held() &&
           MoveFileExW(path.c_str(), (path + kBackupSuffix).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// Reads the file at `path` into `set` (defaults first). With a folder given,
// a file too large or not text is moved aside; without, it is only skipped.
SettingsFileState read_settings(const std::wstring& folder, const std::wstring& path,
                                SettingsSet& set) {
    MemoryProfile empty;
    load_settings_from(empty, set);  // the defaults
    load_pdf_options_from(empty, set.pdf);
    if (path.empty()) return SettingsFileState::kMissing;
    FileBytes file = read_file_bytes(path, kFileLimit);
    if (file.state == FileRead::kMissing) return SettingsFileState::kMissing;
    if (file.state == FileRead::kUnreadable) return SettingsFileState::kUnreadable;
    ProfileText text;
    if (file.state == FileRead::kRead) text = decoded(file.bytes);
    if (file.state == FileRead::kRead && is_profile_text(text.text)) {
        MemoryProfile profile = MemoryProfile::parse(text.text);
        load_settings_from(profile, set);
        load_pdf_options_from(profile, set.pdf);
        return SettingsFileState::kRead;
    }
    if (folder.empty() || !set_aside(folder, path)) return SettingsFileState::kUnreadable;
    return SettingsFileState::kSetAside;
}

bool save_settings_at(const std::wstring& folder, const std::wstring& path, SettingsSet& set,
                      SettingsFileState state);

}  // namespace

QuietSaves::QuietSaves(bool quiet) : quiet_(quiet) {
    if (quiet_) ++g_quiet_saves;
}
QuietSaves::~QuietSaves() {
    if (quiet_) --g_quiet_saves;
}

SettingsFileState load_settings_in(const wchar_t* folder, SettingsSet& set) {
    return read_settings(folder ? folder : L"", file_in(folder, kSettingsFileName), set);
}

SettingsFileState load_settings_file(const std::wstring& path, SettingsSet& set) {
    return read_settings(std::wstring(), path, set);
}

bool save_settings_in(const wchar_t* folder, SettingsSet& set, SettingsFileState state) {
    return save_settings_at(folder ? folder : L"", file_in(folder, kSettingsFileName), set, state);
}

bool save_settings_file(const std::wstring& path, SettingsSet& set, SettingsFileState state) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0) return false;
    return save_settings_at(path.substr(0, slash), path, set, state);
}

namespace {

bool save_settings_at(const std::wstring& folder, const std::wstring& path, SettingsSet& set,
                      SettingsFileState state) {
    if (path.empty()) return false;
    // Never replace a file that was not read: it holds the user's values.
    if (state == SettingsFileState::kUnreadable &&
        GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;

    // One read-modify-write at a time among all copies of every session
    // that share the folder (a terminal server's user, say).
    FileLock lock = lock_folder(folder);
    if (!lock.held()) return false;
    const std::wstring target = final_target_path(path);
    sweep_stale_staging_files(target);

    FileBytes current = read_file_bytes(path, kFileLimit);
    if (current.state == FileRead::kUnreadable || current.state == FileRead::kTooLarge) return false;
    MemoryProfile profile;
    bool converting = false;
    if (current.state == FileRead::kRead) {
        ProfileText text = decoded(current.bytes);
        // A Unicode file is updated, keys of others kept. A file in another
        // encoding, or whose CHARSET is not exactly "unicode", is replaced
        // by a new Unicode file; its original bytes are kept aside once, so
        // that a wrong guess at its encoding can be undone.
        if (text.encoding == ProfileEncoding::kUtf16Le && charset_is_unicode(set.global) &&
            is_profile_text(text.text)) {
            profile = MemoryProfile::parse(text.text);
        }
        converting = text.encoding != ProfileEncoding::kUtf16Le;
    }
    save_settings_to(profile, set);
    save_pdf_options_to(profile, set.pdf);
    const std::string bytes =
        encode_profile_text(profile.to_text(), ProfileEncoding::kUtf16Le, false);
    if (current.state == FileRead::kRead && bytes == current.bytes) return true;
    // Refused before the backup is made; the writer would refuse it too.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    if (converting && !replace_file_with_bytes(path + kBackupSuffix, current.bytes)) return false;
    return replace_file_with_bytes(target, bytes);
}

}  // namespace

void load_field_enable_in(const wchar_t* folder, FieldEnable& enable) {
    enable = FieldEnable();
    const std::wstring path = file_in(folder, kEnableFileName);
    if (path.empty()) return;
    FileBytes file = read_file_bytes(path, kFileLimit);
    if (file.state != FileRead::kRead) return;
    ProfileText text = decoded(file.bytes);
    MemoryProfile profile = MemoryProfile::parse(text.text);
    load_field_enable_from(profile, enable);
}

bool save_field_enable_in(const wchar_t* folder, const FieldEnable& enable) {
    const std::wstring path = file_in(folder, kEnableFileName);
    if (path.empty()) return false;
    FileLock lock = lock_folder(folder);
    if (!lock.held()) return false;
    sweep_stale_staging_files(final_target_path(path));
    FileBytes current = read_file_bytes(path, kFileLimit);
    // A file that exists but cannot be read is not replaced by one without its content.
    if (current.state != FileRead::kRead && current.state != FileRead::kMissing) return false;
    ProfileText text;
    if (current.state == FileRead::kRead) text = decoded(current.bytes);
    if (!is_profile_text(text.text)) return false;
    MemoryProfile profile = MemoryProfile::parse(text.text);
    save_field_enable_to(profile, enable);
    const std::u16string out = profile.to_text();
    // The file keeps its own encoding: Shift-JIS (also for a new file, in
    // code page 932 whatever the system's is), UTF-8 with or without its
    // signature, UTF-16. Where Shift-JIS cannot hold a character the user
    // put in, the file becomes UTF-16, which the profile functions read too.
    const bool signature = current.bytes.compare(0, kUtf8Signature.size(), kUtf8Signature) == 0;
    bool exact = true;
    std::string bytes = encode_profile_text(out, text.encoding, signature, &exact);
    if (!exact) bytes = encode_profile_text(out, ProfileEncoding::kUtf16Le, false);
    if (current.state == FileRead::kRead && bytes == current.bytes) return true;
    return replace_file_with_bytes(path, bytes);
}

void load_settings() { g_load_state = load_settings_in(g_settings_folder, g_settings); }

bool settings_load_problem() {
    return !g_load_problem_told && (g_load_state == SettingsFileState::kUnreadable ||
                                    g_load_state == SettingsFileState::kSetAside);
}

void report_settings_load_problem() {
    if (!settings_load_problem()) return;
    g_load_problem_told = true;
    std::wstring path = file_in(g_settings_folder, kSettingsFileName);
    std::wstring text;
    if (g_load_state == SettingsFileState::kUnreadable) {
        text = L"設定ファイルを読み込めませんでした。\n\n" + path +
               L"\n\n他のプログラムが使用中か、読み取りが許可されていません。"
               L"既定の設定で起動します。このファイルは上書きしないため、"
               L"今回変更した設定は保存されません。";
    } else {
        text = L"設定ファイルが大きすぎるか、設定ファイルではないため、使用できませんでした。\n\n" +
               path + L"\n\n元のファイルは「" + kSettingsFileName + std::wstring(kBackupSuffix) +
               L"」として残しました。既定の設定で起動します。";
    }
    MessageBoxW(nullptr, text.c_str(), kMessageBoxTitle, MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

namespace {

void report_settings_not_saved(const wchar_t* folder) {
    std::wstring text = L"設定を保存できませんでした。\n\n";
    text += folder;
    text += L"\\";
    text += kSettingsFileName;
    text += L"\n\nファイルが読み取り専用でないか、フォルダーに書き込めるか、"
            L"ディスクに空きがあるかを確かめてください。";
    MessageBoxW(nullptr, text.c_str(), kMessageBoxTitle, MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

}  // namespace

bool save_settings() {
    // A folder that failed is told once until a save succeeds again: closing
    // right after a failed save (the settings window saves on its way out)
    // would only repeat the same news.
    static std::wstring failed_folder;
    if (save_settings_in(g_settings_folder, g_settings, g_load_state)) {
        failed_folder.clear();
        return true;
    }
    const std::wstring path = file_in(g_settings_folder, kSettingsFileName);
    log_failure(L"settings not saved", path);
    // A file left unread was told about at the start; without a settings
    // folder there is nothing to tell either.
    if (g_settings_folder[0] == L'\0' || g_load_state == SettingsFileState::kUnreadable) return false;
    if (g_quiet_saves > 0) return false;
    if (failed_folder != g_settings_folder) report_settings_not_saved(g_settings_folder);
    failed_folder = g_settings_folder;
    return false;
}

namespace {

// The temporary folder, ending in a backslash; empty when the system gives none that fits.
std::wstring temporary_folder() {
    wchar_t folder[MAX_PATH + 1] = L"";
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(folder, n);
}

}  // namespace

std::wstring create_temporary_program_file(const wchar_t* extension) {
    static std::atomic<unsigned> s_count{0};
    const std::wstring folder = temporary_folder();
    if (folder.empty()) return std::wstring();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = folder + L"Markomi2-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++s_count) + extension;
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return name;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return std::wstring();
}

std::wstring create_temporary_settings_copy() { return create_temporary_program_file(L".ini"); }

void sweep_stale_temporary_copies() {
    const std::wstring folder = temporary_folder();
    if (folder.empty()) return;
    // Files with the user's settings or names in them that a killed run
    // left, or that another process held when the run tried to delete them:
    // "Markomi2-<process id>-<n>.ini" and ".txt". A live process's stay.
    for (const wchar_t* extension : {L".ini", L".txt"}) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"Markomi2-*-*" + extension).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            const DWORD pid = wcstoul(found.cFileName + 9, nullptr, 10);
            if (pid != GetCurrentProcessId() && process_has_ended(pid))
                DeleteFileW((folder + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    // The stamping window's page pictures: "Markomi2-<process id>-pages-<n>".
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"Markomi2-*-pages-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const DWORD pid = wcstoul(found.cFileName + 9, nullptr, 10);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || pid == GetCurrentProcessId() ||
            !process_has_ended(pid))
            continue;
        const std::wstring pages = folder + found.cFileName;
        WIN32_FIND_DATAW inside;
        HANDLE files = FindFirstFileW((pages + L"\\*").c_str(), &inside);
        if (files != INVALID_HANDLE_VALUE) {
            do {
                if (!(inside.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((pages + L"\\" + inside.cFileName).c_str());
            } while (FindNextFileW(files, &inside));
            FindClose(files);
        }
        RemoveDirectoryW(pages.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void load_field_enable() { load_field_enable_in(g_settings_folder, g_settings.enable); }
bool save_field_enable() { return save_field_enable_in(g_settings_folder, g_settings.enable); }

}  // namespace markomi
