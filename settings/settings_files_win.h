#pragma once
// Reading and writing "Markomi2.ini" and "Markomi2_enable.ini" in the
// settings folder with the platform's profile functions. Files without the
// UTF-16 mark are Shift-JIS (or UTF-8) whatever the system's code page is
// (profile_file_win.h).
#include <optional>
#include <string>
#include <string_view>

#include "settings/profile_store.h"
#include "settings/settings_record.h"

namespace markomi {

// A profile file on disk, read and written through the platform's profile
// functions (which keep a file's UTF-16 or ANSI encoding as they find it).
class ProfileFileStore : public ProfileStore {
public:
    explicit ProfileFileStore(std::wstring path) : path_(std::move(path)) {}
    std::optional<std::u16string> read(std::u16string_view section, std::u16string_view key) override;
    bool write(std::u16string_view section, std::u16string_view key, std::u16string_view value) override;
    // Makes the platform write out what it may still cache.
    void flush();

private:
    std::wstring path_;
};

// Fills g_settings' options and slots from "Markomi2.ini" (defaults for
// anything missing). Never fails.
void load_settings();
// Writes g_settings back, after fitting every slot's rows when AJUST is 1
// (which needs the shared surfaces of start-up). The new content is built beside the file and moved
// over it in one step, so a failed or interrupted write leaves the old file
// as it was. Returns false when nothing was replaced; the user is then told
// so in one message box.
bool save_settings();

void load_field_enable();
bool save_field_enable();

// The folder-explicit forms the above use (the folder holds the two files).
void load_settings_in(const wchar_t* folder, SettingsSet& set);
bool save_settings_in(const wchar_t* folder, SettingsSet& set);
void load_field_enable_in(const wchar_t* folder, FieldEnable& enable);
bool save_field_enable_in(const wchar_t* folder, const FieldEnable& enable);

// Reads a settings file at any path (a missing one gives defaults), in
// whichever encoding it is: for programs that take the file from the user.
void load_settings_file(const std::wstring& path, SettingsSet& set);

constexpr wchar_t kSettingsFileName[] = L"Markomi2.ini";
constexpr wchar_t kEnableFileName[] = L"Markomi2_enable.ini";

}  // namespace markomi
