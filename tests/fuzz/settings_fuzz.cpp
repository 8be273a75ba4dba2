// Bounded fuzz run of the portable core, one executable for all fuzzers:
// this file holds the driver and the settings properties, era_fuzz.cpp the
// era table properties. A broken property throws; the driver prints the run
// seed that reproduces it alone (--seed S --runs 1) and the message.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/u16_format.h"
#include "settings/memory_profile.h"
#include "settings/profile_value.h"
#include "settings/settings_rules.h"

void fuzz_settings_once(std::mt19937_64& rng);
void fuzz_eras_once(std::mt19937_64& rng);  // era_fuzz.cpp

namespace {

using markomi::ColorRef;
using markomi::FontSpec;
using markomi::MemoryProfile;
using markomi::SettingsSet;
using markomi::SlotSettings;

std::size_t pick(std::mt19937_64& rng, std::size_t n) {
    return static_cast<std::size_t>(std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng));
}

bool chance(std::mt19937_64& rng, int one_in) {
    return pick(rng, static_cast<std::size_t>(one_in)) == 0;
}

// Printable form of a UTF-16 text for failure messages: ASCII as is, the rest as \uXXXX.
std::string shown(std::u16string_view text, std::size_t limit = 4000) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
        char16_t c = text[i];
        if (c >= 0x20 && c < 0x7F && c != u'\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    if (text.size() > limit) out += "...(" + std::to_string(text.size()) + " units)";
    return out;
}

[[noreturn]] void fail(const std::string& what, std::u16string_view input) {
    throw std::runtime_error(what + "\ninput: " + shown(input));
}

// Units that matter to the INI syntax, mixed with arbitrary ones.
char16_t random_unit(std::mt19937_64& rng) {
    static const char16_t kSpecial[] = {u' ',  u'\t', u'"',   u'\'',  u'=',   u'[',   u']',  u'+',
                                        u'-',  u'0',  u'5',   u'9',   u'B',   u'M',   u'x',  u'\0',
                                        u'\r', u'\n', 0xD800, 0xDC00, 0xFEFF, 0x3000, u'部', u'Ｐ'};
    if (chance(rng, 2)) return kSpecial[pick(rng, sizeof kSpecial / sizeof kSpecial[0])];
    return static_cast<char16_t>(pick(rng, 0x10000));
}

std::u16string random_units(std::mt19937_64& rng, std::size_t max_len, bool line_breaks) {
    std::u16string out;
    std::size_t n = pick(rng, max_len + 1);
    for (std::size_t i = 0; i < n; ++i) {
        char16_t c = random_unit(rng);
        if (!line_breaks && (c == u'\r' || c == u'\n')) c = u'?';
        out += c;
    }
    return out;
}

std::u16string random_number_text(std::mt19937_64& rng) {
    static const std::int64_t kEdges[] = {0,
                                          1,
                                          2,
                                          3,
                                          4,
                                          5,
                                          6,
                                          7,
                                          9,
                                          10,
                                          11,
                                          19,
                                          20,
                                          21,
                                          79,
                                          80,
                                          81,
                                          598,
                                          -1,
                                          255,
                                          2147483647LL,
                                          2147483648LL,
                                          -2147483648LL,
                                          -2147483649LL,
                                          4294967295LL};
    std::u16string out;
    if (chance(rng, 4)) out += chance(rng, 2) ? u" " : u"\t";
    switch (pick(rng, 4)) {
        case 0:
            out += markomi::decimal_text(static_cast<std::int64_t>(pick(rng, 131)) - 30);
            break;
        case 1:
            out += markomi::decimal_text(kEdges[pick(rng, sizeof kEdges / sizeof kEdges[0])]);
            break;
        case 2: {
            if (chance(rng, 2)) out += chance(rng, 2) ? u"-" : u"+";
            std::size_t digits = 1 + pick(rng, 40);
            for (std::size_t i = 0; i < digits; ++i)
                out += static_cast<char16_t>(u'0' + pick(rng, 10));
            break;
        }
        default:
            out += markomi::decimal_text(static_cast<std::int32_t>(rng()));
            break;
    }
    if (chance(rng, 4)) out += random_units(rng, 4, false);
    if (chance(rng, 8)) out = u"\"" + out + u"\"";
    return out;
}

std::u16string random_value(std::mt19937_64& rng) {
    switch (pick(rng, 6)) {
        case 0:
        case 1:
            return random_number_text(rng);
        case 2:
            return random_units(rng, 12, false);
        case 3:
            return std::u16string(pick(rng, 3), u' ') + random_units(rng, 300, false);
        case 4:
            return chance(rng, 2) ? u"B" : u"M";
        default:
            return std::u16string(
                pick(rng, 1000),
                chance(rng, 2) ? u'部' : static_cast<char16_t>(u'a' + pick(rng, 26)));
    }
}

std::u16string random_case(std::mt19937_64& rng, std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z' && chance(rng, 4)) c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

const char16_t* random_line_end(std::mt19937_64& rng) {
    static const char16_t* const kEnds[] = {u"\r\n", u"\n", u"\r"};
    return kEnds[pick(rng, 3)];
}

// An INI text of settings keys with odd values, duplicates and garbage lines.
std::u16string random_ini(std::mt19937_64& rng, const std::vector<markomi::SettingKeyRef>& keys) {
    if (chance(rng, 20)) return random_units(rng, 3000, true);
    static const char16_t* const kSections[] = {u"MARKOMI", u"BUSHO",  u"DATE",
                                                u"NAME",    u"ENABLE", u"OTHER"};
    std::u16string text;
    std::size_t lines = pick(rng, 80);
    for (std::size_t i = 0; i < lines; ++i) {
        std::size_t kind = pick(rng, 20);
        if (kind == 0) {
            text += std::u16string(pick(rng, 2), u' ') + u"[" +
                    random_case(rng, kSections[pick(rng, 6)]);
            if (!chance(rng, 10)) text += u"]";
        } else if (kind == 1) {
            text += random_units(rng, 30, false);
        } else {
            const markomi::SettingKeyRef& k = keys[pick(rng, keys.size())];
            if (chance(rng, 3)) text += u"[" + k.section + u"]" + random_line_end(rng);
            text += random_case(rng, k.key) + (chance(rng, 5) ? u" = " : u"=") + random_value(rng);
        }
        text += random_line_end(rng);
    }
    if (chance(rng, 200)) {
        // Now and then a value far beyond every capacity.
        const markomi::SettingKeyRef& k = keys[pick(rng, keys.size())];
        text +=
            u"[" + k.section + u"]\r\n" + k.key + u"=" + std::u16string(100000, u'部') + u"\r\n";
    }
    return text;
}

// Every field of the record as one text, independent of the rule table.
std::u16string describe(const SettingsSet& s) {
    std::u16string out;
    auto num = [&out](long long v) {
        markomi::append_decimal(out, v);
        out += u',';
    };
    auto txt = [&out](std::u16string_view v) {
        out += u'"';
        out += v;
        out += u"\",";
    };
    num(s.global.active);
    txt(s.global.busho.view());
    txt(s.global.name.view());
    txt(s.global.format.view());
    for (ColorRef c : s.global.cust_colors) num(c);
    txt(s.global.charset.view());
    for (int v :
         {s.global.station_type, s.global.paste, s.global.hotkey, s.global.ajust, s.global.expand})
        num(v);
    for (const SlotSettings& slot : s.slots) {
        out += u"\nslot:";
        for (long long v : {0LL + slot.frame.hankei, 0LL + slot.frame.thick, 0LL + slot.frame.color,
                            0LL + slot.frame.bunkatu, 0LL + slot.frame.shadow}) {
            num(v);
        }
        for (const FontSpec* f : {&slot.busho, &slot.date, &slot.name}) {
            for (int v : {f->height, f->weight, f->italic, f->underline, f->strikeout}) num(v);
            txt(f->face_name.view());
            num(f->color);
        }
        for (int v :
             {slot.date_format.era, slot.date_format.delimiter, slot.date_format.month_lang})
            num(v);
    }
    out += u"\nenable:";
    for (int v : {s.enable.busho, s.enable.name, s.enable.date, s.enable.format}) num(v);
    out += u"\ndate:";
    for (int v : {s.date.year, s.date.month, s.date.day, s.date.hour, s.date.minute, s.date.second,
                  s.date.weekday}) {
        num(v);
    }
    return out;
}

template <std::size_t N>
bool text_ok(const markomi::FixedText<N>& t) {
    return t.size() <= N && t.c_str()[t.size()] == 0 &&
           t.view().find(u'\0') == std::u16string_view::npos;
}

// Empty when every field is inside its range and capacity.
std::string range_problem(const SettingsSet& s) {
    const markomi::GlobalOptions& g = s.global;
    auto in = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
    if (!in(g.active, 0, 6)) return "ACTIVE";
    if (!text_ok(g.busho) || !text_ok(g.name) || !text_ok(g.charset)) return "global text";
    if (g.format.view() != u"M" && g.format.view() != u"B") return "FORMAT";
    if (!in(g.station_type, 0, 1) || !in(g.paste, 0, 1) || !in(g.ajust, 0, 1) ||
        !in(g.expand, 0, 1)) {
        return "global flag";
    }
    if (g.station_type == 0 && (g.paste != 0 || g.hotkey != 0))
        return "paste/hotkey outside resident mode";
    if (g.hotkey == 598) return "HOTKEY Ctrl+V";
    for (const SlotSettings& slot : s.slots) {
        if (!in(slot.frame.hankei, 20, 80) || !in(slot.frame.thick, 1, 10) ||
            !in(slot.frame.bunkatu, 3, 20)) {
            return "frame";
        }
        if (!text_ok(slot.busho.face_name) || !text_ok(slot.date.face_name) ||
            !text_ok(slot.name.face_name)) {
            return "face name";
        }
        if (!in(slot.date_format.era, 1, 5) || !in(slot.date_format.delimiter, 1, 3) ||
            !in(slot.date_format.month_lang, 0, 1)) {
            return "date format";
        }
    }
    return {};
}

// parse_profile_int by other means: the C library's saturating strtoll on the
// ASCII form, narrowed to 32 bits.
std::int32_t reference_int(std::u16string_view text) {
    std::string ascii;
    for (char16_t c : text) ascii += c > 0 && c < 0x80 ? static_cast<char>(c) : '?';
    std::size_t i = ascii.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    std::size_t d = i + (ascii[i] == '+' || ascii[i] == '-' ? 1 : 0);
    if (d >= ascii.size() || ascii[d] < '0' || ascii[d] > '9')
        return 0;  // strtoll would skip other spaces
    errno = 0;
    long long v = std::strtoll(ascii.c_str() + i, nullptr, 10);
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

void check_int_syntax(std::mt19937_64& rng) {
    std::u16string text = chance(rng, 2) ? random_number_text(rng) : random_units(rng, 16, true);
    std::int32_t got = markomi::parse_profile_int(text);
    std::int32_t want = reference_int(text);
    if (got != want)
        fail(
            "parse_profile_int gave " + std::to_string(got) + ", reference " + std::to_string(want),
            text);
    auto bits = static_cast<std::int32_t>(rng());
    if (markomi::parse_profile_int(markomi::profile_int_text(bits)) != bits) {
        fail("integer text does not read back", markomi::profile_int_text(bits));
    }
    auto color = static_cast<ColorRef>(rng());
    if (markomi::parse_profile_color(markomi::profile_color_text(color)) != color) {
        fail("colour text does not read back", markomi::profile_color_text(color));
    }
}

}  // namespace

void fuzz_settings_once(std::mt19937_64& rng) {
    static const std::vector<markomi::SettingKeyRef> keys = markomi::settings_load_keys();
    check_int_syntax(rng);

    std::u16string ini = random_ini(rng, keys);
    MemoryProfile file = MemoryProfile::parse(ini);
    SettingsSet loaded;
    loaded.enable = markomi::FieldEnable{3, 4, 5, 6};  // must survive the load untouched
    loaded.date.year = 1999;
    markomi::load_settings_from(file, loaded);
    if (std::string problem = range_problem(loaded); !problem.empty())
        fail("out of range after load: " + problem, ini);
    if (loaded.enable.busho != 3 || loaded.enable.format != 6 || loaded.date.year != 1999) {
        fail("load touched the enable flags or the date", ini);
    }

    SettingsSet normalised = loaded;
    markomi::normalise_settings(normalised);
    if (describe(normalised) != describe(loaded))
        fail("a loaded record is changed by normalising", ini);

    // Save into a fresh file and load again, from memory and from its text.
    SettingsSet saved = loaded;
    MemoryProfile fresh;
    if (!markomi::save_settings_to(fresh, saved) || fresh.write_count() != 228)
        fail("save did not write 228 keys", ini);
    SettingsSet expected = saved;
    expected.slots[0].frame.bunkatu = SlotSettings{}.frame.bunkatu;  // not saved for slot 1
    MemoryProfile reparsed = MemoryProfile::parse(fresh.to_text());
    for (MemoryProfile* store : {&fresh, &reparsed}) {
        SettingsSet again;
        again.enable = expected.enable;
        again.date = expected.date;
        markomi::load_settings_from(*store, again);
        if (describe(again) != describe(expected)) {
            fail("save then load changed the record:\n" + shown(describe(expected)) + "\nbecame\n" +
                     shown(describe(again)),
                 ini);
        }
    }

    markomi::FieldEnable enable;
    markomi::load_field_enable_from(file, enable);
    for (int v : {enable.busho, enable.name, enable.date, enable.format}) {
        if (v != 0 && v != 1) fail("enable flag out of range", ini);
    }
}

int main(int argc, char** argv) {
    unsigned long long runs = 1000;
    unsigned long long seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::strtoull(argv[i + 1], nullptr, 10);
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] [--seed S]\n", argv[0]);
            return 2;
        }
    }
    std::mt19937_64 rng;
    for (unsigned long long run = 0; run < runs; ++run) {
        // Each run starts from its own seed, so one failing run can be replayed alone.
        unsigned long long run_seed = seed + run;
        rng.seed(run_seed);
        try {
            fuzz_settings_once(rng);
            fuzz_eras_once(rng);
        } catch (const std::exception& e) {
            std::printf("fuzz: run %llu failed (replay with --seed %llu --runs 1): %s\n", run,
                        run_seed, e.what());
            return 1;
        } catch (...) {
            std::printf("fuzz: run %llu failed (replay with --seed %llu --runs 1)\n", run,
                        run_seed);
            return 1;
        }
    }
    std::printf("fuzz: %llu runs, 0 failures\n", runs);
    return 0;
}
