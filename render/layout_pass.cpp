#include "render/layout_pass.h"

#include "render/diamond_fit.h"
#include "render/row_fit.h"

namespace markomi {

void auto_fit_slot(SettingsSet& set, int slot_index, const EraTable& eras, StampPoint centre,
                   TextMeasurer& measurer) {
    if (slot_index < 0 || slot_index >= kSlotCount) return;
    SlotSettings& slot = set.slots[static_cast<std::size_t>(slot_index)];
    std::u16string_view busho = set.global.busho.view();
    std::u16string_view name = set.global.name.view();
    if (slot_index == kDiamondSlotIndex) {
        if (!busho.empty()) diamond_auto_fit_row(slot, busho, RowBand::kDepartment, centre, measurer);
        diamond_auto_fit_date(slot, set.date, eras, centre, measurer);
        if (!name.empty()) diamond_auto_fit_row(slot, name, RowBand::kName, centre, measurer);
        return;
    }
    if (!busho.empty()) auto_fit_row(slot, busho, RowBand::kDepartment, centre, measurer);
    auto_fit_date(slot, set.date, eras, centre, measurer);
    if (!name.empty()) auto_fit_row(slot, name, RowBand::kName, centre, measurer);
}

void run_layout_pass(SettingsSet& set, const EraTable& eras, StampPoint centre,
                     TextMeasurer& measurer, bool keep_frame) {
    if (set.global.ajust != 1) return;
    for (int i = 0; i < kSlotCount; ++i) {
        FrameSpec& frame = set.slots[static_cast<std::size_t>(i)].frame;
        const std::int32_t hankei = frame.hankei;
        const std::int32_t thick = frame.thick;
        auto_fit_slot(set, i, eras, centre, measurer);
        if (keep_frame) {
            frame.hankei = hankei;
            frame.thick = thick;
        }
    }
}

}  // namespace markomi
