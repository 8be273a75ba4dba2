#include "ui/stamp_settings_rules.h"

namespace markomi {

StampSettingsLayout stamp_settings_layout(int cw, int lh, int menu_bar_height) {
    StampSettingsLayout out;
    const int width = static_cast<int>(cw * 100.5);
    const int sheet_height = static_cast<int>(lh * 18.12);
    const int height = menu_bar_height + sheet_height + kTabSheetTop;
    out.window = LayoutSize{width, height};
    out.tab_strip = LayoutRect{0, 0, width, height};
    out.sheet = LayoutRect{0, kTabSheetTop, width, sheet_height};
    // The date format row ends at 15.7 lh; the first row starts at 1.1 lh.
    out.min_client_height = kTabSheetTop + static_cast<int>(lh * 16.8);
    return out;
}

const std::array<std::u16string_view, kSlotCount>& tab_captions() {
    static const std::array<std::u16string_view, kSlotCount> captions = {
        u"ノーマル", u"  花", u"  星", u"  虫", u" 台風", u"ダイヤ", u" 動物"};
    return captions;
}

int next_tab_index(int current, bool forward) {
    if (current < 0 || current >= kSlotCount) return forward ? 0 : kSlotCount - 1;
    return (current + (forward ? 1 : kSlotCount - 1)) % kSlotCount;
}

}  // namespace markomi
