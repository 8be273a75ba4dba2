#include "settings/profile_file_win.h"

#include <windows.h>

#include <climits>

#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "base/win_handles_win.h"

namespace markomi {
namespace {

// Shift-JIS as Windows lays it out, wherever the program runs.
constexpr UINT kShiftJisCodePage = 932;

constexpr unsigned char kUtf16Mark[2] = {0xFF, 0xFE};

bool write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool write_new_file(const std::wstring& path, std::string_view bytes) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    // FlushFileBuffers: a full disk may only show when the data goes out.
    return write_all(file.get(), bytes) && FlushFileBuffers(file.get());
}

}  // namespace

std::optional<std::string> read_whole_file(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    LARGE_INTEGER size{};
    // Far beyond any settings file; refused rather than read into memory.
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (64 << 20)) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
         got != bytes.size()))
        return std::nullopt;
    return bytes;
}

std::u16string decode_profile_bytes(std::string_view bytes, ProfileEncoding encoding) {
    switch (encoding) {
        case ProfileEncoding::kUtf16Le: {
            if (bytes.size() >= 2 && bytes.substr(0, 2) == std::string_view("\xFF\xFE", 2))
                bytes.remove_prefix(2);
            std::u16string text(bytes.size() / 2, u'\0');
            for (std::size_t i = 0; i < text.size(); ++i) {
                text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                                (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
            }
            return text;
        }
        case ProfileEncoding::kUtf8:
            if (bytes.substr(0, kUtf8Signature.size()) == kUtf8Signature)
                bytes.remove_prefix(kUtf8Signature.size());
            return utf8_to_u16(bytes);
        case ProfileEncoding::kShiftJis:
            break;
    }
    if (bytes.empty() || bytes.size() > INT_MAX) return std::u16string();
    int n = MultiByteToWideChar(kShiftJisCodePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                nullptr, 0);
    std::wstring text(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(kShiftJisCodePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                            text.data(), n);
    return std::u16string(as_u16(text));
}

std::string encode_profile_text(std::u16string_view text, ProfileEncoding encoding,
                                bool utf8_signature) {
    switch (encoding) {
        case ProfileEncoding::kUtf16Le: {
            std::string bytes(reinterpret_cast<const char*>(kUtf16Mark), 2);
            for (char16_t c : text) {
                bytes.push_back(static_cast<char>(c & 0xFF));
                bytes.push_back(static_cast<char>(c >> 8));
            }
            return bytes;
        }
        case ProfileEncoding::kUtf8:
            return (utf8_signature ? std::string(kUtf8Signature) : std::string()) + u16_to_utf8(text);
        case ProfileEncoding::kShiftJis:
            break;
    }
    if (text.empty() || text.size() > INT_MAX / 2) return std::string();
    const wchar_t* wide = as_wide(text.data());
    int n = WideCharToMultiByte(kShiftJisCodePage, 0, wide, static_cast<int>(text.size()), nullptr,
                                0, nullptr, nullptr);
    std::string bytes(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(kShiftJisCodePage, 0, wide, static_cast<int>(text.size()), bytes.data(),
                            n, nullptr, nullptr);
    return bytes;
}

bool replace_file_contents(const std::wstring& path, const std::wstring& staging,
                           std::string_view bytes) {
    // Wine's MoveFileExW replaces a read-only file, Windows' refuses: the
    // attribute is checked here so both behave the same.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    if (!write_new_file(staging, bytes) ||
        !MoveFileExW(staging.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(staging.c_str());
        return false;
    }
    return true;
}

Utf16ProfileCopy::Utf16ProfileCopy(std::u16string_view text) {
    wchar_t folder[MAX_PATH + 1] = L"";
    DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH) return;
    // A name is never used twice in one process: the profile functions cache
    // files by name, and a reused name could be served from that cache.
    static unsigned s_count = 0;
    const std::string bytes = encode_profile_text(text, ProfileEncoding::kUtf16Le, false);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring name = std::wstring(folder) + L"Markomi2-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(++s_count) + L".ini";
        ScopedHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!file.valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return;
        }
        bool written = write_all(file.get(), bytes);
        file.reset();
        if (!written) {
            DeleteFileW(name.c_str());
            return;
        }
        path_ = std::move(name);
        return;
    }
}

Utf16ProfileCopy::~Utf16ProfileCopy() {
    if (valid()) DeleteFileW(path_.c_str());
}

std::optional<std::u16string> Utf16ProfileCopy::text() const {
    if (!valid()) return std::nullopt;
    std::optional<std::string> bytes = read_whole_file(path_);
    if (!bytes || detect_profile_encoding(*bytes) != ProfileEncoding::kUtf16Le) return std::nullopt;
    return decode_profile_bytes(*bytes, ProfileEncoding::kUtf16Le);
}

}  // namespace markomi
