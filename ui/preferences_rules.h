#pragma once
// The rules of the preferences window that are not platform calls: the
// seven toggles (ids, captions, fill colour), the dependence of paste,
// startup icon and hotkey on resident mode, what "実　行" writes into the
// settings, the keyboard focus ring and the layout in units of the control
// font's average character width (cw) and line height (lh).
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "settings/settings_record.h"
#include "ui/window_layouts.h"

namespace markomi {

// ---- Control identifiers ----
constexpr int kPrefIdApply = 121;
constexpr int kPrefIdCancel = 122;
constexpr int kPrefIdDesktopIcon = 146;
constexpr int kPrefIdStartupIcon = 147;
constexpr int kPrefIdResident = 148;
constexpr int kPrefIdPaste = 149;
constexpr int kPrefIdAutoLayout = 150;
constexpr int kPrefIdMetafile = 151;
constexpr int kPrefIdLargeWindows = 152;
constexpr int kPrefIdHotkeyField = 153;

// The hotkey control's value for Ctrl+V (virtual key 'V' with the control
// flag in the high byte). Pasting is what stamping does, so it cannot be
// the hotkey: it is stored as "no hotkey".
constexpr std::int32_t kCtrlVHotkey = 0x0200 | 'V';  // 598

// Captions are drawn from a 64-unit buffer.
constexpr std::size_t kToggleCaptionLimit = 63;

// The toggles in their row order, top to bottom.
enum class PrefToggle {
    kAutoLayout,
    kLargeWindows,
    kDesktopIcon,
    kMetafile,
    kResident,
    kPaste,
    kStartupIcon,
};
constexpr int kPrefToggleCount = 7;

// The working flags of an open window; nothing is stored until apply.
struct PreferenceFlags {
    std::array<bool, kPrefToggleCount> on{};
    bool& operator[](PrefToggle t) { return on[static_cast<std::size_t>(t)]; }
    bool operator[](PrefToggle t) const { return on[static_cast<std::size_t>(t)]; }
};

struct PrefToggleInfo {
    int id = 0;
    std::u16string_view caption_on;
    std::u16string_view caption_off;
    bool red_when_on = false;  // filled light red when on (else when off)
};

// The toggle table, in row order.
const std::array<PrefToggleInfo, kPrefToggleCount>& pref_toggles();
const PrefToggleInfo& pref_toggle(PrefToggle t);
// The toggle with control id `id`; false when `id` is not a toggle.
bool pref_toggle_of_id(int id, PrefToggle* out);

// Flags as the window opens: from the options and the two shortcuts found
// on disk, then the resident-mode rule.
PreferenceFlags initial_preference_flags(const GlobalOptions& options, bool desktop_shortcut,
                                         bool startup_shortcut);

// Without resident mode there is no paste on stamping and no start with
// Windows: both flags go off. Their controls (and the hotkey field) are
// enabled exactly when this returns true.
bool apply_resident_rule(PreferenceFlags& flags);

// Inverts one flag, then applies the resident-mode rule.
void toggle_preference(PreferenceFlags& flags, PrefToggle t);

std::u16string_view toggle_caption(const PreferenceFlags& flags, PrefToggle t);
bool toggle_filled_red(const PreferenceFlags& flags, PrefToggle t);

// Fill, frame and text colours of the toggles (0x00BBGGRR).
constexpr ColorRef kToggleWhite = 0xFFFFFF;
constexpr ColorRef kToggleLightRed = 0x8080FF;  // red 255, green 128, blue 128
constexpr ColorRef kToggleBlack = 0x000000;
constexpr ColorRef kToggleGrey = 0x6D6D6D;      // 109, 109, 109: disabled
ColorRef toggle_fill_colour(const PreferenceFlags& flags, PrefToggle t);

// Writes AJUST, EXPAND, FORMAT, STATIONTYPE, PASTE and HOTKEY from the flags
// and the hotkey field's value (Ctrl+V becomes 0).
void apply_preferences(const PreferenceFlags& flags, std::int32_t hotkey_field,
                       GlobalOptions& options);

// ---- Keyboard focus ring ----
// Forward (Tab, Down): 150 152 146 151 148 149 147 153 122 121 and round;
// backward (Up) the other way. Disabled controls are skipped. Returns the
// id to focus; `from` itself when nothing else is enabled, 0 when `from`
// is not one of the ten.
int next_pref_focus(int from, bool forward, const std::function<bool(int)>& enabled);

// ---- Layout ----
struct PreferencesLayout {
    LayoutSize window;  // outer size: trunc(70.6 cw) x trunc(25.5 lh)
    LayoutRect title;   // "環境設定"
    std::array<LayoutRect, kPrefToggleCount> toggles;  // row order
    LayoutRect hotkey_label;
    LayoutRect hotkey_field;
    LayoutRect cancel;
    LayoutRect apply;
};
PreferencesLayout preferences_layout(int cw, int lh);

}  // namespace markomi
