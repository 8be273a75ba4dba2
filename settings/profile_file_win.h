#pragma once
// Profile files without the UTF-16 mark. The platform's profile functions
// read and write such a file in the system's ANSI code page, which is 932
// only on Japanese Windows without the UTF-8 option; elsewhere Japanese keys
// and values would come in garbled and be saved that way. These helpers
// decode the file as profile_encoding.h decides into a UTF-16 copy, which the
// profile functions handle alike on every system, and encode it back.
#include <optional>
#include <string>
#include <string_view>

#include "settings/profile_encoding.h"

namespace markomi {

// The whole file; nullopt when it does not exist or cannot be read.
std::optional<std::string> read_whole_file(const std::wstring& path);

// Text of a file's bytes: Shift-JIS through code page 932 (not the system's
// ANSI code page), UTF-8 without its signature, UTF-16LE without its mark.
std::u16string decode_profile_bytes(std::string_view bytes, ProfileEncoding encoding);

// Bytes of `text` in `encoding`; for UTF-8 with the signature when asked.
std::string encode_profile_text(std::u16string_view text, ProfileEncoding encoding,
                                bool utf8_signature);

// Makes `bytes` the content of `path` without ever cutting the old content
// short: they go into `staging` beside it, which then replaces the file in
// one step. False, with the old file as it was, when anything fails
// (a read-only file included).
bool replace_file_contents(const std::wstring& path, const std::wstring& staging,
                           std::string_view bytes);

// A UTF-16LE file with FF FE in the temporary folder, holding a given text
// for the profile functions; removed again when this goes.
class Utf16ProfileCopy {
public:
    explicit Utf16ProfileCopy(std::u16string_view text);
    ~Utf16ProfileCopy();
    Utf16ProfileCopy(const Utf16ProfileCopy&) = delete;
    Utf16ProfileCopy& operator=(const Utf16ProfileCopy&) = delete;

    // False when the copy could not be made.
    bool valid() const { return !path_.empty(); }
    const std::wstring& path() const { return path_; }
    // The text as the copy holds it now (after writes into it).
    std::optional<std::u16string> text() const;

private:
    std::wstring path_;
};

}  // namespace markomi
