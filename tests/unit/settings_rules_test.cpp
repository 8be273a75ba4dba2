#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/u16_format.h"
#include "settings/memory_profile.h"
#include "settings/settings_rules.h"

namespace markomi {
namespace {

// Every field of the record as one text, so that a mismatch shows which.
std::string dump(const SettingsSet& s) {
    std::string out;
    auto num = [&out](const char* name, long long v) {
        out += name;
        out += '=' + std::to_string(v) + '\n';
    };
    auto txt = [&out](const char* name, std::u16string_view v) {
        out += name;
        out += '=' + u16_to_utf8(v) + '\n';
    };
    const GlobalOptions& g = s.global;
    num("ACTIVE", g.active);
    txt("BUSHO", g.busho.view());
    txt("NAME", g.name.view());
    txt("FORMAT", g.format.view());
    for (ColorRef c : g.cust_colors) num("CUSTCOLOR", c);
    txt("CHARSET", g.charset.view());
    num("STATIONTYPE", g.station_type);
    num("PASTE", g.paste);
    num("HOTKEY", g.hotkey);
    num("AJUST", g.ajust);
    num("EXPAND", g.expand);
    for (const SlotSettings& slot : s.slots) {
        out += "--slot\n";
        num("HANKEI", slot.frame.hankei);
        num("THICK", slot.frame.thick);
        num("WAKU_COLOR", slot.frame.color);
        num("BUNKATU", slot.frame.bunkatu);
        num("SHADOW", slot.frame.shadow);
        for (const FontSpec* f : {&slot.busho, &slot.date, &slot.name}) {
            num("HEIGHT", f->height);
            num("WEIGHT", f->weight);
            num("ITALIC", f->italic);
            num("UNDERLINE", f->underline);
            num("STRIKEOUT", f->strikeout);
            txt("FACENAME", f->face_name.view());
            num("COLOR", f->color);
        }
        num("ERA", slot.date_format.era);
        num("DELIMITER", slot.date_format.delimiter);
        num("MONTH_LANG", slot.date_format.month_lang);
    }
    const FieldEnable& e = s.enable;
    num("ENABLE", e.busho);
    num("ENABLE", e.name);
    num("ENABLE", e.date);
    num("ENABLE", e.format);
    const StampDate& d = s.date;
    for (int v : {d.year, d.month, d.day, d.hour, d.minute, d.second, d.weekday}) num("DATE", v);
    return out;
}

SettingsSet load_text(std::u16string_view ini) {
    MemoryProfile store = MemoryProfile::parse(ini);
    SettingsSet set;
    load_settings_from(store, set);
    return set;
}

// One value in section MARKOMI.
SettingsSet load_markomi(std::u16string_view key, std::u16string_view value) {
    return load_text(u"[MARKOMI]\r\n" + std::u16string(key) + u"=" + std::u16string(value) +
                     u"\r\n");
}

// Logs the order in which keys are asked for.
class RecordingStore : public ProfileStore {
  public:
    std::optional<std::u16string> read(std::u16string_view section,
                                       std::u16string_view key) override {
        reads.push_back({std::u16string(section), std::u16string(key)});
        return inner.read(section, key);
    }
    bool write(std::u16string_view section, std::u16string_view key,
               std::u16string_view value) override {
        writes.push_back({std::u16string(section), std::u16string(key)});
        return inner.write(section, key, value);
    }
    MemoryProfile inner;
    std::vector<SettingKeyRef> reads;
    std::vector<SettingKeyRef> writes;
};

std::u16string n16(int n) {
    return decimal_text(n);
}

// The order of a new file, built here from the key names rather than from the table.
std::vector<SettingKeyRef> expected_order(bool saving) {
    std::vector<SettingKeyRef> keys;
    for (const char* k : {"ACTIVE", "BUSHO", "NAME", "FORMAT"})
        keys.push_back({u"MARKOMI", ascii_to_u16(k)});
    for (int i = 1; i <= 16; ++i) keys.push_back({u"MARKOMI", u"CUSTCOLOR" + n16(i)});
    for (const char* k : {"CHARSET", "STATIONTYPE", "PASTE", "HOTKEY", "AJUST", "EXPAND"}) {
        keys.push_back({u"MARKOMI", ascii_to_u16(k)});
    }
    const char* font_keys[] = {"HEIGHT",    "WEIGHT",   "ITALIC", "UNDERLINE",
                               "STRIKEOUT", "FACENAME", "COLOR"};
    for (int n = 1; n <= 7; ++n) {
        for (const char* k : {"HANKEI", "THICK", "COLOR", "BUNKATU", "SHADOW"}) {
            if (saving && n == 1 && std::string(k) == "BUNKATU") continue;
            keys.push_back({u"MARKOMI", u"WAKU" + n16(n) + u"_" + ascii_to_u16(k)});
        }
        for (const char* row : {"BUSHO", "DATE", "NAME"}) {
            for (const char* k : font_keys) {
                keys.push_back(
                    {ascii_to_u16(row), ascii_to_u16(row) + n16(n) + u"_" + ascii_to_u16(k)});
            }
        }
        for (const char* k : {"ERA", "DELIMITER", "MONTH_LANG"}) {
            keys.push_back({u"MARKOMI", u"DATE" + n16(n) + u"_" + ascii_to_u16(k)});
        }
    }
    return keys;
}

TEST(SettingsLoad, MissingFileGivesEveryDefault) {
    SettingsSet set = load_text(u"");
    const GlobalOptions& g = set.global;
    EXPECT_EQ(g.active, 0);
    EXPECT_EQ(g.busho.view(), u"技術部");
    EXPECT_EQ(g.name.view(), u"印田");
    EXPECT_EQ(g.format.view(), u"M");
    for (ColorRef c : g.cust_colors) EXPECT_EQ(c, 0u);
    EXPECT_EQ(g.charset.view(), u"shift-jis");
    EXPECT_FALSE(charset_is_unicode(g));
    EXPECT_EQ(g.station_type, 0);
    EXPECT_EQ(g.paste, 0);
    EXPECT_EQ(g.hotkey, 0);
    EXPECT_EQ(g.ajust, 1);
    EXPECT_EQ(g.expand, 0);
    for (const SlotSettings& slot : set.slots) {
        EXPECT_EQ(slot.frame.hankei, 35);
        EXPECT_EQ(slot.frame.thick, 1);
        EXPECT_EQ(slot.frame.color, 255u);
        EXPECT_EQ(slot.frame.bunkatu, 9);
        EXPECT_EQ(slot.frame.shadow, 0);
        int height = -13;
        for (const FontSpec* f : {&slot.busho, &slot.date, &slot.name}) {
            if (f == &slot.name) height = -16;
            EXPECT_EQ(f->height, height);
            EXPECT_EQ(f->weight, 400);
            EXPECT_EQ(f->italic + f->underline + f->strikeout, 0);
            EXPECT_EQ(f->face_name.view(), u"ＭＳ Ｐゴシック");
            EXPECT_EQ(f->color, 255u);
        }
        EXPECT_EQ(slot.date_format.era, 5);
        EXPECT_EQ(slot.date_format.delimiter, 1);
        EXPECT_EQ(slot.date_format.month_lang, 0);
    }
    // A default-constructed record holds the same defaults.
    EXPECT_EQ(dump(set), dump(SettingsSet{}));
}

TEST(SettingsLoad, LoadingResetsEverythingButEnableFlagsAndDate) {
    SettingsSet set;
    set.global.busho = u"営業部";
    set.global.cust_colors[3] = 77;
    set.slots[4].frame.hankei = 60;
    set.slots[6].name.face_name = u"x";
    set.enable.date = 0;
    set.date.year = 2031;
    set.date.weekday = 2;
    MemoryProfile empty;
    load_settings_from(empty, set);
    SettingsSet expected;
    expected.enable.date = 0;
    expected.date.year = 2031;
    expected.date.weekday = 2;
    EXPECT_EQ(dump(set), dump(expected));
}

TEST(SettingsLoad, FrameValuesAreClamped) {
    struct Case {
        const char16_t* key;
        const char16_t* value;
        int FrameSpec::*field;
        int expected;
    };
    const Case cases[] = {
        {u"WAKU3_HANKEI", u"10", &FrameSpec::hankei, 20},
        {u"WAKU3_HANKEI", u"100", &FrameSpec::hankei, 80},
        {u"WAKU3_HANKEI", u"55", &FrameSpec::hankei, 55},
        {u"WAKU3_HANKEI", u"abc", &FrameSpec::hankei, 20},
        {u"WAKU3_THICK", u"0", &FrameSpec::thick, 1},
        {u"WAKU3_THICK", u"11", &FrameSpec::thick, 10},
        {u"WAKU3_BUNKATU", u"2", &FrameSpec::bunkatu, 3},
        {u"WAKU3_BUNKATU", u"21", &FrameSpec::bunkatu, 20},
        {u"WAKU3_HANKEI", u"99999999999", &FrameSpec::hankei, 80},
        {u"WAKU3_HANKEI", u"-99999999999", &FrameSpec::hankei, 20},
        {u"WAKU3_SHADOW", u"9", &FrameSpec::shadow, 9},
        {u"WAKU3_SHADOW", u"-4", &FrameSpec::shadow, -4},
    };
    for (const Case& c : cases) {
        SettingsSet set = load_markomi(c.key, c.value);
        EXPECT_EQ(set.slots[2].frame.*c.field, c.expected)
            << u16_to_utf8(c.key) << "=" << u16_to_utf8(c.value);
        EXPECT_EQ(set.slots[1].frame.*c.field,
                  SlotSettings{}.frame.*c.field);  // other slots untouched
    }
    EXPECT_EQ(load_markomi(u"WAKU1_SHADOW", u"9").slots[0].frame.shadow, 9);
    EXPECT_EQ(load_markomi(u"WAKU7_COLOR", u"-1").slots[6].frame.color, 0xFFFFFFFFu);
}

TEST(SettingsLoad, DateFormatValuesAreNormalised) {
    struct Case {
        const char16_t* key;
        const char16_t* value;
        int DateFormatSpec::*field;
        int expected;
    };
    const Case cases[] = {
        {u"DATE2_ERA", u"0", &DateFormatSpec::era, 1},
        {u"DATE2_ERA", u"6", &DateFormatSpec::era, 5},
        {u"DATE2_ERA", u"3", &DateFormatSpec::era, 3},
        {u"DATE2_DELIMITER", u"0", &DateFormatSpec::delimiter, 1},
        {u"DATE2_DELIMITER", u"4", &DateFormatSpec::delimiter, 1},
        {u"DATE2_DELIMITER", u"2", &DateFormatSpec::delimiter, 2},
        {u"DATE2_DELIMITER", u"3", &DateFormatSpec::delimiter, 3},
        {u"DATE2_DELIMITER", u"x", &DateFormatSpec::delimiter, 1},
        {u"DATE2_MONTH_LANG", u"-1", &DateFormatSpec::month_lang, 0},
        {u"DATE2_MONTH_LANG", u"2", &DateFormatSpec::month_lang, 1},
        {u"DATE2_MONTH_LANG", u"1", &DateFormatSpec::month_lang, 1},
    };
    for (const Case& c : cases) {
        SettingsSet set = load_markomi(c.key, c.value);
        EXPECT_EQ(set.slots[1].date_format.*c.field, c.expected)
            << u16_to_utf8(c.key) << "=" << u16_to_utf8(c.value);
    }
    // The date format keys live in MARKOMI, not in DATE with the date row's font.
    EXPECT_EQ(load_text(u"[DATE]\nDATE2_ERA=2\n").slots[1].date_format.era, 5);
}

TEST(SettingsLoad, GlobalValuesAreNormalised) {
    EXPECT_EQ(load_markomi(u"ACTIVE", u"-1").global.active, 0);
    EXPECT_EQ(load_markomi(u"ACTIVE", u"7").global.active, 6);
    EXPECT_EQ(load_markomi(u"ACTIVE", u"4").global.active, 4);
    EXPECT_EQ(load_markomi(u"AJUST", u"5").global.ajust, 1);
    EXPECT_EQ(load_markomi(u"AJUST", u"-5").global.ajust, 1);
    EXPECT_EQ(load_markomi(u"AJUST", u"0").global.ajust, 0);
    EXPECT_EQ(load_markomi(u"AJUST", u"abc").global.ajust, 0);
    EXPECT_EQ(load_markomi(u"EXPAND", u"2").global.expand, 0);
    EXPECT_EQ(load_markomi(u"EXPAND", u"1").global.expand, 1);
    EXPECT_EQ(load_markomi(u"STATIONTYPE", u"2").global.station_type, 0);
    EXPECT_EQ(load_markomi(u"STATIONTYPE", u"1").global.station_type, 1);
    EXPECT_EQ(load_markomi(u"CUSTCOLOR16", u"-16777216").global.cust_colors[15], 0xFF000000u);
    EXPECT_EQ(load_markomi(u"CHARSET", u"Unicode").global.charset.view(), u"Unicode");
}

TEST(SettingsLoad, PasteAndHotkeyExistOnlyInResidentMode) {
    SettingsSet normal = load_text(u"[MARKOMI]\nSTATIONTYPE=2\nPASTE=1\nHOTKEY=1602\n");
    EXPECT_EQ(normal.global.station_type, 0);
    EXPECT_EQ(normal.global.paste, 0);
    EXPECT_EQ(normal.global.hotkey, 0);

    SettingsSet resident = load_text(u"[MARKOMI]\nSTATIONTYPE=1\nPASTE=1\nHOTKEY=1602\n");
    EXPECT_EQ(resident.global.paste, 1);
    EXPECT_EQ(resident.global.hotkey, 1602);
    EXPECT_EQ(load_text(u"[MARKOMI]\nSTATIONTYPE=1\nPASTE=3\n").global.paste, 0);
    // Ctrl+V is the key the paste sends, so it can never be the hotkey.
    EXPECT_EQ(load_text(u"[MARKOMI]\nSTATIONTYPE=1\nHOTKEY=598\n").global.hotkey, 0);
    EXPECT_EQ(load_text(u"[MARKOMI]\nSTATIONTYPE=1\nHOTKEY=-7\n").global.hotkey, -7);
    EXPECT_EQ(load_text(u"[MARKOMI]\nSTATIONTYPE=1\nHOTKEY=abc\n").global.hotkey, 0);
}

TEST(SettingsLoad, FormatKeepsOnlyB) {
    EXPECT_EQ(load_markomi(u"FORMAT", u"B").global.format.view(), u"B");
    EXPECT_EQ(load_markomi(u"FORMAT", u"Bitmap").global.format.view(), u"B");
    EXPECT_EQ(load_markomi(u"FORMAT", u"X").global.format.view(), u"M");
    EXPECT_EQ(load_markomi(u"FORMAT", u"b").global.format.view(), u"M");
    EXPECT_EQ(load_markomi(u"FORMAT", u"").global.format.view(), u"M");
    EXPECT_EQ(load_markomi(u"FORMAT", u" \"B\" ").global.format.view(), u"B");
}

TEST(SettingsLoad, FontFieldsAreNotLimited) {
    SettingsSet set = load_text(
        u"[NAME]\nNAME5_HEIGHT=-9999\nNAME5_WEIGHT=12345\nNAME5_ITALIC=7\nNAME5_UNDERLINE=-1\n"
        u"NAME5_STRIKEOUT=2\nNAME5_FACENAME=  IPAPGothic  "
        u"\nNAME5_COLOR=-1\n[BUSHO]\nBUSHO5_HEIGHT=30\n");
    const FontSpec& f = set.slots[4].name;
    EXPECT_EQ(f.height, -9999);
    EXPECT_EQ(f.weight, 12345);
    EXPECT_EQ(f.italic, 7);
    EXPECT_EQ(f.underline, -1);
    EXPECT_EQ(f.strikeout, 2);
    EXPECT_EQ(f.face_name.view(), u"IPAPGothic");
    EXPECT_EQ(f.color, 0xFFFFFFFFu);
    EXPECT_EQ(set.slots[4].busho.height, 30);
    EXPECT_EQ(set.slots[4].date.height, -13);
    EXPECT_EQ(set.slots[3].name.height, -16);
}

TEST(SettingsLoad, LongTextsAreCutToCapacity) {
    std::u16string huge(100000, u'部');
    std::u16string ini = u"[MARKOMI]\r\nBUSHO=" + huge + u"\r\nNAME=" + huge + u"\r\nCHARSET=" +
                         huge + u"\r\nFORMAT=B" + huge + u"\r\n[DATE]\r\nDATE7_FACENAME=" + huge +
                         u"\r\n";
    SettingsSet set = load_text(ini);
    EXPECT_EQ(set.global.busho.view(), huge.substr(0, 499));
    EXPECT_EQ(set.global.name.size(), 499u);
    EXPECT_EQ(set.global.charset.size(), 19u);
    EXPECT_EQ(set.global.format.view(), u"B");
    EXPECT_EQ(set.slots[6].date.face_name.view(), huge.substr(0, 99));
    // A text stops at a NUL, so its C string and its view agree.
    std::u16string with_nul = u"[MARKOMI]\nNAME=ab";
    with_nul += u'\0';
    with_nul += u"cd\n";
    EXPECT_EQ(load_text(with_nul).global.name.view(), u"ab");
}

TEST(SettingsLoad, ReadsEveryKeyInLoadOrder) {
    RecordingStore store;
    SettingsSet set;
    load_settings_from(store, set);
    std::vector<SettingKeyRef> expected = expected_order(false);
    EXPECT_EQ(store.reads.size(), 229u);
    EXPECT_TRUE(store.reads == expected);
    EXPECT_TRUE(settings_load_keys() == expected);
    EXPECT_TRUE(store.writes.empty());
}

TEST(SettingsSave, NewFileHasTheKeysInSaveOrder) {
    RecordingStore store;
    SettingsSet set;
    EXPECT_TRUE(save_settings_to(store, set));
    std::vector<SettingKeyRef> expected = expected_order(true);
    EXPECT_EQ(store.writes.size(), 228u);
    EXPECT_TRUE(store.writes == expected);
    EXPECT_TRUE(settings_save_keys() == expected);
    EXPECT_TRUE(charset_is_unicode(set.global));

    std::u16string text = store.inner.to_text();
    EXPECT_EQ(text.find(u"WAKU1_BUNKATU"), std::u16string::npos);
    EXPECT_NE(text.find(u"\r\nWAKU2_BUNKATU=9\r\n"), std::u16string::npos);
    EXPECT_EQ(
        text.rfind(
            u"[MARKOMI]\r\nACTIVE=0\r\nBUSHO=技術部\r\nNAME=印田\r\nFORMAT=M\r\nCUSTCOLOR1=0\r\n",
            0),
        0u);
    EXPECT_NE(text.find(u"\r\nCHARSET=unicode\r\nSTATIONTYPE=0\r\n"), std::u16string::npos);
    std::size_t busho = text.find(u"[BUSHO]"), date = text.find(u"[DATE]"),
                name = text.find(u"[NAME]");
    EXPECT_TRUE(busho < date && date < name && name != std::u16string::npos);
    EXPECT_EQ(text.find(u"[MARKOMI]", 1), std::u16string::npos);
    EXPECT_NE(text.find(u"[BUSHO]\r\nBUSHO1_HEIGHT=-13\r\nBUSHO1_WEIGHT=400\r\n"),
              std::u16string::npos);
    EXPECT_NE(text.find(u"NAME7_FACENAME=ＭＳ Ｐゴシック\r\nNAME7_COLOR=255\r\n"),
              std::u16string::npos);
}

TEST(LineText, BreaksBecomeTheStampsBreakAndOtherControlsGo) {
    const std::u16string full(499, u'課');
    const std::u16string almost(498, u'課');
    struct Case {
        const char* what;
        std::u16string in;
        std::u16string out;
    };
    const Case cases[] = {
        {"CR", u"田中\r二課", u"田中//二課"},
        {"LF", u"田中\n二課", u"田中//二課"},
        {"CR LF is one break", u"田中\r\n二課", u"田中//二課"},
        {"LF CR are two", u"a\n\rb", u"a////b"},
        {"CR CR are two", u"a\r\rb", u"a////b"},
        {"break at the ends", u"\r\na\n", u"//a//"},
        {"tab", u"山田\t太郎", u"山田太郎"},
        {"NUL", std::u16string(u"a") + u'\0' + u"b", u"ab"},
        {"escape, unit separator, DEL", u"a\x1B\x1F\x7F" u"b", u"ab"},
        {"C1: U+0080, NEL U+0085, U+009F", u"a\u0080\u0085\u009F" u"b", u"ab"},
        {"not controls", u"\u00A0営業//第二課\u3000 ", u"\u00A0営業//第二課\u3000 "},
        {"dropped units do not count", full + u"\t", full},
        {"full text grows past the capacity", full.substr(1) + u"\r\n", full.substr(1)},
        {"a break that fits", almost.substr(1) + u"\nx", almost.substr(1) + u"//"},
        {"never half a break", almost + u"\nx", almost},
        {"never half a pair", almost + u"\U0002000B", almost},
        {"a pair that fits", almost.substr(1) + u"\U0002000B", almost.substr(1) + u"\U0002000B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string cleaned = clean_line_text(c.in);
        EXPECT_EQ(cleaned, c.out);
        EXPECT_LE(cleaned.size(), kRowTextCapacity);
    }
}

TEST(SettingsSave, LineBreaksInTextsAreWrittenAsTheStampsBreak) {
    // A break inside a value would end it in the file: "田中\r\n二課" came
    // back as "田中".
    SettingsSet set;
    set.global.busho = u"営業\r\n二課";
    set.global.name = u"田中\r二課\t";
    set.slots[0].busho.face_name = u"Face\tName";  // face names are not cleaned
    MemoryProfile store;
    ASSERT_TRUE(save_settings_to(store, set));
    const std::u16string text = store.to_text();
    EXPECT_NE(text.find(u"\r\nBUSHO=営業//二課\r\nNAME=田中//二課\r\n"), std::u16string::npos)
        << u16_to_utf8(text.substr(0, 80));
    EXPECT_NE(text.find(u"BUSHO1_FACENAME=Face\tName\r\n"), std::u16string::npos);
    SettingsSet loaded;
    load_settings_from(store, loaded);
    EXPECT_EQ(loaded.global.busho.view(), u"営業//二課");
    EXPECT_EQ(loaded.global.name.view(), u"田中//二課");
}

TEST(SettingsSave, RewritingAnOldFileKeepsItsOtherKeys) {
    MemoryProfile store = MemoryProfile::parse(
        u"[MARKOMI]\r\nOLDKEY=1\r\nactive=3\r\nWAKU1_BUNKATU=4\r\n[OTHER]\r\nX=1\r\n");
    SettingsSet set;
    load_settings_from(store, set);
    EXPECT_EQ(set.slots[0].frame.bunkatu, 4);
    EXPECT_TRUE(save_settings_to(store, set));
    std::u16string text = store.to_text();
    EXPECT_EQ(text.rfind(u"[MARKOMI]\r\nOLDKEY=1\r\nactive=3\r\nWAKU1_BUNKATU=4\r\nBUSHO=", 0), 0u);
    EXPECT_NE(text.find(u"[OTHER]\r\nX=1\r\n[BUSHO]"), std::u16string::npos);
}

TEST(SettingsSave, FailedWritesAreReportedAndEveryKeyIsTried) {
    RecordingStore store;
    store.inner.set_read_only(true);
    SettingsSet set;
    EXPECT_FALSE(save_settings_to(store, set));
    EXPECT_EQ(store.writes.size(), 228u);
    EXPECT_EQ(store.inner.to_text(), u"");
    FieldEnable enable;
    EXPECT_FALSE(save_field_enable_to(store.inner, enable));
}

SettingsSet unusual_settings() {
    SettingsSet set;
    GlobalOptions& g = set.global;
    g.active = 5;
    g.busho = u"  営業//第二課 ";
    g.name = u"\"山田\"";
    g.format = u"B";
    for (std::size_t i = 0; i < g.cust_colors.size(); ++i)
        g.cust_colors[i] = 0xFFFFFFFFu - static_cast<ColorRef>(i * 977);
    g.station_type = 1;
    g.paste = 1;
    g.hotkey = 0x0641;
    g.ajust = 0;
    g.expand = 1;
    int k = 0;
    for (SlotSettings& slot : set.slots) {
        ++k;
        slot.frame = FrameSpec{20 + 7 * k, k, 0x80000000u + static_cast<ColorRef>(k), 2 + k, k % 4};
        for (FontSpec* f : {&slot.busho, &slot.date, &slot.name}) {
            f->height = -10 - k;
            f->weight = 100 * k;
            f->italic = k & 1;
            f->underline = (k >> 1) & 1;
            f->strikeout = (k >> 2) & 1;
            f->face_name = u"Face " + n16(k);
            f->color = 0x00123456u * static_cast<ColorRef>(k);
            k += 100;
        }
        k -= 300;
        slot.date_format = DateFormatSpec{1 + k % 5, 1 + k % 3, k % 2};
    }
    return set;
}

TEST(SettingsRoundTrip, SaveThenLoadKeepsEveryValue) {
    SettingsSet original = unusual_settings();
    MemoryProfile store;
    SettingsSet saved = original;
    ASSERT_TRUE(save_settings_to(store, saved));
    // Also through the text of the file, as a new start of the program reads it.
    MemoryProfile reread = MemoryProfile::parse(store.to_text());
    SettingsSet loaded, loaded_from_text;
    load_settings_from(store, loaded);
    load_settings_from(reread, loaded_from_text);

    SettingsSet expected = original;
    expected.global.charset = u"unicode";
    expected.slots[0].frame.bunkatu = 9;  // never saved for slot 1
    EXPECT_EQ(dump(loaded), dump(expected));
    EXPECT_EQ(dump(loaded_from_text), dump(expected));
}

TEST(SettingsNormalise, AppliesTheLoadRulesToARecord) {
    SettingsSet set = unusual_settings();
    set.global.active = 9;
    set.global.format = u"Q";
    set.global.station_type = 0;
    set.global.expand = 3;
    set.slots[2].frame.hankei = 500;
    set.slots[2].frame.thick = -2;
    set.slots[2].date_format.delimiter = 7;
    set.slots[3].busho.height = 9999;
    SettingsSet copy = set;
    normalise_settings(set);
    EXPECT_EQ(set.global.active, 6);
    EXPECT_EQ(set.global.format.view(), u"M");
    EXPECT_EQ(set.global.paste, 0);
    EXPECT_EQ(set.global.hotkey, 0);
    EXPECT_EQ(set.global.expand, 0);
    EXPECT_EQ(set.slots[2].frame.hankei, 80);
    EXPECT_EQ(set.slots[2].frame.thick, 1);
    EXPECT_EQ(set.slots[2].date_format.delimiter, 1);
    EXPECT_EQ(set.slots[3].busho.height, 9999);
    EXPECT_EQ(set.slots[0].frame.bunkatu, 3);

    // Normalising equals saving and loading again (bar slot 1's unsaved ornament count).
    MemoryProfile store;
    save_settings_to(store, copy);
    SettingsSet loaded = copy;
    load_settings_from(store, loaded);
    loaded.slots[0].frame.bunkatu = set.slots[0].frame.bunkatu;
    set.global.charset = u"unicode";
    EXPECT_EQ(dump(loaded), dump(set));
}

TEST(FieldEnable, MissingIsOneZeroStaysAnythingElseIsOne) {
    MemoryProfile store =
        MemoryProfile::parse(u"[ENABLE]\r\n部署=0\r\n名前=7\r\nフォーマット=abc\r\n");
    FieldEnable enable{5, 5, 5, 5};
    load_field_enable_from(store, enable);
    EXPECT_EQ(enable.busho, 0);
    EXPECT_EQ(enable.name, 1);
    EXPECT_EQ(enable.date, 1);
    EXPECT_EQ(enable.format, 0);  // present but not a number reads as 0

    FieldEnable enable2;
    load_field_enable_from(store, enable2);
    MemoryProfile out;
    EXPECT_TRUE(save_field_enable_to(out, enable2));
    EXPECT_EQ(out.to_text(), u"[ENABLE]\r\n部署=0\r\n名前=1\r\n日付=1\r\nフォーマット=0\r\n");
    std::vector<SettingKeyRef> keys = field_enable_keys();
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[3].key, u"フォーマット");
}

}  // namespace
}  // namespace markomi
