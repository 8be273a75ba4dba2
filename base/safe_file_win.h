#pragma once
// Files that a failure never costs what was there before. A save either
// completes or leaves the old file byte for byte:
//   - the new contents go into a uniquely named staging file beside the
//     file's final target (a symbolic link is followed, so later saves still
//     reach the linked file), written with checked writes and flushed;
//   - the staging file takes the target's attributes (hidden, system, not
//     indexed; archive is set, as on any changed file; read-only targets are
//     refused);
//   - it replaces the target in one step (MoveFileExW), and is removed on
//     every failure path.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace markomi {

// Where a save of `path` really lands: the final target when `path` names
// a symbolic link, else `path` itself (a staging file beside a name in a
// linked folder is in the linked folder already).
std::wstring final_target_path(const std::wstring& path);

// `path` in the form the file functions take at any length: a path of
// MAX_PATH characters or more becomes a full "\\?\" (or "\\?\UNC\") path;
// shorter and already prefixed ones stay as they are.
std::wstring extended_length_path(const std::wstring& path);

// Has `write(staging)` fill a staging file beside the final target of `path`
// ("<target>.~<pid>-<n>.tmp", a name no other process or save uses at the
// same time; it exists, empty, when `write` is called), then flushes it, gives
// it the target's attributes and moves it over the target. False, with the
// target untouched and no staging file left, when anything fails; a
// read-only target, a folder of that name and a missing folder are refused.
// Staging files of the same target that a killed save left (their process
// gone, unwritten for a minute) are deleted first.
// `why`, when given, gets the likely cause of a failure (kNone on success).
enum class SaveFailure {
    kNone,
    kFailed,    // no cause that the user can act on is known
    kDiskFull,  // the disk (or the user's quota) is full
    kLocked,    // another program holds the target open
    kDenied,    // a read-only target, or a folder this user may not write
    kNoFolder,  // the target's folder does not exist
};
bool write_file_through_staging(const std::wstring& path,
                                const std::function<bool(const wchar_t* staging)>& write,
                                SaveFailure* why = nullptr);

// The cause a failed file call's error code names (GetLastError's).
SaveFailure save_failure_of(DWORD error);

// Whether no process of that id runs on this computer now: the test for a
// file named after a process that a killed run left. One that cannot be
// opened for another reason (another user's) counts as running.
bool process_has_ended(DWORD pid);

// Whether two paths name one existing file: the volume and the file index,
// so that another spelling, a short name or a link to it count too. False
// when either cannot be opened.
bool same_existing_file(const std::wstring& a, const std::wstring& b);

// A file holding exactly `bytes`, through a staging file as above.
bool replace_file_with_bytes(const std::wstring& path, std::string_view bytes);
inline bool replace_file_with_bytes(const wchar_t* path, const void* data, std::size_t size) {
    return path != nullptr &&
           replace_file_with_bytes(std::wstring(path),
                                   std::string_view(static_cast<const char*>(data), size));
}

// Outcome of reading a whole file.
enum class FileRead {
    kRead,        // the bytes are there
    kMissing,     // no file of that name (nor its folder)
    kUnreadable,  // it exists but stayed locked or denied reading
    kTooLarge,    // larger than the limit asked for
};

struct FileBytes {
    FileRead state = FileRead::kMissing;
    std::string bytes;
};

// Reads the whole file, retrying a sharing violation (a backup, sync or
// antivirus agent holding it for a moment) for about `retry_ms`.
FileBytes read_file_bytes(const std::wstring& path, std::size_t limit, DWORD retry_ms = 1000);

// Deletes the file, retrying for about `retry_ms` while another process
// holds it (a child's console host that outlives the child by a moment, a
// virus scanner), answering sent messages meanwhile. True when it is gone.
bool delete_file_patiently(const std::wstring& path, DWORD retry_ms = 1000);

// Deletes staging files of `target` left behind by a process that died
// mid-save. Call only while holding the folder's FileLock: a staging file
// of another copy's save in progress would otherwise go too.
void sweep_stale_staging_files(const std::wstring& target);

// An exclusive lock file shared by every process of every session (a named
// mutex is per session): held while a read-modify-write of a folder's files
// runs, removed when released. Waits up to `timeout_ms` for another holder.
class FileLock {
public:
    FileLock(const std::wstring& lock_path, DWORD timeout_ms);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace markomi
