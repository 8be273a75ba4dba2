#pragma once
// Helpers for the Windows-side tests: a temporary folder that cleans up
// after itself, and whole-file reads and writes.
#include <windows.h>

#include <string>
#include <vector>

namespace markomi::testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring file(const wchar_t* name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Removes a file or a whole folder tree; missing paths are fine.
void remove_tree(const std::wstring& path);

std::vector<unsigned char> read_bytes(const std::wstring& path);
bool write_bytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
bool file_exists(const std::wstring& path);
// The names in a folder ("." and ".." left out), sorted.
std::vector<std::wstring> folder_entries(const std::wstring& folder);

// Text helpers: UTF-16LE with BOM, and the system code page 932 (Shift-JIS).
std::vector<unsigned char> utf16le_with_bom(const std::wstring& text);
std::vector<unsigned char> shift_jis(const std::wstring& text);
// Decodes a file that starts with FF FE; empty when it does not.
std::wstring utf16_file_text(const std::wstring& path);

// The lines of a text, split at CR LF / LF.
std::vector<std::wstring> split_lines(const std::wstring& text);

}  // namespace markomi::testing
