#include "settings/settings_rules.h"

#include <cstddef>
#include <cstdint>
#include <optional>

#include "settings/profile_value.h"

namespace markomi {
namespace {

enum class ValueType { kInt, kColor, kText };

enum class Rule {
    kKeep,          // no limit
    kClamp,         // low..high
    kOneElseZero,   // 1 stays 1, anything else 0
    kNonZeroToOne,  // 0 stays 0, anything else 1
    kNotCtrlV,      // 598 (Ctrl+V, the key the paste itself sends) becomes 0
    kDelimiter,     // 2 and 3 stay, anything else 1
    kFormatLetter,  // text: first letter 'B' gives "B", anything else "M"
    kLineText,      // text: clean_line_text
};

struct Normaliser {
    Rule rule;
    std::int32_t low = 0;
    std::int32_t high = 0;
};

constexpr Normaliser clamp(std::int32_t low, std::int32_t high) {
    return {Rule::kClamp, low, high};
}
constexpr Normaliser kKeep{Rule::kKeep};
constexpr Normaliser kOneElseZero{Rule::kOneElseZero};
constexpr Normaliser kNonZeroToOne{Rule::kNonZeroToOne};
constexpr Normaliser kNotCtrlV{Rule::kNotCtrlV};
constexpr Normaliser kDelimiter{Rule::kDelimiter};
constexpr Normaliser kFormatLetter{Rule::kFormatLetter};
constexpr Normaliser kLineText{Rule::kLineText};

constexpr std::int32_t kCtrlVHotkey = 598;  // 0x256: Ctrl modifier (2) + 'V'

// A default is a number (ints, colour bits) or a text. Taking `int` keeps a
// literal 0 from being mistaken for a null text.
struct DefaultValue {
    constexpr DefaultValue(int n) : number(n) {}            // NOLINT: table literals
    constexpr DefaultValue(const char16_t* t) : text(t) {}  // NOLINT
    std::int64_t number = 0;
    const char16_t* text = nullptr;
};

// Where one value lives in the record: an int, colour bits or a fixed text
// (whose capacity is hidden behind two small functions).
struct FieldRef {
    std::int32_t* number = nullptr;
    ColorRef* color = nullptr;
    void* text = nullptr;
    std::u16string_view (*text_view)(const void*) = nullptr;
    void (*text_assign)(void*, std::u16string_view) = nullptr;
};

FieldRef ref(std::int32_t& v) {
    FieldRef f;
    f.number = &v;
    return f;
}
FieldRef ref(ColorRef& v) {
    FieldRef f;
    f.color = &v;
    return f;
}

template <std::size_t N>
FieldRef ref(FixedText<N>& t) {
    FieldRef f;
    f.text = &t;
    f.text_view = [](const void* p) { return static_cast<const FixedText<N>*>(p)->view(); };
    f.text_assign = [](void* p, std::u16string_view v) {
        static_cast<FixedText<N>*>(p)->assign(v);
    };
    return f;
}

using Accessor = FieldRef (*)(SettingsSet&, std::size_t slot);

template <auto Field>
FieldRef global_field(SettingsSet& s, std::size_t) {
    return ref(s.global.*Field);
}

template <std::size_t Index>
FieldRef cust_color(SettingsSet& s, std::size_t) {
    return ref(s.global.cust_colors[Index]);
}

template <auto Part, auto Field>
FieldRef slot_field(SettingsSet& s, std::size_t slot) {
    return ref(s.slots[slot].*Part.*Field);
}

struct SettingRule {
    std::u16string_view section;
    const char16_t* key;  // slot keys carry '#' where the slot number goes
    ValueType type;
    DefaultValue fallback;
    Normaliser normaliser;
    Accessor field;
    bool written_for_slot1 = true;
};

constexpr auto kInt = ValueType::kInt;
constexpr auto kColor = ValueType::kColor;
constexpr auto kText = ValueType::kText;
constexpr std::u16string_view kMk = kMarkomiSection;  // short, for the table
constexpr bool kNotForSlot1 = false;

using G = GlobalOptions;
using S = SlotSettings;
using F = FontSpec;

// Global keys, in load and save order.
const SettingRule kGlobalRules[] = {
    {kMk, u"ACTIVE", kInt, 0, clamp(0, kSlotCount - 1), global_field<&G::active>},
    {kMk, u"BUSHO", kText, u"技術部", kLineText, global_field<&G::busho>},
    {kMk, u"NAME", kText, u"印田", kLineText, global_field<&G::name>},
    {kMk, u"FORMAT", kText, u"M", kFormatLetter, global_field<&G::format>},
    {kMk, u"CUSTCOLOR1", kColor, 0, kKeep, cust_color<0>},
    {kMk, u"CUSTCOLOR2", kColor, 0, kKeep, cust_color<1>},
    {kMk, u"CUSTCOLOR3", kColor, 0, kKeep, cust_color<2>},
    {kMk, u"CUSTCOLOR4", kColor, 0, kKeep, cust_color<3>},
    {kMk, u"CUSTCOLOR5", kColor, 0, kKeep, cust_color<4>},
    {kMk, u"CUSTCOLOR6", kColor, 0, kKeep, cust_color<5>},
    {kMk, u"CUSTCOLOR7", kColor, 0, kKeep, cust_color<6>},
    {kMk, u"CUSTCOLOR8", kColor, 0, kKeep, cust_color<7>},
    {kMk, u"CUSTCOLOR9", kColor, 0, kKeep, cust_color<8>},
    {kMk, u"CUSTCOLOR10", kColor, 0, kKeep, cust_color<9>},
    {kMk, u"CUSTCOLOR11", kColor, 0, kKeep, cust_color<10>},
    {kMk, u"CUSTCOLOR12", kColor, 0, kKeep, cust_color<11>},
    {kMk, u"CUSTCOLOR13", kColor, 0, kKeep, cust_color<12>},
    {kMk, u"CUSTCOLOR14", kColor, 0, kKeep, cust_color<13>},
    {kMk, u"CUSTCOLOR15", kColor, 0, kKeep, cust_color<14>},
    {kMk, u"CUSTCOLOR16", kColor, 0, kKeep, cust_color<15>},
    {kMk, u"CHARSET", kText, u"shift-jis", kKeep, global_field<&G::charset>},
    {kMk, u"STATIONTYPE", kInt, 0, kOneElseZero, global_field<&G::station_type>},
    {kMk, u"PASTE", kInt, 0, kOneElseZero, global_field<&G::paste>},
    {kMk, u"HOTKEY", kInt, 0, kNotCtrlV, global_field<&G::hotkey>},
    {kMk, u"AJUST", kInt, 1, kNonZeroToOne, global_field<&G::ajust>},
    {kMk, u"EXPAND", kInt, 0, kOneElseZero, global_field<&G::expand>},
};

// Keys of one slot, in load and save order; '#' is the slot number 1..7.
const SettingRule kSlotRules[] = {
    {kMk, u"WAKU#_HANKEI", kInt, 35, clamp(20, 80), slot_field<&S::frame, &FrameSpec::hankei>},
    {kMk, u"WAKU#_THICK", kInt, 1, clamp(1, 10), slot_field<&S::frame, &FrameSpec::thick>},
    {kMk, u"WAKU#_COLOR", kColor, 255, kKeep, slot_field<&S::frame, &FrameSpec::color>},
    // Slot 1 (the plain design) has no ornaments, so its count is never saved.
    {kMk, u"WAKU#_BUNKATU", kInt, 9, clamp(3, 20), slot_field<&S::frame, &FrameSpec::bunkatu>,
     kNotForSlot1},
    {kMk, u"WAKU#_SHADOW", kInt, 0, kKeep, slot_field<&S::frame, &FrameSpec::shadow>},

    {kBushoSection, u"BUSHO#_HEIGHT", kInt, -13, kKeep, slot_field<&S::busho, &F::height>},
    {kBushoSection, u"BUSHO#_WEIGHT", kInt, 400, kKeep, slot_field<&S::busho, &F::weight>},
    {kBushoSection, u"BUSHO#_ITALIC", kInt, 0, kKeep, slot_field<&S::busho, &F::italic>},
    {kBushoSection, u"BUSHO#_UNDERLINE", kInt, 0, kKeep, slot_field<&S::busho, &F::underline>},
    {kBushoSection, u"BUSHO#_STRIKEOUT", kInt, 0, kKeep, slot_field<&S::busho, &F::strikeout>},
    {kBushoSection, u"BUSHO#_FACENAME", kText, u"ＭＳ Ｐゴシック", kKeep,
     slot_field<&S::busho, &F::face_name>},
    {kBushoSection, u"BUSHO#_COLOR", kColor, 255, kKeep, slot_field<&S::busho, &F::color>},

    {kDateSection, u"DATE#_HEIGHT", kInt, -13, kKeep, slot_field<&S::date, &F::height>},
    {kDateSection, u"DATE#_WEIGHT", kInt, 400, kKeep, slot_field<&S::date, &F::weight>},
    {kDateSection, u"DATE#_ITALIC", kInt, 0, kKeep, slot_field<&S::date, &F::italic>},
    {kDateSection, u"DATE#_UNDERLINE", kInt, 0, kKeep, slot_field<&S::date, &F::underline>},
    {kDateSection, u"DATE#_STRIKEOUT", kInt, 0, kKeep, slot_field<&S::date, &F::strikeout>},
    {kDateSection, u"DATE#_FACENAME", kText, u"ＭＳ Ｐゴシック", kKeep,
     slot_field<&S::date, &F::face_name>},
    {kDateSection, u"DATE#_COLOR", kColor, 255, kKeep, slot_field<&S::date, &F::color>},

    {kNameSection, u"NAME#_HEIGHT", kInt, -16, kKeep, slot_field<&S::name, &F::height>},
    {kNameSection, u"NAME#_WEIGHT", kInt, 400, kKeep, slot_field<&S::name, &F::weight>},
    {kNameSection, u"NAME#_ITALIC", kInt, 0, kKeep, slot_field<&S::name, &F::italic>},
    {kNameSection, u"NAME#_UNDERLINE", kInt, 0, kKeep, slot_field<&S::name, &F::underline>},
    {kNameSection, u"NAME#_STRIKEOUT", kInt, 0, kKeep, slot_field<&S::name, &F::strikeout>},
    {kNameSection, u"NAME#_FACENAME", kText, u"ＭＳ Ｐゴシック", kKeep,
     slot_field<&S::name, &F::face_name>},
    {kNameSection, u"NAME#_COLOR", kColor, 255, kKeep, slot_field<&S::name, &F::color>},

    {kMk, u"DATE#_ERA", kInt, 5, clamp(1, 5), slot_field<&S::date_format, &DateFormatSpec::era>},
    {kMk, u"DATE#_DELIMITER", kInt, 1, kDelimiter,
     slot_field<&S::date_format, &DateFormatSpec::delimiter>},
    {kMk, u"DATE#_MONTH_LANG", kInt, 0, clamp(0, 1),
     slot_field<&S::date_format, &DateFormatSpec::month_lang>},
};

struct EnableKey {
    const char16_t* key;
    std::int32_t FieldEnable::*field;
};

const EnableKey kEnableKeys[] = {
    {u"部署", &FieldEnable::busho},
    {u"名前", &FieldEnable::name},
    {u"日付", &FieldEnable::date},
    {u"フォーマット", &FieldEnable::format},
};

std::u16string key_for_slot(const char16_t* pattern, std::size_t slot) {
    std::u16string key(pattern);
    std::size_t mark = key.find(u'#');
    if (mark != std::u16string::npos) key[mark] = static_cast<char16_t>(u'1' + slot);
    return key;
}

std::int32_t normalise_number(const Normaliser& n, std::int32_t v) {
    switch (n.rule) {
        case Rule::kClamp:
            return v < n.low ? n.low : (v > n.high ? n.high : v);
        case Rule::kOneElseZero:
            return v == 1 ? 1 : 0;
        case Rule::kNonZeroToOne:
            return v != 0 ? 1 : 0;
        case Rule::kNotCtrlV:
            return v == kCtrlVHotkey ? 0 : v;
        case Rule::kDelimiter:
            return v == 2 || v == 3 ? v : 1;
        case Rule::kKeep:
        case Rule::kFormatLetter:
        case Rule::kLineText:
            break;
    }
    return v;
}

// A text ends at its first NUL, as it would in the platform's string buffers,
// so that the record's view and its C string always agree.
void assign_text(const FieldRef& f, std::u16string_view value, const Normaliser& n) {
    value = value.substr(0, value.find(u'\0'));
    if (n.rule == Rule::kFormatLetter)
        value = !value.empty() && value.front() == u'B' ? u"B" : u"M";
    if (n.rule == Rule::kLineText) {
        f.text_assign(f.text, clean_line_text(value));
        return;
    }
    f.text_assign(f.text, value);
}

void load_rule(ProfileStore& store, const SettingRule& rule, std::u16string_view key,
               SettingsSet& set, std::size_t slot) {
    FieldRef f = rule.field(set, slot);
    std::optional<std::u16string> value = store.read(rule.section, key);
    switch (rule.type) {
        case ValueType::kInt:
            *f.number = normalise_number(rule.normaliser,
                                         value ? parse_profile_int(*value)
                                               : static_cast<std::int32_t>(rule.fallback.number));
            break;
        case ValueType::kColor:
            *f.color =
                value ? parse_profile_color(*value) : static_cast<ColorRef>(rule.fallback.number);
            break;
        case ValueType::kText:
            assign_text(f, value ? std::u16string_view(*value) : rule.fallback.text,
                        rule.normaliser);
            break;
    }
}

void normalise_rule(const SettingRule& rule, SettingsSet& set, std::size_t slot) {
    FieldRef f = rule.field(set, slot);
    switch (rule.type) {
        case ValueType::kInt:
            *f.number = normalise_number(rule.normaliser, *f.number);
            break;
        case ValueType::kColor:
            break;
        case ValueType::kText:
            assign_text(f, std::u16string(f.text_view(f.text)), rule.normaliser);
            break;
    }
}

bool save_rule(ProfileStore& store, const SettingRule& rule, std::u16string_view key,
               SettingsSet& set, std::size_t slot) {
    FieldRef f = rule.field(set, slot);
    std::u16string value;
    switch (rule.type) {
        case ValueType::kInt:
            value = profile_int_text(*f.number);
            break;
        case ValueType::kColor:
            value = profile_color_text(*f.color);
            break;
        case ValueType::kText:
            // A line break would end the value in the file and lose the rest.
            if (rule.normaliser.rule == Rule::kLineText)
                assign_text(f, std::u16string(f.text_view(f.text)), rule.normaliser);
            value = profile_text_value(f.text_view(f.text));
            break;
    }
    return store.write(rule.section, key, value);
}

// Paste and hotkey exist only in resident mode.
void apply_station_rule(GlobalOptions& global) {
    if (global.station_type == 0) {
        global.paste = 0;
        global.hotkey = 0;
    }
}

bool is_saved(const SettingRule& rule, std::size_t slot) {
    return slot != 0 || rule.written_for_slot1;
}

std::vector<SettingKeyRef> keys_in_order(bool saving) {
    std::vector<SettingKeyRef> keys;
    for (const SettingRule& rule : kGlobalRules)
        keys.push_back({std::u16string(rule.section), rule.key});
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        for (const SettingRule& rule : kSlotRules) {
            if (saving && !is_saved(rule, slot)) continue;
            keys.push_back({std::u16string(rule.section), key_for_slot(rule.key, slot)});
        }
    }
    return keys;
}

bool is_control_character(char16_t c) {
    return c <= 0x1F || (c >= 0x7F && c <= 0x9F);
}

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::u16string clean_line_text(std::u16string_view text, std::size_t capacity) {
    constexpr std::u16string_view kLineBreak = u"//";
    std::u16string out;
    out.reserve(text.size() < capacity ? text.size() : capacity);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        std::u16string_view piece(&text[i], 1);
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;  // one break
            piece = kLineBreak;
        } else if (is_control_character(c)) {
            continue;
        }
        if (out.size() + piece.size() > capacity) {
            // Full. A pair whose second half does not fit goes whole.
            if (!out.empty() && is_high_surrogate(out.back())) out.pop_back();
            break;
        }
        out += piece;
    }
    return out;
}

void load_settings_from(ProfileStore& store, SettingsSet& set) {
    set.global = GlobalOptions{};
    for (SlotSettings& slot : set.slots) slot = SlotSettings{};
    for (const SettingRule& rule : kGlobalRules) load_rule(store, rule, rule.key, set, 0);
    apply_station_rule(set.global);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        for (const SettingRule& rule : kSlotRules) {
            load_rule(store, rule, key_for_slot(rule.key, slot), set, slot);
        }
    }
}

bool save_settings_to(ProfileStore& store, SettingsSet& set) {
    set.global.charset = u"unicode";
    bool all_written = true;
    for (const SettingRule& rule : kGlobalRules) {
        all_written &= save_rule(store, rule, rule.key, set, 0);
    }
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        for (const SettingRule& rule : kSlotRules) {
            if (!is_saved(rule, slot)) continue;
            all_written &= save_rule(store, rule, key_for_slot(rule.key, slot), set, slot);
        }
    }
    return all_written;
}

bool charset_is_unicode(const GlobalOptions& global) {
    return global.charset.view() == u"unicode";
}

void normalise_settings(SettingsSet& set) {
    for (const SettingRule& rule : kGlobalRules) normalise_rule(rule, set, 0);
    apply_station_rule(set.global);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        for (const SettingRule& rule : kSlotRules) normalise_rule(rule, set, slot);
    }
}

void load_field_enable_from(ProfileStore& store, FieldEnable& enable) {
    for (const EnableKey& k : kEnableKeys) {
        std::optional<std::u16string> value = store.read(kEnableSection, k.key);
        enable.*k.field = value ? normalise_number(kNonZeroToOne, parse_profile_int(*value)) : 1;
    }
}

bool save_field_enable_to(ProfileStore& store, const FieldEnable& enable) {
    bool all_written = true;
    for (const EnableKey& k : kEnableKeys) {
        all_written &= store.write(kEnableSection, k.key, profile_int_text(enable.*k.field));
    }
    return all_written;
}

std::vector<SettingKeyRef> settings_load_keys() {
    return keys_in_order(false);
}
std::vector<SettingKeyRef> settings_save_keys() {
    return keys_in_order(true);
}

std::vector<SettingKeyRef> field_enable_keys() {
    std::vector<SettingKeyRef> keys;
    for (const EnableKey& k : kEnableKeys) keys.push_back({std::u16string(kEnableSection), k.key});
    return keys;
}

}  // namespace markomi
