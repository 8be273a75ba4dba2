#pragma once
// Loading, normalising and saving the settings set through a profile store.
// One table in settings_rules.cpp names every key with its section, type,
// default, normalisation and field; load, save and normalise all walk it.
// Deleting a Shift-JIS file before the save, the byte-order mark and the
// automatic fit before saving belong to the Windows side, not here.
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile_store.h"
#include "settings/settings_record.h"

namespace markomi {

// Sections of "Markomi2.ini" and of "Markomi2_enable.ini".
constexpr std::u16string_view kMarkomiSection = u"MARKOMI";
constexpr std::u16string_view kBushoSection = u"BUSHO";
constexpr std::u16string_view kDateSection = u"DATE";
constexpr std::u16string_view kNameSection = u"NAME";
constexpr std::u16string_view kEnableSection = u"ENABLE";

struct SettingKeyRef {
    std::u16string section;
    std::u16string key;
    friend bool operator==(const SettingKeyRef& a, const SettingKeyRef& b) {
        return a.section == b.section && a.key == b.key;
    }
};

// The department and name texts as one line of the INI file can hold them:
// a line break (CR LF, a lone CR or a lone LF) becomes the stamp's own break
// "//", and every other control character (U+0000 to U+001F, U+007F, U+0080
// to U+009F) is dropped. The result keeps to `capacity` units: what does not
// fit is cut, never half a "//" or half a surrogate pair.
std::u16string clean_line_text(std::u16string_view text,
                               std::size_t capacity = kRowTextCapacity);

// Resets the global options and the seven slots to their defaults and reads
// every key in load order, normalising each value right after reading it.
// A missing key keeps its default; a key that does not begin with a number
// reads as 0; texts are cut to their capacity (and at a NUL), the department
// and name texts cleaned by clean_line_text. When STATIONTYPE is 0, PASTE and
// HOTKEY become 0. The field-enable flags and the stamp date are left alone.
void load_settings_from(ProfileStore& store, SettingsSet& set);

// Sets CHARSET to "unicode", cleans the department and name texts of the
// record (clean_line_text: a line break inside would end the value in the
// file) and writes the 228 keys in save order (WAKU1_BUNKATU is never
// written). Every key is attempted even after a failed write, so one refused
// key does not lose the rest; the result is false when any write failed.
bool save_settings_to(ProfileStore& store, SettingsSet& set);

// Whether the file was last written by save_settings_to (exact, case-sensitive).
bool charset_is_unicode(const GlobalOptions& global);

// The four flags of section ENABLE: missing means 1, 0 stays 0, any other
// value becomes 1. `enable` is written in the order 部署, 名前, 日付, フォーマット.
void load_field_enable_from(ProfileStore& store, FieldEnable& enable);
bool save_field_enable_to(ProfileStore& store, const FieldEnable& enable);

// Applies every load rule to the record as it stands, the STATIONTYPE rule
// included, so the result is what saving and loading again would give
// (except WAKU1_BUNKATU, which a reload resets to its default).
void normalise_settings(SettingsSet& set);

// The keys in the order load_settings_from reads them (229) and
// save_settings_to writes them (228), and the four enable keys.
std::vector<SettingKeyRef> settings_load_keys();
std::vector<SettingKeyRef> settings_save_keys();
std::vector<SettingKeyRef> field_enable_keys();

}  // namespace markomi
