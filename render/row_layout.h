#pragma once
// Places the text lines of a stamp row in their band: the department row
// above the upper chord, the name row below the lower chord, the date row on
// the centre. Lines are measured through the given measurer; layout fills
// each record's centre point.
#include <cstdint>
#include <string_view>
#include <vector>

#include "render/font_description.h"
#include "render/line_record.h"
#include "render/stamp_geometry.h"
#include "render/text_measurer.h"

namespace markomi {

enum class RowBand : int {
    kDepartment = 0,  // upper band
    kName = 1,        // lower band
};

// Lays out `text` (lines split at "//") in its band of `g`. The name row's
// first line sits half a gap below the band top and the spare space collects
// at the bottom where the circle narrows; lines taller than the band are
// spread evenly and overlap. The department row is the same layout mirrored
// about the centre, so its first line is at the top; its records come last
// line first. Always at least one record.
std::vector<LineRecord> lay_out_row(const StampGeometry& g, const FontDescription& font,
                                    std::u16string_view text, RowBand band,
                                    TextMeasurer& measurer);

// The same with another band height in place of g.band_height (the usable
// height becomes band_height - g.thickness); the diamond's fit uses it.
std::vector<LineRecord> lay_out_row_in_band(const StampGeometry& g, std::int32_t band_height,
                                            const FontDescription& font,
                                            std::u16string_view text, RowBand band,
                                            TextMeasurer& measurer);

// The date row: one record with the whole text (never split at "//", cut
// at a record's capacity), measured, centred on (cx, cy).
LineRecord lay_out_date_row(std::int32_t cx, std::int32_t cy, const FontDescription& font,
                            std::u16string_view date_text, TextMeasurer& measurer);

}  // namespace markomi
