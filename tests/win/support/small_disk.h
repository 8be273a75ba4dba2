#pragma once
// The small drive tests/scripts/small_disk.sh maps for the run of the suite
// (S:, a 256 KiB disk), with a marker file in its root so that no other
// drive of that letter is ever filled. Only markomi2_win_tests is given
// MARKOMI2_SMALL_DISK_REASON, the file that says why the drive is missing.
#include <windows.h>

#include <string>
#include <vector>

#include "support/test_files.h"

namespace markomi::testing {

constexpr wchar_t kSmallDrive[] = L"S:";
constexpr wchar_t kSmallDriveMarker[] = L"S:\\markomi2-small-disk";

// Why the small drive is missing, as the script wrote it (UTF-8).
inline std::string small_drive_missing_reason() {
    std::vector<unsigned char> reason = read_bytes(MARKOMI2_SMALL_DISK_REASON);
    std::string text(reason.begin(), reason.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return "no small disk at S: (" +
           (text.empty() ? std::string("tests/scripts/small_disk.sh did not map it") : text) + ")";
}

// Writes into `path` until the disk refuses: true when it ended full (and
// not for another reason).
inline bool fill_disk(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<char> block(65536, 'x');
    DWORD error = 0;
    for (DWORD size : {65536u, 4096u, 512u, 1u}) {
        for (;;) {
            DWORD written = 0;
            if (!WriteFile(file, block.data(), size, &written, nullptr)) {
                error = GetLastError();
                break;
            }
            if (written < size) break;
        }
    }
    FlushFileBuffers(file);
    CloseHandle(file);
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

// A folder of this process on the small drive, and beside it the file that
// fills the disk: both removed before and after the test, whatever it left.
class SmallDiskFolder {
  public:
    explicit SmallDiskFolder(const std::wstring& name)
        : path_(std::wstring(kSmallDrive) + L"\\" + name + L"-" +
                std::to_wstring(GetCurrentProcessId())),
          filler_(path_ + L"-filler") {
        clear();
        created_ = CreateDirectoryW(path_.c_str(), nullptr) != 0;
    }
    ~SmallDiskFolder() { clear(); }
    SmallDiskFolder(const SmallDiskFolder&) = delete;
    SmallDiskFolder& operator=(const SmallDiskFolder&) = delete;

    bool created() const { return created_; }
    const std::wstring& path() const { return path_; }
    // True when the disk ended full.
    bool fill() const { return fill_disk(filler_); }
    bool make_room() const { return DeleteFileW(filler_.c_str()) != 0; }

  private:
    void clear() const {
        remove_tree(filler_);
        remove_tree(path_);
    }
    std::wstring path_, filler_;
    bool created_ = false;
};

}  // namespace markomi::testing
