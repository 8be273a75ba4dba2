#include "support/settings_value_sets.h"

#include <windows.h>

#include "base/process_globals_win.h"
#include "settings/settings_files_win.h"
#include "settings/settings_rules.h"

namespace markomi::testing {
namespace {

FontSpec font(std::int32_t height, std::int32_t weight, std::int32_t flags, const char16_t* face,
              ColorRef color) {
    FontSpec f;
    f.height = height;
    f.weight = weight;
    f.italic = flags & 1;
    f.underline = (flags >> 1) & 1;
    f.strikeout = (flags >> 2) & 1;
    f.face_name = face;
    f.color = color;
    return f;
}

}  // namespace

SettingsSet settings_value_set(char which) {
    const bool a = which == 'A';
    SettingsSet set;
    GlobalOptions& g = set.global;
    g.active = a ? 2 : 5;
    g.busho = a ? u"営業部//第二課" : u"総務部\u3000庶務係";
    g.name = a ? u"山田" : u"佐々木";
    g.format = a ? u"B" : u"M";
    for (int i = 0; i < 16; ++i)
        g.cust_colors[i] = a ? 0x010203u * (i + 1) : 0xFFFFFFu - 0x030201u * (i + 1);
    g.charset = u"unicode";
    g.station_type = 1;  // resident, so PASTE and HOTKEY are kept
    g.paste = a ? 1 : 0;
    g.hotkey = a ? 0x241 : 0x642;
    // No fitting before a save in either: that needs the program's surfaces.
    g.ajust = 0;
    g.expand = a ? 1 : 0;
    for (int i = 0; i < kSlotCount; ++i) {
        SlotSettings& s = set.slots[i];
        const ColorRef c = static_cast<ColorRef>(i);
        s.frame.hankei = a ? 30 + i : 70 - i;
        s.frame.thick = a ? 2 + i % 3 : 7 + i % 3;
        s.frame.color = a ? 0x0000F0 + c : 0x00F000 + c;
        s.frame.bunkatu = a ? 4 + i : 18 - i;
        s.frame.shadow = a ? i % 4 : (i + 2) % 4;
        if (a) {
            s.busho = font(-12 - i, 700, 5, u"ＭＳ 明朝", 0x112233 + c);
            s.date = font(-14 - i, 500, 2, u"ＭＳ Ｐ明朝", 0x0000C0 + c);
            s.name = font(-20 - i, 600, 1, u"ＭＳ ゴシック", 0x2000A0 + c);
        } else {
            s.busho = font(-30 + i, 300, 2, u"IPAゴシック", 0x332211 + c);
            s.date = font(-26 + i, 800, 5, u"メイリオ", 0x00C000 + c);
            s.name = font(-40 + i, 200, 6, u"游明朝 Demibold", 0xA00020 + c);
        }
        s.date_format.era = a ? 1 + i % 5 : 1 + (i + 2) % 5;
        s.date_format.delimiter = a ? 2 : 3;
        s.date_format.month_lang = a ? 1 : 0;
    }
    normalise_settings(set);
    return set;
}

bool save_global_settings_in(const std::wstring& folder, const SettingsSet& set) {
    lstrcpynW(g_settings_folder, folder.c_str(), 261);
    g_settings = set;
    g_settings.global.ajust = 0;
    return save_settings();
}

}  // namespace markomi::testing
