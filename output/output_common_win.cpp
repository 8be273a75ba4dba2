#include "output/output_common_win.h"

#include "dates/era_table.h"
#include "render/layout_pass.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/text_path_gdiplus.h"

namespace markomi {

void fit_slot_rows(SettingsSet& set, int slot_index) {
    if (set.global.ajust != 1 || slot_index < 0 || slot_index >= kSlotCount) return;
    GdiplusTextMeasurer measurer;
    auto_fit_slot(set, slot_index, g_era_table, fit_reference_centre(), measurer);
}

}  // namespace markomi
