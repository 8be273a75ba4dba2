#include "settings/settings_files_win.h"

#include <windows.h>

#include "base/file_checks_win.h"
#include "base/message_box_title.h"
#include "base/path_join.h"
#include "base/process_globals_win.h"
#include "base/win_handles_win.h"
#include "base/wide_text_win.h"
#include "render/stamp_renderer_gdiplus.h"
#include "settings/memory_profile.h"
#include "settings/profile_encoding.h"
#include "settings/profile_file_win.h"
#include "settings/settings_rules.h"

namespace markomi {
namespace {

// Returned for a missing key; no profile line can produce it by accident.
constexpr wchar_t kMissing[] = L"\x01\x02<markomi2:missing>\x02\x01";

// Longer than any field's capacity (499) and any number worth reading.
constexpr DWORD kValueUnits = 1024;

std::wstring joined(const wchar_t* folder, const wchar_t* name) {
    return std::wstring(as_wide(path_join(as_u16(std::wstring_view(folder)), u"\\",
                                          as_u16(std::wstring_view(name)))));
}

bool is_read_only(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// True for a file the profile functions will keep writing as UTF-16: it
// starts with FF FE and holds whole code units. Anything else is rewritten
// from scratch rather than patched in place.
bool is_sound_utf16_file(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 2 || (size.QuadPart % 2) != 0)
        return false;
    unsigned char bom[2] = {0, 0};
    DWORD got = 0;
    return ReadFile(file.get(), bom, 2, &got, nullptr) && got == 2 && bom[0] == 0xFF &&
           bom[1] == 0xFE;
}

bool create_with_bom(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    static const unsigned char kBom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    return WriteFile(file.get(), kBom, 2, &written, nullptr) && written == 2;
}

// Runs `use` on a store that reads the profile file at `path` whatever its
// encoding: UTF-16 files (and missing ones) through the profile functions
// directly, the others through a UTF-16 copy of their decoded text (or, when
// no copy can be made, from memory).
template <typename Use>
void with_readable_store(const std::wstring& path, Use use) {
    std::optional<std::string> bytes = read_whole_file(path);
    ProfileEncoding encoding = bytes ? detect_profile_encoding(*bytes) : ProfileEncoding::kUtf16Le;
    if (encoding == ProfileEncoding::kUtf16Le) {
        ProfileFileStore store(path);
        use(store);
        return;
    }
    std::u16string text = decode_profile_bytes(*bytes, encoding);
    Utf16ProfileCopy copy(text);
    if (copy.valid()) {
        ProfileFileStore store(copy.path());
        use(store);
        return;
    }
    MemoryProfile memory = MemoryProfile::parse(text);
    use(memory);
}

// True when the file on disk ends with what a save writes last. The profile
// functions cache writes and report no failure of the final write-out (a full
// disk, say); a cut-off file must not replace a good one.
bool holds_last_saved_key(const std::wstring& path) {
    std::optional<std::string> bytes = read_whole_file(path);
    if (!bytes || detect_profile_encoding(*bytes) != ProfileEncoding::kUtf16Le) return false;
    MemoryProfile written = MemoryProfile::parse(decode_profile_bytes(*bytes, ProfileEncoding::kUtf16Le));
    const SettingKeyRef last = settings_save_keys().back();
    return written.read(last.section, last.key).has_value();
}

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

std::optional<std::u16string> ProfileFileStore::read(std::u16string_view section,
                                                     std::u16string_view key) {
    std::wstring s = to_wide(section), k = to_wide(key);
    wchar_t buf[kValueUnits];
    DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), kMissing, buf, kValueUnits, path_.c_str());
    if (n >= kValueUnits) n = kValueUnits - 1;
    std::wstring_view value(buf, n);
    if (value == kMissing) return std::nullopt;
    return std::u16string(as_u16(value));
}

bool ProfileFileStore::write(std::u16string_view section, std::u16string_view key,
                             std::u16string_view value) {
    std::wstring s = to_wide(section), k = to_wide(key), v = to_wide(value);
    return WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), path_.c_str()) != FALSE;
}

void ProfileFileStore::flush() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str()); }

void load_settings_in(const wchar_t* folder, SettingsSet& set) {
    std::wstring path = joined(folder, kSettingsFileName);
    if (path.empty()) {
        SettingsSet defaults;
        set.global = defaults.global;
        set.slots = defaults.slots;
        return;
    }
    load_settings_file(path, set);
}

void load_settings_file(const std::wstring& path, SettingsSet& set) {
    with_readable_store(path, [&set](ProfileStore& store) { load_settings_from(store, set); });
}

bool save_settings_in(const wchar_t* folder, SettingsSet& set) {
    std::wstring path = joined(folder, kSettingsFileName);
    std::wstring staging = joined(folder, L"Markomi2.ini.new");
    if (path.empty() || staging.empty()) return false;

    // A Shift-JIS file (or anything that is not clean UTF-16) is replaced by
    // a new Unicode file; keys this program does not write go with it.
    bool fresh = !charset_is_unicode(set.global) || !is_sound_utf16_file(path);
    if (is_existing_file(path.c_str()) && is_read_only(path)) return false;

    DeleteFileW(staging.c_str());
    // Starting afresh instead would drop the keys of others from the file.
    if (!fresh && !CopyFileW(path.c_str(), staging.c_str(), FALSE)) return false;
    if (fresh && !create_with_bom(staging)) return false;
    SetFileAttributesW(staging.c_str(), FILE_ATTRIBUTE_NORMAL);

    ProfileFileStore store(staging);
    bool written = save_settings_to(store, set);
    store.flush();
    if (!written || !holds_last_saved_key(staging) || !MoveFileExW(staging.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(staging.c_str());
        return false;
    }
    return true;
}

void load_field_enable_in(const wchar_t* folder, FieldEnable& enable) {
    std::wstring path = joined(folder, kEnableFileName);
    if (path.empty()) {
        enable = FieldEnable();
        return;
    }
    with_readable_store(path, [&enable](ProfileStore& store) { load_field_enable_from(store, enable); });
}

bool save_field_enable_in(const wchar_t* folder, const FieldEnable& enable) {
    std::wstring path = joined(folder, kEnableFileName);
    std::wstring staging = joined(folder, L"Markomi2_enable.ini.new");
    if (path.empty() || staging.empty()) return false;
    std::optional<std::string> bytes = read_whole_file(path);
    // A file that exists but cannot be read is not replaced by one without its content.
    if (!bytes && is_existing_file(path.c_str())) return false;
    ProfileEncoding encoding = bytes ? detect_profile_encoding(*bytes) : ProfileEncoding::kShiftJis;
    if (encoding == ProfileEncoding::kUtf16Le) {
        ProfileFileStore store(path);
        bool ok = save_field_enable_to(store, enable);
        store.flush();
        return ok;
    }
    // Shift-JIS (and new) files are written in code page 932 whatever the
    // system's ANSI code page is; a UTF-8 file stays UTF-8, so that nothing
    // a user wrote into it is lost to a code page that cannot hold it.
    Utf16ProfileCopy copy(bytes ? decode_profile_bytes(*bytes, encoding) : std::u16string());
    if (!copy.valid()) return false;
    ProfileFileStore store(copy.path());
    bool ok = save_field_enable_to(store, enable);
    store.flush();
    std::optional<std::u16string> text = copy.text();
    if (!ok || !text) return false;
    bool signature = bytes && bytes->compare(0, kUtf8Signature.size(), kUtf8Signature) == 0;
    return replace_file_contents(path, staging, encode_profile_text(*text, encoding, signature));
}

void load_settings() { load_settings_in(g_settings_folder, g_settings); }
bool save_settings() {
    // A folder that failed is told once until a save succeeds again: closing
    // right after a failed save (the settings window saves on its way out)
    // would only repeat the same news.
    static std::wstring failed_folder;
    // The stored heights are the ones fitted at the stored size, not those
    // left behind by the last (supersampled) rendering.
    run_layout_pass(false);
    if (save_settings_in(g_settings_folder, g_settings)) {
        failed_folder.clear();
        return true;
    }
    if (failed_folder != g_settings_folder) report_settings_not_saved(g_settings_folder);
    failed_folder = g_settings_folder;
    return false;
}
void load_field_enable() { load_field_enable_in(g_settings_folder, g_settings.enable); }
bool save_field_enable() { return save_field_enable_in(g_settings_folder, g_settings.enable); }

}  // namespace markomi
