#include "dates/era_table.h"

#include <algorithm>
#include <string_view>

#include "base/u16_format.h"

namespace markomi {

EraTable g_era_table;

namespace {

constexpr char16_t kSentinelStart[] = u"0000 00 00";
constexpr char16_t kSentinelDescription[] = u"？？_？_?_?";

bool is_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

bool starts_with_four_digits(std::u16string_view name) {
    if (name.size() < 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (name[i] < u'0' || name[i] > u'9') return false;
    }
    return true;
}

// The one-unit names cannot hold a surrogate pair; half of one would draw as
// a broken glyph, so such a name stays empty instead.
void set_one_unit_name(FixedText<1>& name, char16_t c) {
    if (is_surrogate(c)) return;
    name = std::u16string_view(&c, 1);
}

EraEntry make_entry(std::u16string_view start_date, std::u16string_view description) {
    EraEntry e;
    e.start_date = start_date;
    e.description = description;
    std::u16string_view start = e.start_date.view();
    std::u16string_view desc = e.description.view();
    // Callers guarantee four leading digits; the names go by position, not
    // by the underscores, so an odd description gives odd names, not a fault.
    e.start_year = 0;
    for (std::size_t i = 0; i < 4 && i < start.size(); ++i) {
        e.start_year = e.start_year * 10 + (start[i] - u'0');
    }
    e.full_name = cut_to_capacity(desc, 2);
    if (!desc.empty()) {
        set_one_unit_name(e.short_name, desc.front());
        set_one_unit_name(e.symbol, desc.back());
    }
    return e;
}

EraEntry sentinel_entry() { return make_entry(kSentinelStart, kSentinelDescription); }

}  // namespace

EraTable build_era_table(const std::vector<RawEraValue>& values) {
    EraTable table;
    table.reserve(values.size() + 1);
    for (const RawEraValue& v : values) {
        // A name without a leading year (say "Version") would sort above every
        // era and capture every date; empty data would give nameless eras.
        if (!v.is_string || v.data.empty() || !starts_with_four_digits(v.name)) continue;
        table.push_back(make_entry(v.name, v.data));
    }
    // A key with no usable era would leave the sentinel alone and print every
    // year as "？？"; the built-in list is the better answer then.
    if (table.empty()) return builtin_era_table();
    // Equal start dates keep their enumeration order, so the earlier value wins.
    std::stable_sort(table.begin(), table.end(), [](const EraEntry& a, const EraEntry& b) {
        return a.start_date.view() > b.start_date.view();
    });
    // Appended after sorting: a value named "0000 00 00" or lower must not
    // push the sentinel away from the end.
    table.push_back(sentinel_entry());
    return table;
}

EraTable builtin_era_table() {
    EraTable table;
    table.reserve(6);
    table.push_back(make_entry(u"2019 05 01", u"令和_令_Reiwa_R"));
    table.push_back(make_entry(u"1989 01 08", u"平成_平_Heisei_H"));
    table.push_back(make_entry(u"1926 12 25", u"昭和_昭_Showa_S"));
    table.push_back(make_entry(u"1912 07 30", u"大正_大_Taisho_T"));
    table.push_back(make_entry(u"1868 01 01", u"明治_明_Meiji_M"));
    table.push_back(sentinel_entry());
    return table;
}

const EraEntry& find_era(const EraTable& eras, int year, int month, int day) {
    static const EraEntry kSentinel = sentinel_entry();
    if (eras.empty()) return kSentinel;
    std::u16string key;
    append_decimal(key, year, 4);
    key.push_back(u' ');
    append_decimal(key, month, 2);
    key.push_back(u' ');
    append_decimal(key, day, 2);
    for (const EraEntry& e : eras) {
        if (e.start_date.view() <= std::u16string_view(key)) return e;
    }
    return eras.back();
}

std::u16string text_from_registry_bytes(const unsigned char* bytes, std::size_t byte_count) {
    std::u16string text;
    if (bytes == nullptr) return text;
    for (std::size_t i = 0; i + 1 < byte_count; i += 2) {
        char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

}  // namespace markomi
