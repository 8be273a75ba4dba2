#pragma once
// Writing a file so that a failure never costs what was there before: the
// new contents go into a temporary file beside the target, which replaces
// the target only once it is complete.
#include <windows.h>
#include <shlwapi.h>

#include <cstddef>

namespace markomi {

// Has `write(temporary_path)` fill a fresh temporary file in the target's
// folder and moves that over the target only when it succeeded. A missing
// folder fails before anything exists; a failed write or move deletes the
// temporary file. A read-only target or a folder of that name is refused.
template <typename Write>
bool write_through_temporary(const wchar_t* path, Write write) {
    if (path == nullptr || *path == L'\0') return false;
    // Checked here because the move below would not refuse a read-only
    // target everywhere (Wine's does not), nor would every writer.
    const DWORD existing = GetFileAttributesW(path);
    if (existing != INVALID_FILE_ATTRIBUTES &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    wchar_t folder[MAX_PATH];
    if (lstrlenW(path) >= MAX_PATH) return false;
    lstrcpynW(folder, path, MAX_PATH);
    PathRemoveFileSpecW(folder);
    if (folder[0] == L'\0') lstrcpyW(folder, L".");
    wchar_t temporary[MAX_PATH];
    if (GetTempFileNameW(folder, L"mk2", 0, temporary) == 0) return false;
    const bool written =
        write(temporary) &&
        MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written) DeleteFileW(temporary);
    return written;
}

// A file holding exactly these bytes, written through a temporary file as above.
inline bool replace_file_with_bytes(const wchar_t* path, const void* data, std::size_t size) {
    if (size > MAXDWORD) return false;
    return write_through_temporary(path, [&](const wchar_t* temporary) {
        HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
                        written == size;
        return CloseHandle(file) && ok;
    });
}

}  // namespace markomi
