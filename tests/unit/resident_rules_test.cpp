// Rules of the resident program that need no window: the icon animation,
// the hotkey value and the scaled window font heights.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "app/hotkey_binding.h"
#include "app/tray_animation.h"
#include "ui/window_metrics.h"

namespace markomi {
namespace {

TEST(TrayAnimation, ThreeFramesThenRestAfterEveryClick) {
    // A click sets the counter to 1; ticks come every 500 ms.
    std::int32_t counter = 1;
    std::vector<int> shown;
    bool stopped = false;
    for (int tick = 0; tick < 4 && !stopped; ++tick) {
        TrayAnimationStep step = tray_animation_step(counter);
        shown.push_back(step.icon_index);
        counter = step.next_counter;
        stopped = step.stop_timer;
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(counter, 1);
}

TEST(TrayAnimation, CounterZeroShowsTheBaseAndBrokenCountersStop) {
    TrayAnimationStep zero = tray_animation_step(0);
    EXPECT_EQ(zero.icon_index, 0);
    EXPECT_FALSE(zero.stop_timer);
    EXPECT_EQ(zero.next_counter, 1);
    for (std::int32_t bad : {-1, 5, 1000, INT32_MAX}) {
        TrayAnimationStep step = tray_animation_step(bad);
        EXPECT_EQ(step.icon_index, 0) << bad;
        EXPECT_TRUE(step.stop_timer) << bad;
        EXPECT_EQ(step.next_counter, 1) << bad;
    }
}

TEST(TrayAnimation, FlatArtworkFromWindows10On) {
    EXPECT_FALSE(uses_flat_tray_icons(0));
    EXPECT_FALSE(uses_flat_tray_icons(8));
    EXPECT_TRUE(uses_flat_tray_icons(10));
}

TEST(HotkeyBinding, ControlModifierBitsMapToRegistrationBits) {
    HotkeyBinding shift_f12 = hotkey_binding(0x100 | 0x7B);
    ASSERT_TRUE(shift_f12.valid);
    EXPECT_EQ(shift_f12.modifiers, kModShift);
    EXPECT_EQ(shift_f12.virtual_key, 0x7Bu);

    HotkeyBinding ctrl_alt_s = hotkey_binding(((2 | 4) << 8) | 'S');
    ASSERT_TRUE(ctrl_alt_s.valid);
    EXPECT_EQ(ctrl_alt_s.modifiers, kModControl | kModAlt);
    EXPECT_EQ(ctrl_alt_s.virtual_key, static_cast<std::uint32_t>('S'));

    // The extended-key bit says nothing about modifiers and is dropped.
    HotkeyBinding extended_insert = hotkey_binding(((8 | 2) << 8) | 0x2D);
    ASSERT_TRUE(extended_insert.valid);
    EXPECT_EQ(extended_insert.modifiers, kModControl);
    EXPECT_EQ(extended_insert.virtual_key, 0x2Du);

    HotkeyBinding plain_f9 = hotkey_binding(0x78);
    ASSERT_TRUE(plain_f9.valid);
    EXPECT_EQ(plain_f9.modifiers, 0u);
}

TEST(HotkeyBinding, ValuesThatNameNoUsableKeyAreRefused) {
    for (std::int32_t bad : {0, -1, INT32_MIN,
                             0x10000 | 0x41,          // beyond the two bytes
                             (0x10 << 8) | 0x41,      // unknown modifier bit
                             0x200,                   // Ctrl alone, no key
                             (2 << 8) | 0x01,         // a mouse button
                             (2 << 8) | 0x10,         // Shift as the key
                             (1 << 8) | 0xA2,         // left Ctrl as the key
                             0xFF}) {
        EXPECT_FALSE(hotkey_binding(bad).valid) << std::hex << bad;
    }
}

TEST(HotkeyBinding, CtrlVIsNeverClaimedWhateverTheExtendedBit) {
    EXPECT_FALSE(hotkey_binding(0x256).valid);
    EXPECT_FALSE(hotkey_binding(0xA56).valid);
    // With another modifier it is a different key and fine.
    EXPECT_TRUE(hotkey_binding(0x356).valid);
}

TEST(WindowMetrics, CharacterHeightsScaleWithResolutionAndExpand) {
    EXPECT_EQ(window_character_height(WindowFontUser::kAboutBox, 96, 1), 19);
    EXPECT_EQ(window_character_height(WindowFontUser::kAboutBox, 96, 0), 17);
    EXPECT_EQ(window_character_height(WindowFontUser::kAboutBox, 144, 1), 28);
    EXPECT_EQ(window_character_height(WindowFontUser::kAboutBox, 144, 0), 25);
    EXPECT_EQ(window_character_height(WindowFontUser::kPreferences, 96, 1), 17);
    EXPECT_EQ(window_character_height(WindowFontUser::kPreferences, 120, 0), 18);
    EXPECT_EQ(window_character_height(WindowFontUser::kStampSettings, 96, 1), 16);
    EXPECT_EQ(window_character_height(WindowFontUser::kStampSettings, 168, 0), 24);
}

TEST(WindowMetrics, MenuBarFollowsTheResolutionChange) {
    EXPECT_EQ(scaled_menu_bar_height(19, 96, 96), 19);
    EXPECT_EQ(scaled_menu_bar_height(19, 144, 96), 28);
    EXPECT_EQ(scaled_menu_bar_height(29, 96, 144), 19);
    EXPECT_EQ(scaled_menu_bar_height(19, 96, 0), 19);
}

}  // namespace
}  // namespace markomi
