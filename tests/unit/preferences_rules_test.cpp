#include "ui/preferences_rules.h"

#include <gtest/gtest.h>

#include <set>

namespace markomi {
namespace {

using T = PrefToggle;

PreferenceFlags all_on() {
    PreferenceFlags f;
    f.on.fill(true);
    return f;
}

TEST(PreferenceFlags, FilledFromOptionsAndShortcuts) {
    GlobalOptions o;
    o.ajust = 0;
    o.expand = 1;
    o.format = u"B";
    o.station_type = 1;
    o.paste = 1;
    PreferenceFlags f = initial_preference_flags(o, true, false);
    EXPECT_FALSE(f[T::kAutoLayout]);
    EXPECT_TRUE(f[T::kLargeWindows]);
    EXPECT_TRUE(f[T::kDesktopIcon]);
    EXPECT_FALSE(f[T::kMetafile]);
    EXPECT_TRUE(f[T::kResident]);
    EXPECT_TRUE(f[T::kPaste]);
    EXPECT_FALSE(f[T::kStartupIcon]);

    o.format = u"M";
    f = initial_preference_flags(o, false, true);
    EXPECT_TRUE(f[T::kMetafile]);
    EXPECT_FALSE(f[T::kDesktopIcon]);
    EXPECT_TRUE(f[T::kStartupIcon]);

    // Normal mode: paste and a startup icon found on disk both open off.
    o.station_type = 0;
    f = initial_preference_flags(o, true, true);
    EXPECT_FALSE(f[T::kResident]);
    EXPECT_FALSE(f[T::kPaste]);
    EXPECT_FALSE(f[T::kStartupIcon]);
    EXPECT_TRUE(f[T::kDesktopIcon]);
}

TEST(PreferenceFlags, LeavingResidentModeClearsPasteAndStartupUntilPressedAgain) {
    PreferenceFlags f = all_on();
    EXPECT_TRUE(apply_resident_rule(f));
    toggle_preference(f, T::kResident);
    EXPECT_FALSE(f[T::kResident]);
    EXPECT_FALSE(f[T::kPaste]);
    EXPECT_FALSE(f[T::kStartupIcon]);
    EXPECT_TRUE(f[T::kAutoLayout]);
    EXPECT_TRUE(f[T::kDesktopIcon]);
    // Pressing paste in normal mode cannot turn it on.
    toggle_preference(f, T::kPaste);
    EXPECT_FALSE(f[T::kPaste]);
    toggle_preference(f, T::kResident);
    EXPECT_TRUE(f[T::kResident]);
    EXPECT_FALSE(f[T::kPaste]);
    EXPECT_FALSE(f[T::kStartupIcon]);
    toggle_preference(f, T::kStartupIcon);
    EXPECT_TRUE(f[T::kStartupIcon]);
    toggle_preference(f, T::kStartupIcon);
    EXPECT_FALSE(f[T::kStartupIcon]);
}

TEST(PreferenceToggles, IdsCaptionsAndRowOrder) {
    const int expected_ids[] = {150, 152, 146, 151, 148, 149, 147};
    std::set<std::u16string_view> captions;
    for (int i = 0; i < kPrefToggleCount; ++i) {
        const PrefToggleInfo& info = pref_toggles()[static_cast<std::size_t>(i)];
        EXPECT_EQ(info.id, expected_ids[i]);
        PrefToggle back{};
        ASSERT_TRUE(pref_toggle_of_id(info.id, &back));
        EXPECT_EQ(static_cast<int>(back), i);
        EXPECT_LE(info.caption_on.size(), kToggleCaptionLimit);
        EXPECT_LE(info.caption_off.size(), kToggleCaptionLimit);
        captions.insert(info.caption_on);
        captions.insert(info.caption_off);
    }
    EXPECT_EQ(captions.size(), 14u);
    EXPECT_FALSE(pref_toggle_of_id(153, nullptr));
    EXPECT_FALSE(pref_toggle_of_id(121, nullptr));

    PreferenceFlags f;
    EXPECT_EQ(toggle_caption(f, T::kMetafile), u"ビットマップとして捺印する。(背景が透けません)");
    EXPECT_EQ(toggle_caption(f, T::kResident), u"マルコミ２を通常モードで使用する。");
    f[T::kMetafile] = true;
    f[T::kPaste] = true;
    EXPECT_EQ(toggle_caption(f, T::kMetafile), u"メタファイルとして捺印する。(背景が透けます)");
    EXPECT_EQ(toggle_caption(f, T::kPaste), u"捺印時クリップボードにコピー＆ペーストする。");
}

TEST(PreferenceToggles, LightRedMarksTheChoicesAwayFromTheUsualOnes) {
    // The usual choices (installed with a desktop icon) are all white.
    GlobalOptions defaults;
    PreferenceFlags f = initial_preference_flags(defaults, true, false);
    for (int i = 0; i < kPrefToggleCount; ++i)
        EXPECT_EQ(toggle_fill_colour(f, static_cast<T>(i)), kToggleWhite) << i;

    // Turning each one over makes it light red.
    const PreferenceFlags usual = f;
    for (int i = 0; i < kPrefToggleCount; ++i) {
        PreferenceFlags g = usual;
        g[static_cast<T>(i)] = !g[static_cast<T>(i)];
        EXPECT_EQ(toggle_fill_colour(g, static_cast<T>(i)), kToggleLightRed) << i;
    }
    EXPECT_EQ(kToggleLightRed, 0x8080FFu);
    EXPECT_EQ(kToggleGrey, 0x6D6D6Du);
}

TEST(ApplyPreferences, WritesEveryOptionFromTheFlags) {
    GlobalOptions o;
    PreferenceFlags f;
    f[T::kResident] = true;
    f[T::kPaste] = true;
    f[T::kLargeWindows] = true;
    apply_preferences(f, 0x0641, o);  // Ctrl+Alt+A passes through
    EXPECT_EQ(o.ajust, 0);
    EXPECT_EQ(o.expand, 1);
    EXPECT_EQ(o.format, u"B");
    EXPECT_EQ(o.station_type, 1);
    EXPECT_EQ(o.paste, 1);
    EXPECT_EQ(o.hotkey, 0x0641);

    f = PreferenceFlags{};
    f[T::kAutoLayout] = true;
    f[T::kMetafile] = true;
    apply_preferences(f, 0, o);
    EXPECT_EQ(o.ajust, 1);
    EXPECT_EQ(o.expand, 0);
    EXPECT_EQ(o.format, u"M");
    EXPECT_EQ(o.station_type, 0);
    EXPECT_EQ(o.paste, 0);
    EXPECT_EQ(o.hotkey, 0);
}

TEST(ApplyPreferences, CtrlVIsNoHotkey) {
    EXPECT_EQ(kCtrlVHotkey, 598);
    GlobalOptions o;
    o.hotkey = 0x0441;
    apply_preferences(PreferenceFlags{}, 598, o);
    EXPECT_EQ(o.hotkey, 0);
    // Alt+V and Ctrl+Shift+V are fine.
    apply_preferences(PreferenceFlags{}, 0x0456, o);
    EXPECT_EQ(o.hotkey, 0x0456);
    apply_preferences(PreferenceFlags{}, 0x0356, o);
    EXPECT_EQ(o.hotkey, 0x0356);
}

bool all_enabled(int) { return true; }
bool normal_mode(int id) { return id != 149 && id != 147 && id != 153; }

TEST(PreferencesFocus, RingForwardAndBackward) {
    const int ring[] = {150, 152, 146, 151, 148, 149, 147, 153, 122, 121};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(next_pref_focus(ring[i], true, all_enabled), ring[(i + 1) % 10]) << ring[i];
        EXPECT_EQ(next_pref_focus(ring[i], false, all_enabled), ring[(i + 9) % 10]) << ring[i];
    }
    EXPECT_EQ(next_pref_focus(999, true, all_enabled), 0);
}

TEST(PreferencesFocus, NormalModeSkipsPasteStartupAndHotkey) {
    EXPECT_EQ(next_pref_focus(148, true, normal_mode), 122);
    EXPECT_EQ(next_pref_focus(151, true, normal_mode), 148);
    EXPECT_EQ(next_pref_focus(122, false, normal_mode), 148);
    EXPECT_EQ(next_pref_focus(121, false, normal_mode), 122);
    EXPECT_EQ(next_pref_focus(148, false, normal_mode), 151);
    // Focus left on a disabled control still finds its way out.
    EXPECT_EQ(next_pref_focus(149, true, normal_mode), 122);
    EXPECT_EQ(next_pref_focus(153, false, normal_mode), 148);
    // Only some disabled: the next enabled one.
    auto no_paste = [](int id) { return id != 149; };
    EXPECT_EQ(next_pref_focus(148, true, no_paste), 147);
    EXPECT_EQ(next_pref_focus(147, false, no_paste), 148);
    // Nothing else to go to.
    auto only_apply = [](int id) { return id == 121; };
    EXPECT_EQ(next_pref_focus(121, true, only_apply), 121);
}

TEST(PreferencesLayout, PositionsInCharacterUnits) {
    // cw 7, lh 15 (15-pixel characters at 96 DPI); lh / 4 = 3, lh / 2 = 7.
    const PreferencesLayout l = preferences_layout(7, 15);
    EXPECT_EQ(l.window.width, 494);   // trunc(494.2)
    EXPECT_EQ(l.window.height, 382);  // trunc(382.5)
    const LayoutRect title{28, 22, 140, 15};
    EXPECT_EQ(l.title.x, title.x);
    EXPECT_EQ(l.title.y, title.y);
    EXPECT_EQ(l.title.width, title.width);
    EXPECT_EQ(l.title.height, title.height);
    for (int i = 0; i < kPrefToggleCount; ++i) {
        const LayoutRect& r = l.toggles[static_cast<std::size_t>(i)];
        EXPECT_EQ(r.x, 56);
        EXPECT_EQ(r.y, (4 + 2 * i) * 15 - 3) << i;
        EXPECT_EQ(r.width, 385);
        EXPECT_EQ(r.height, 22);
    }
    EXPECT_EQ(l.hotkey_label.x, 56);
    EXPECT_EQ(l.hotkey_label.y, 270);
    EXPECT_EQ(l.hotkey_label.width, 140);
    EXPECT_EQ(l.hotkey_label.height, 22);
    EXPECT_EQ(l.hotkey_field.x, 140);
    EXPECT_EQ(l.hotkey_field.y, 267);
    EXPECT_EQ(l.hotkey_field.width, 301);
    EXPECT_EQ(l.cancel.x, 280);
    EXPECT_EQ(l.cancel.y, 307);
    EXPECT_EQ(l.cancel.width, 91);
    EXPECT_EQ(l.apply.x, 371);
    EXPECT_EQ(l.apply.y, 307);
    EXPECT_EQ(l.apply.width, 70);
    EXPECT_EQ(l.apply.height, 22);
    // The buttons end where the toggles end.
    EXPECT_EQ(l.apply.x + l.apply.width, l.toggles[0].x + l.toggles[0].width);
    EXPECT_EQ(l.hotkey_field.x + l.hotkey_field.width, l.apply.x + l.apply.width);

    // Tenths that a floating-point 70.6 would round away: 10 x 70.6 = 706.
    EXPECT_EQ(preferences_layout(10, 20).window.width, 706);
    EXPECT_EQ(preferences_layout(10, 20).window.height, 510);
    EXPECT_EQ(preferences_layout(9, 17).window.width, 635);   // 635.4
    EXPECT_EQ(preferences_layout(9, 17).window.height, 433);  // 433.5
}

TEST(PreferencesPlacement, BottomRightAtThePointerUnlessOffScreen) {
    const LayoutSize w{494, 382};
    LayoutPoint p = resident_host_position(w, 7, 15, LayoutPoint{1500, 900}, 0, 40);
    EXPECT_EQ(p.x, 1006);
    EXPECT_EQ(p.y, 518);
    // Near the top-left corner: beside the pointer, or past the taskbar.
    p = resident_host_position(w, 7, 15, LayoutPoint{100, 100}, 0, 0);
    EXPECT_EQ(p.x, 114);
    EXPECT_EQ(p.y, 130);
    p = resident_host_position(w, 7, 15, LayoutPoint{100, 100}, 160, 48);
    EXPECT_EQ(p.x, 174);
    EXPECT_EQ(p.y, 130);
    p = resident_host_position(w, 7, 15, LayoutPoint{300, 20}, 0, 48);
    EXPECT_EQ(p.x, 314);
    EXPECT_EQ(p.y, 78);
    // Exactly fitting stays.
    p = resident_host_position(w, 7, 15, LayoutPoint{494, 382}, 0, 0);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

}  // namespace
}  // namespace markomi
