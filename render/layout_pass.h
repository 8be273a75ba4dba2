#pragma once
// Fitting every slot's rows ahead of use: at start-up (which fills the
// measurement cache), after the settings are saved and from the tab sheet.
#include "dates/era_table.h"
#include "render/stamp_geometry.h"
#include "render/text_measurer.h"
#include "settings/settings_record.h"

namespace markomi {

constexpr int kDiamondSlotIndex = 5;

// Auto-fits one slot's rows at `centre`: the department row when its text
// is not empty, the date row, the name row when its text is not empty. The
// diamond slot uses its own fit.
void auto_fit_slot(SettingsSet& set, int slot_index, const EraTable& eras, StampPoint centre,
                   TextMeasurer& measurer);

// Does nothing unless AJUST is 1. Otherwise fits all seven slots in order;
// with `keep_frame` each slot's radius and thickness are put back afterwards.
// The active slot is left as it was.
void run_layout_pass(SettingsSet& set, const EraTable& eras, StampPoint centre,
                     TextMeasurer& measurer, bool keep_frame);

}  // namespace markomi
