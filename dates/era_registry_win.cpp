#include "dates/era_registry_win.h"

#include <string>

#include "base/wide_text_win.h"
#include "base/win_handles_win.h"

namespace markomi {

namespace {

constexpr DWORD kNameCapacity = 500;  // units, terminator included
constexpr DWORD kDataCapacity = 500;  // bytes

}  // namespace

std::vector<RawEraValue> read_era_values(HKEY key, bool* ok) {
    std::vector<RawEraValue> values;
    *ok = true;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kNameCapacity];
        BYTE data[kDataCapacity];
        DWORD name_length = kNameCapacity;
        DWORD data_size = kDataCapacity;
        DWORD type = REG_NONE;
        LONG status = RegEnumValueW(key, index, name, &name_length, nullptr, &type, data, &data_size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        // One oversized value must not cost the whole list, which may hold a
        // newly proclaimed era.
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) {
            *ok = false;
            values.clear();
            break;
        }
        RawEraValue value;
        DWORD name_units = name_length < kNameCapacity ? name_length : kNameCapacity - 1;
        value.name = std::u16string(as_u16(std::wstring_view(name, name_units)));
        value.is_string = type == REG_SZ;
        // The data may be unterminated or of odd length: only the bytes reported are read.
        if (value.is_string) {
            value.data = text_from_registry_bytes(data, data_size <= kDataCapacity ? data_size : kDataCapacity);
        }
        values.push_back(std::move(value));
    }
    return values;
}

bool read_system_era_values(std::vector<RawEraValue>* values) {
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEraKeyPath, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    bool ok = false;
    *values = read_era_values(key.get(), &ok);
    return ok;
}

void load_era_table() {
    std::vector<RawEraValue> values;
    g_era_table = read_system_era_values(&values) ? build_era_table(values) : builtin_era_table();
}

void free_era_table() { EraTable().swap(g_era_table); }

}  // namespace markomi
