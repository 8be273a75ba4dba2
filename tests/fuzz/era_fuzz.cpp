// Era table properties under random registry contents: whatever the era key
// holds, the table ends with the sentinel, is in descending order, every
// lookup lands on the right entry and every date text can be made. A broken
// property throws std::runtime_error; the driver in settings_fuzz.cpp prints
// it with the seed that replays the run.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/u16_format.h"
#include "dates/date_text.h"
#include "dates/era_table.h"

namespace {

using markomi::EraEntry;
using markomi::EraTable;
using markomi::RawEraValue;

std::size_t pick(std::mt19937_64& rng, std::size_t n) {
    return static_cast<std::size_t>(std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng));
}

bool chance(std::mt19937_64& rng, int one_in) { return pick(rng, static_cast<std::size_t>(one_in)) == 0; }

int pick_int(std::mt19937_64& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

std::string shown(std::u16string_view text, std::size_t limit = 60) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
        char16_t c = text[i];
        if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    out += "\"";
    if (text.size() > limit) out += "...(" + std::to_string(text.size()) + " units)";
    return out;
}

std::string shown(const std::vector<RawEraValue>& values) {
    std::string out;
    for (const RawEraValue& v : values) {
        out += "\n  " + shown(v.name) + " = " + shown(v.data) + (v.is_string ? "" : " (not a string)");
    }
    return out.empty() ? "\n  (no values)" : out;
}

[[noreturn]] void fail(const std::string& what, const std::vector<RawEraValue>& values) {
    throw std::runtime_error("era table: " + what + "\nvalues:" + shown(values));
}

char16_t random_unit(std::mt19937_64& rng) {
    static const char16_t kSpecial[] = {u'0', u'1', u'9', u' ', u'_', u'\0', u'?', u'-', 0xD800, 0xDBFF,
                                        0xDC00, 0xDFFF, 0xFFFF, u'令', u'和', u'？', u'R'};
    if (chance(rng, 2)) return kSpecial[pick(rng, sizeof kSpecial / sizeof kSpecial[0])];
    return static_cast<char16_t>(pick(rng, 0x10000));
}

std::u16string random_units(std::mt19937_64& rng, std::size_t max_len) {
    std::u16string out;
    std::size_t n = pick(rng, max_len + 1);
    for (std::size_t i = 0; i < n; ++i) out += random_unit(rng);
    return out;
}

std::u16string digits(std::mt19937_64& rng, int count) {
    std::u16string out;
    for (int i = 0; i < count; ++i) out += static_cast<char16_t>(u'0' + pick(rng, 10));
    return out;
}

// Mostly names shaped like start dates, some near misses, some noise.
std::u16string random_value_name(std::mt19937_64& rng) {
    switch (pick(rng, 7)) {
        case 0: return digits(rng, 4) + u" " + digits(rng, 2) + u" " + digits(rng, 2);
        case 1: return u"20" + digits(rng, 2) + u" 0" + digits(rng, 1) + u" 0" + digits(rng, 1);
        case 2: return digits(rng, 4) + random_units(rng, 12);
        case 3: return digits(rng, static_cast<int>(pick(rng, 4)));          // too short
        case 4: return u"0000 00 0" + digits(rng, 1);                        // at or below the sentinel
        case 5: return digits(rng, 4) + std::u16string(pick(rng, 1200), u'9');  // huge
        default: return random_units(rng, 20);
    }
}

std::u16string random_description(std::mt19937_64& rng) {
    static const char16_t* const kKnown[] = {u"令和_令_Reiwa_R", u"平成_平_Heisei_H", u"？？_？_?_?", u"X",
                                             u"\U00020BB7\U00020BB7_\U00020BB7_Surrogate_\U00020BB7"};
    switch (pick(rng, 5)) {
        case 0: return kKnown[pick(rng, sizeof kKnown / sizeof kKnown[0])];
        case 1: return u"";
        case 2: return std::u16string(pick(rng, 1500), random_unit(rng));  // huge
        default: return random_units(rng, 30);
    }
}

std::u16string date_key(int year, int month, int day) {
    std::u16string key;
    markomi::append_decimal(key, year, 4);
    key += u' ';
    markomi::append_decimal(key, month, 2);
    key += u' ';
    markomi::append_decimal(key, day, 2);
    return key;
}

int random_year(std::mt19937_64& rng) {
    switch (pick(rng, 4)) {
        case 0: return pick_int(rng, 1800, 2100);
        case 1: return pick_int(rng, -20, 10020);
        case 2: return chance(rng, 2) ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
        default: return pick_int(rng, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    }
}

// Reads "YYYY MM DD" into the date; false for any other shape.
bool parse_start_date(std::u16string_view start, markomi::StampDate* date) {
    if (start.size() != 10 || start[4] != u' ' || start[7] != u' ') return false;
    int parts[3] = {0, 0, 0};
    const std::size_t begins[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (std::size_t k = begins[p]; k < begins[p] + lengths[p]; ++k) {
            if (start[k] < u'0' || start[k] > u'9') return false;
            parts[p] = parts[p] * 10 + (start[k] - u'0');
        }
    }
    date->year = parts[0];
    date->month = parts[1];
    date->day = parts[2];
    return true;
}

bool usable(const RawEraValue& v) {
    if (!v.is_string || v.data.empty() || v.name.size() < 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (v.name[i] < u'0' || v.name[i] > u'9') return false;
    }
    return true;
}

void check_table(const EraTable& table, const std::vector<RawEraValue>& values) {
    std::size_t expected = 1;
    for (const RawEraValue& v : values) expected += usable(v) ? 1 : 0;
    // Nothing usable gives the built-in list (five eras and the sentinel).
    if (expected == 1) expected = 6;
    if (table.size() != expected) {
        fail(std::to_string(table.size()) + " entries, expected " + std::to_string(expected), values);
    }
    const EraEntry& last = table.back();
    if (last.start_date.view() != u"0000 00 00" || last.description.view() != u"？？_？_?_?" ||
        last.start_year != 0) {
        fail("the last entry is not the sentinel but " + shown(last.start_date.view()), values);
    }
    for (std::size_t i = 0; i + 1 < table.size(); ++i) {
        const EraEntry& e = table[i];
        if (i + 2 < table.size() && e.start_date.view() < table[i + 1].start_date.view()) {
            fail("entry " + std::to_string(i) + " " + shown(e.start_date.view()) + " sorts below the next " +
                     shown(table[i + 1].start_date.view()),
                 values);
        }
        std::u16string_view start = e.start_date.view();
        int year = 0;
        for (std::size_t k = 0; k < 4; ++k) year = year * 10 + (start[k] - u'0');
        if (e.start_year != year) fail("start year " + std::to_string(e.start_year) + " of " + shown(start), values);
        if (e.description.empty() || e.start_date.size() > 499 || e.description.size() > 499) {
            fail("bad texts in entry " + shown(start), values);
        }
        if (e.full_name.view() != e.description.view().substr(0, e.full_name.size())) {
            fail("full name " + shown(e.full_name.view()) + " is not the start of its description", values);
        }
    }
}

void check_lookup(const EraTable& table, const std::vector<RawEraValue>& values, int year, int month, int day) {
    const EraEntry& found = markomi::find_era(table, year, month, day);
    const EraEntry* first = table.data();
    if (&found < first || &found >= first + table.size()) fail("find_era returned an entry not in the table", values);
    std::u16string key = date_key(year, month, day);
    std::size_t index = static_cast<std::size_t>(&found - first);
    bool fits = found.start_date.view() <= std::u16string_view(key);
    // Only a key below the sentinel (a negative year or month) may miss every
    // entry; it then gets the last one.
    if (!fits && index + 1 != table.size()) fail("find_era result is after " + shown(key), values);
    for (std::size_t i = 0; i < index; ++i) {
        if (table[i].start_date.view() <= std::u16string_view(key)) {
            fail("find_era skipped entry " + std::to_string(i) + " for " + shown(key), values);
        }
    }
    if (!fits && std::u16string_view(key) >= u"0000 00 00") fail("the sentinel does not fit " + shown(key), values);
}

void check_texts(const EraTable& table, const std::vector<RawEraValue>& values, std::mt19937_64& rng) {
    markomi::StampDate date;
    date.year = random_year(rng);
    date.month = chance(rng, 4) ? pick_int(rng, -3, 15) : pick_int(rng, 1, 12);
    date.day = chance(rng, 4) ? pick_int(rng, -3, 40) : pick_int(rng, 1, 31);
    // Often the very first day of an era or the day before: the boundaries
    // are where a lookup goes wrong.
    const EraEntry& near = table[pick(rng, table.size())];
    if (chance(rng, 2) && parse_start_date(near.start_date.view(), &date)) date.day -= pick_int(rng, 0, 1);
    check_lookup(table, values, date.year, date.month, date.day);

    int era_style = pick_int(rng, -1, 7);
    int delimiter = pick_int(rng, -1, 4);
    int month_style = pick_int(rng, -1, 2);
    std::u16string out = u"before";
    bool made = markomi::format_date_text(era_style, delimiter, date, month_style, table, &out);
    std::string what = "date " + shown(date_key(date.year, date.month, date.day)) + " era style " +
                       std::to_string(era_style) + " delimiter " + std::to_string(delimiter) + " month style " +
                       std::to_string(month_style);
    if (made != (era_style >= 1 && era_style <= 5)) fail("format_date_text result for " + what, values);
    if (!made && out != u"before") fail("format_date_text wrote for " + what, values);
    if (made) {
        std::u16string day;
        markomi::append_decimal(day, date.day, 2);
        if (out.size() <= day.size() || out.compare(out.size() - day.size(), day.size(), day) != 0) {
            fail("date text " + shown(out) + " does not end with the day, " + what, values);
        }
    }
    int weekday = markomi::weekday_of(date.year, date.month, date.day);
    if (weekday < 0 || weekday > 6) fail("weekday " + std::to_string(weekday) + " for " + what, values);
    if (markomi::date_picker_caption(date).empty()) fail("empty caption for " + what, values);
}

}  // namespace

void fuzz_eras_once(std::mt19937_64& rng) {
    std::vector<RawEraValue> values(pick(rng, 12));
    for (RawEraValue& v : values) {
        v.name = random_value_name(rng);
        v.data = random_description(rng);
        v.is_string = !chance(rng, 6);
    }
    EraTable table = markomi::build_era_table(values);
    check_table(table, values);
    for (int i = 0; i < 8; ++i) check_texts(table, values, rng);

    // The built-in list must meet the same rules as any registry list.
    static const EraTable kBuiltin = markomi::builtin_era_table();
    check_texts(kBuiltin, {}, rng);
}
