#pragma once
// Size and contents of the stamp settings window, in units of its control
// font's average character width (cw) and line height (lh): the tab strip
// along the top and the tab sheet below it.
#include <array>
#include <string_view>

#include "settings/settings_record.h"
#include "ui/window_layouts.h"

namespace markomi {

// The tab sheet starts this many pixels below the top of the tab strip.
constexpr int kTabSheetTop = 35;

struct StampSettingsLayout {
    LayoutSize window;     // outer size: cw × 100.5 by menu bar + sheet + 35
    LayoutRect tab_strip;  // (0, 0), as tall as the window
    LayoutRect sheet;      // (0, 35), lh × 18.12 tall
    // Client height that shows the lowest row of the sheet with a margin as
    // wide as the one above the first: the outer height is raised to it
    // where the frame and the menu bar take more than the menu bar's height.
    int min_client_height = 0;
};

StampSettingsLayout stamp_settings_layout(int cw, int lh, int menu_bar_height);

// Tab captions, slot 1 to 7 (the leading blanks belong to them).
const std::array<std::u16string_view, kSlotCount>& tab_captions();

// The tab Ctrl+Tab (forward) or Ctrl+Shift+Tab goes to from `current`,
// wrapping round the seven; from no selection (-1) forward is the first.
int next_tab_index(int current, bool forward);

}  // namespace markomi
