#include "ui/preferences_rules.h"

#include "ui/focus_ring.h"

namespace markomi {
namespace {

const std::array<PrefToggleInfo, kPrefToggleCount> kToggles = {{
    {kPrefIdAutoLayout, u"はんこレイアウトを自動調整する。", u"はんこレイアウトを自動調整しない。",
     false},
    {kPrefIdLargeWindows, u"ウィンドウを大きめサイズで表示する。",
     u"ウィンドウを普通サイズで表示する。", true},
    {kPrefIdDesktopIcon, u"ディスクトップにアイコンを作成する。",
     u"ディスクトップにアイコンを作成しない。", false},
    {kPrefIdMetafile, u"メタファイルとして捺印する。(背景が透けます)",
     u"ビットマップとして捺印する。(背景が透けません)", false},
    {kPrefIdResident, u"マルコミ２を常駐モードで使用する。", u"マルコミ２を通常モードで使用する。",
     true},
    {kPrefIdPaste, u"捺印時クリップボードにコピー＆ペーストする。",
     u"捺印時クリップボードにコピーする。", true},
    {kPrefIdStartupIcon, u"スタートアップフォルダーにアイコンを作成する。",
     u"スタートアップフォルダーにアイコンを作成しない。", true},
}};

// The forward focus order; backward is the same ring read the other way.
constexpr std::array<int, 10> kFocusRing = {
    kPrefIdAutoLayout, kPrefIdLargeWindows, kPrefIdDesktopIcon, kPrefIdMetafile,
    kPrefIdResident,   kPrefIdPaste,        kPrefIdStartupIcon, kPrefIdHotkeyField,
    kPrefIdCancel,     kPrefIdApply,
};

}  // namespace

const std::array<PrefToggleInfo, kPrefToggleCount>& pref_toggles() { return kToggles; }

const PrefToggleInfo& pref_toggle(PrefToggle t) { return kToggles[static_cast<std::size_t>(t)]; }

bool pref_toggle_of_id(int id, PrefToggle* out) {
    for (std::size_t i = 0; i < kToggles.size(); ++i) {
        if (kToggles[i].id == id) {
            if (out) *out = static_cast<PrefToggle>(i);
            return true;
        }
    }
    return false;
}

PreferenceFlags initial_preference_flags(const GlobalOptions& options, bool desktop_shortcut,
                                         bool startup_shortcut) {
    PreferenceFlags flags;
    flags[PrefToggle::kAutoLayout] = options.ajust == 1;
    flags[PrefToggle::kLargeWindows] = options.expand == 1;
    flags[PrefToggle::kDesktopIcon] = desktop_shortcut;
    flags[PrefToggle::kMetafile] = options.format == u"M";
    flags[PrefToggle::kResident] = options.station_type == 1;
    flags[PrefToggle::kPaste] = options.paste == 1;
    flags[PrefToggle::kStartupIcon] = startup_shortcut;
    apply_resident_rule(flags);
    return flags;
}

bool apply_resident_rule(PreferenceFlags& flags) {
    if (flags[PrefToggle::kResident]) return true;
    flags[PrefToggle::kPaste] = false;
    flags[PrefToggle::kStartupIcon] = false;
    return false;
}

void toggle_preference(PreferenceFlags& flags, PrefToggle t) {
    flags[t] = !flags[t];
    apply_resident_rule(flags);
}

std::u16string_view toggle_caption(const PreferenceFlags& flags, PrefToggle t) {
    const PrefToggleInfo& info = pref_toggle(t);
    return flags[t] ? info.caption_on : info.caption_off;
}

bool toggle_filled_red(const PreferenceFlags& flags, PrefToggle t) {
    return flags[t] == pref_toggle(t).red_when_on;
}

ColorRef toggle_fill_colour(const PreferenceFlags& flags, PrefToggle t) {
    return toggle_filled_red(flags, t) ? kToggleLightRed : kToggleWhite;
}

void apply_preferences(const PreferenceFlags& flags, std::int32_t hotkey_field,
                       GlobalOptions& options) {
    options.ajust = flags[PrefToggle::kAutoLayout] ? 1 : 0;
    options.expand = flags[PrefToggle::kLargeWindows] ? 1 : 0;
    options.format = flags[PrefToggle::kMetafile] ? u"M" : u"B";
    options.station_type = flags[PrefToggle::kResident] ? 1 : 0;
    options.paste = flags[PrefToggle::kPaste] ? 1 : 0;
    options.hotkey = hotkey_field == kCtrlVHotkey ? 0 : hotkey_field;
}

int next_pref_focus(int from, bool forward, const std::function<bool(int)>& enabled) {
    return next_in_focus_ring(kFocusRing, from, forward, enabled);
}

PreferencesLayout preferences_layout(int cw, int lh) {
    PreferencesLayout out;
    // 70.6 and 25.5 in tenths: integer arithmetic truncates as the
    // floating-point product would, without its rounding noise.
    out.window = LayoutSize{cw * 706 / 10, lh * 255 / 10};
    const int row_height = lh + lh / 2;
    out.title = LayoutRect{4 * cw, lh + lh / 2, 20 * cw, lh};
    for (int i = 0; i < kPrefToggleCount; ++i) {
        const int row = 4 + 2 * i;
        out.toggles[static_cast<std::size_t>(i)] =
            LayoutRect{8 * cw, row * lh - lh / 4, 55 * cw, row_height};
    }
    out.hotkey_label = LayoutRect{8 * cw, 18 * lh, 20 * cw, row_height};
    out.hotkey_field = LayoutRect{20 * cw, 18 * lh - lh / 4, 43 * cw, row_height};
    out.cancel = LayoutRect{40 * cw, 20 * lh + lh / 2, 13 * cw, row_height};
    out.apply = LayoutRect{53 * cw, 20 * lh + lh / 2, 10 * cw, row_height};
    return out;
}

}  // namespace markomi
