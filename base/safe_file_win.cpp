#include "base/safe_file_win.h"

#include "base/message_wait_win.h"
#include "base/win_handles_win.h"

#include <atomic>

namespace markomi {
namespace {

constexpr DWORD kRetryStepMs = 50;

// Errors that another process's brief hold on a file gives: a backup, sync
// or antivirus agent, a reader without FILE_SHARE_DELETE while we replace, a
// file whose deletion is still pending (reported as access denied).
bool is_transient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// Attributes a replaced file keeps. Read-only is not among them: such a
// target is refused before anything is written. Archive is not either: new
// contents are a change a backup must see, so the replaced file has it set
// as any written file has.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::wstring without_long_prefix(std::wstring path) {
    // "\\?\C:\..." back to "C:\..." when the short form can name it; the
    // prefix stays for longer paths and for UNC ones ("\\?\UNC\...").
    if (path.rfind(L"\\\\?\\", 0) == 0 && path.size() < MAX_PATH + 4 &&
        path.rfind(L"\\\\?\\UNC\\", 0) != 0)
        path.erase(0, 4);
    return path;
}

bool same_path(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring full_path_of(const std::wstring& path) {
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    if (full.empty()) return std::wstring();
    const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return std::wstring();
    full.resize(n);
    return full;
}

// The name the system gives the file (or folder) `path` reaches, every link
// on the way followed; empty when it cannot tell.
std::wstring final_path_of(const std::wstring& path, DWORD flags) {
    ScopedHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, flags, nullptr));
    if (!file.valid()) return std::wstring();
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(file.get(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return std::wstring();
        if (n < buffer.size()) {
            buffer.resize(n);
            return without_long_prefix(std::move(buffer));
        }
        buffer.resize(n);  // too small: n is the size it needs
    }
}

// Whether `resolved` is where the name `path` itself lies: its folder's final
// path plus the name as its folder lists it. A link's name lies elsewhere.
// True when that cannot be told, so that the path keeps its own spelling.
bool lies_where_it_resolves(const std::wstring& path, const std::wstring& resolved) {
    const std::wstring full = full_path_of(path);
    const std::size_t cut = full.find_last_of(L'\\');
    if (cut == std::wstring::npos) return true;
    std::wstring folder = full.substr(0, cut);
    if (folder.empty() || folder.back() == L':') folder += L'\\';  // a drive's root
    std::wstring expected = final_path_of(folder, FILE_FLAG_BACKUP_SEMANTICS);
    WIN32_FIND_DATAW listed;
    HANDLE search = FindFirstFileExW(full.c_str(), FindExInfoBasic, &listed, FindExSearchNameMatch,
                                     nullptr, 0);
    if (expected.empty() || search == INVALID_HANDLE_VALUE) {
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        return true;
    }
    FindClose(search);
    if (expected.back() != L'\\') expected += L'\\';
    return same_path(expected + listed.cFileName, resolved);
}

bool flush_file(const wchar_t* path) {
    ScopedHandle file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && FlushFileBuffers(file.get()) != FALSE;
}

bool move_over(const std::wstring& staging, const std::wstring& target) {
    // MOVEFILE_WRITE_THROUGH: the call returns once the rename is on disk.
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    for (DWORD waited = 0;; waited += kRetryStepMs) {
        if (MoveFileExW(staging.c_str(), target.c_str(), flags)) return true;
        if (!is_transient(GetLastError()) || waited >= 1000) return false;
        Sleep(kRetryStepMs);
    }
}

// A fresh, empty staging file beside `target`; empty when none could be made.
std::wstring create_staging_file(const std::wstring& target) {
    static std::atomic<unsigned> s_count{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        // The suffix may carry a name near MAX_PATH past it.
        std::wstring name = extended_length_path(target + L".~" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                      std::to_wstring(++s_count) + L".tmp");
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return name;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::wstring();
}

// The process id in a staging file's name "<target>.~<pid>-<n>.tmp" seen
// past "<target>.~"; 0 when the rest is not of that form.
DWORD staging_owner(std::wstring_view rest) {
    DWORD pid = 0;
    std::size_t i = 0;
    for (; i < rest.size() && rest[i] >= L'0' && rest[i] <= L'9' && i < 10; ++i)
        pid = pid * 10 + static_cast<DWORD>(rest[i] - L'0');
    if (i == 0 || i >= rest.size() || rest[i] != L'-') return 0;
    std::size_t digits = ++i;
    while (i < rest.size() && rest[i] >= L'0' && rest[i] <= L'9') ++i;
    return i > digits && rest.substr(i) == L".tmp" ? pid : 0;
}

// Deletes the staging files of `target` that a save killed part way left:
// named for a process that no longer runs here, and not written for a
// minute. (A save on another computer into a shared folder names a process
// that is not ours to see; its staging file is held open while written and
// is closed only for moments, just after being written, so the minute keeps
// it safe.) One that is still open cannot be deleted and stays.
void sweep_orphaned_staging_files(const std::wstring& target) {
    const std::size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = target.substr(0, slash + 1);
    const std::wstring prefix = target.substr(slash + 1) + L".~";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(extended_length_path(target + L".~*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FILETIME now_time;
    GetSystemTimeAsFileTime(&now_time);
    const ULONGLONG now = (static_cast<ULONGLONG>(now_time.dwHighDateTime) << 32) | now_time.dwLowDateTime;
    constexpr ULONGLONG kMinute = 60ull * 10000000ull;  // in 100 ns
    do {
        const std::wstring_view name(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() <= prefix.size() ||
            CompareStringOrdinal(name.data(), static_cast<int>(prefix.size()), prefix.c_str(),
                                 static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL)
            continue;
        const DWORD owner = staging_owner(name.substr(prefix.size()));
        const ULONGLONG written = (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                  found.ftLastWriteTime.dwLowDateTime;
        if (owner == 0 || owner == GetCurrentProcessId() || written + kMinute > now ||
            !process_has_ended(owner))
            continue;
        const std::wstring orphan = extended_length_path(folder + found.cFileName);
        SetFileAttributesW(orphan.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(orphan.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// Every byte written, or false: a short write is a full disk or a quota.
// (The flush that shows what only surfaces on the way to the disk follows
// in write_file_through_staging.)
bool write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x100000 ? 0x100000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written != chunk) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Whether another program holds `path` open without sharing its deletion,
// so that it cannot be replaced: opening it for deletion with every sharing
// mode offered fails with a sharing violation exactly then.
bool is_held_open(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file.valid() &&
           (GetLastError() == ERROR_SHARING_VIOLATION || GetLastError() == ERROR_LOCK_VIOLATION);
}

// Why writing the staging file failed. Writers through the C runtime keep
// only errno, whose full disk may not reach GetLastError: a disk with less
// than a mebibyte left after the failure counts as full.
SaveFailure written_failure(DWORD error, const std::wstring& target) {
    const SaveFailure cause = save_failure_of(error);
    if (cause != SaveFailure::kFailed) return cause;
    const std::wstring folder = target.substr(0, target.find_last_of(L"\\/") + 1);
    ULARGE_INTEGER free_bytes{};
    if (!folder.empty() && GetDiskFreeSpaceExW(folder.c_str(), &free_bytes, nullptr, nullptr) &&
        free_bytes.QuadPart < (1u << 20))
        return SaveFailure::kDiskFull;
    return cause;
}

}  // namespace

std::wstring final_target_path(const std::wstring& path) {
    // Opening follows every link; GetFinalPathNameByHandleW then names the
    // file the handle reached. Without this, MoveFileExW would put a plain
    // file in the link's place and later saves would no longer reach the
    // linked (synced) folder.
    const std::wstring resolved = final_path_of(path, FILE_ATTRIBUTE_NORMAL);
    // The same file under its own name needs no change (a different letter
    // case or short name would otherwise rename it).
    if (resolved.empty() || same_path(resolved, path)) return path;
    // Only a link is followed; a path that merely reads differently (8.3
    // names, a subst drive, a linked folder on the way) keeps its own
    // spelling. Windows marks a link as a reparse point; a Unix link seen
    // through Wine is not marked, but its name lies in another place than
    // the file it reaches.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return resolved;
    return lies_where_it_resolves(path, resolved) ? path : resolved;
}

std::wstring extended_length_path(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0)
        return path;
    // The prefix turns off the parsing of "." / ".." and "/", so it goes
    // onto the full, normalised path only.
    const std::wstring full = full_path_of(path);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
    return path;
}

SaveFailure save_failure_of(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return SaveFailure::kDiskFull;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return SaveFailure::kLocked;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return SaveFailure::kDenied;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
            return SaveFailure::kNoFolder;
        default:
            return SaveFailure::kFailed;
    }
}

bool write_file_through_staging(const std::wstring& path,
                                const std::function<bool(const wchar_t* staging)>& write,
                                SaveFailure* why) {
    SaveFailure ignored = SaveFailure::kNone;
    SaveFailure& failure = why ? *why : ignored;
    failure = SaveFailure::kFailed;
    if (path.empty()) return false;
    const std::wstring target = final_target_path(path);
    // Checked here because the move below would not refuse a read-only
    // target everywhere (Wine's does not).
    const DWORD existing = GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        failure = SaveFailure::kDenied;
        return false;
    }
    sweep_orphaned_staging_files(target);
    const std::wstring staging = create_staging_file(target);
    if (staging.empty()) {
        failure = save_failure_of(GetLastError());
        return false;
    }
    bool ok = write(staging.c_str()) && flush_file(staging.c_str());
    if (!ok) failure = written_failure(GetLastError(), target);
    if (ok && existing != INVALID_FILE_ATTRIBUTES && (existing & kKeptAttributes) != 0) {
        ok = SetFileAttributesW(staging.c_str(),
                                (existing & kKeptAttributes) | FILE_ATTRIBUTE_ARCHIVE) != FALSE;
        if (!ok) failure = save_failure_of(GetLastError());
    }
    if (ok && !move_over(staging, target)) {
        // A target another program holds without sharing its deletion
        // cannot be replaced; the move's own error for it may be
        // ERROR_ACCESS_DENIED, which would read as a folder without rights.
        ok = false;
        const DWORD error = GetLastError();
        failure = is_held_open(target) ? SaveFailure::kLocked : save_failure_of(error);
    }
    if (!ok) {
        SetFileAttributesW(staging.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(staging.c_str());
    } else {
        failure = SaveFailure::kNone;
    }
    return ok;
}

bool process_has_ended(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

bool same_existing_file(const std::wstring& a, const std::wstring& b) {
    auto identity = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
        HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const bool ok = GetFileInformationByHandle(h, info) != 0;
        CloseHandle(h);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    if (!identity(a, &x) || !identity(b, &y)) return false;
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

bool replace_file_with_bytes(const std::wstring& path, std::string_view bytes) {
    return write_file_through_staging(path, [bytes](const wchar_t* staging) {
        ScopedHandle file(CreateFileW(staging, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() || !write_all(file.get(), bytes)) return false;
        return CloseHandle(file.release()) != FALSE;
    });
}

FileBytes read_file_bytes(const std::wstring& path, std::size_t limit, DWORD retry_ms) {
    FileBytes out;
    for (DWORD waited = 0;; waited += kRetryStepMs) {
        // FILE_SHARE_DELETE: another copy may replace the file while it is read.
        ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD error = file.valid() ? ERROR_SUCCESS : GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME) {
            // A folder of that name (or an unusable one) is never read nor replaced.
            DWORD attributes = GetFileAttributesW(path.c_str());
            out.state = attributes == INVALID_FILE_ATTRIBUTES ? FileRead::kMissing : FileRead::kUnreadable;
            return out;
        }
        if (file.valid()) {
            LARGE_INTEGER size{};
            if (!GetFileSizeEx(file.get(), &size)) {
                error = GetLastError();
            } else if (static_cast<unsigned long long>(size.QuadPart) > limit) {
                out.state = FileRead::kTooLarge;
                return out;
            } else {
                out.bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
                std::size_t got_total = 0;
                while (got_total < out.bytes.size()) {
                    DWORD got = 0;
                    if (!ReadFile(file.get(), &out.bytes[got_total],
                                  static_cast<DWORD>(out.bytes.size() - got_total), &got, nullptr)) {
                        error = GetLastError();
                        break;
                    }
                    if (got == 0) break;  // shorter than it said: take what is there
                    got_total += got;
                }
                if (error == ERROR_SUCCESS) {
                    out.bytes.resize(got_total);
                    out.state = FileRead::kRead;
                    return out;
                }
                out.bytes.clear();
            }
        }
        if (!is_transient(error) || waited >= retry_ms) {
            out.state = FileRead::kUnreadable;
            return out;
        }
        Sleep(kRetryStepMs);
    }
}

bool delete_file_patiently(const std::wstring& path, DWORD retry_ms) {
    for (DWORD waited = 0;; waited += kRetryStepMs) {
        if (DeleteFileW(path.c_str())) return true;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return true;
        if (!is_transient(error) || waited >= retry_ms) return false;
        wait_answering_sent_messages(nullptr, kRetryStepMs);
    }
}

void sweep_stale_staging_files(const std::wstring& target) {
    std::wstring pattern = target + L".~*.tmp";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::wstring folder = target.substr(0, target.find_last_of(L"\\/") + 1);
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring stale = folder + found.cFileName;
        SetFileAttributesW(stale.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(stale.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

FileLock::FileLock(const std::wstring& lock_path, DWORD timeout_ms) {
    for (DWORD waited = 0;; waited += kRetryStepMs) {
        // No sharing: a second opener, in any session, is refused until this
        // handle closes. Delete-on-close also clears the lock of a process
        // that was killed, since the system closes its handles.
        handle_ = CreateFileW(lock_path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle_ != INVALID_HANDLE_VALUE) return;
        if (!is_transient(GetLastError()) || waited >= timeout_ms) return;
        Sleep(kRetryStepMs);
    }
}

FileLock::~FileLock() {
    if (held()) CloseHandle(handle_);
}

}  // namespace markomi
