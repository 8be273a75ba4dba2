#pragma once
// Fitting the rows of the diamond design (slot 6), whose frame is a regular
// polygon with its first corner at the top instead of a ring. The rows are
// laid out as in the circle, but the fit tests measure against the polygon:
// its width at a height, and for odd corner counts a lower band that ends at
// the bottom side rather than at the radius.
#include <cstdint>
#include <string_view>

#include "dates/era_table.h"
#include "render/font_description.h"
#include "render/row_layout.h"
#include "render/stamp_geometry.h"
#include "render/text_measurer.h"
#include "settings/settings_record.h"

namespace markomi {

// Corner counts outside the settings range are brought into it.
constexpr std::int32_t kMinDiamondCorners = 3;
constexpr std::int32_t kMaxDiamondCorners = 20;

// The x of the edge (from -> to) at height y: from.x for a vertical edge,
// otherwise the line through both ends, truncated. A horizontal edge (which
// the chord and fit heights never query) gives from.x. The diamond's chord
// ends use the same rule.
std::int32_t diamond_edge_x(StampPoint from, StampPoint to, std::int32_t y);

// Corner i (0 = top, then clockwise on the screen) of the polygon used by
// the fit test, at angle pi/2 - i * 2pi/N.
StampPoint diamond_fit_corner(std::int32_t cx, std::int32_t cy, std::int32_t radius,
                              std::int32_t corners, std::int32_t i);

// The polygon's width at height y: twice the distance from cx of the first
// edge (from the top corner on) whose ends enclose y; 0 outside the polygon.
std::int32_t diamond_polygon_width(std::int32_t cx, std::int32_t cy, std::int32_t radius,
                                   std::int32_t corners, std::int32_t y);

// How far a row's band reaches from the centre: |r - s| for the department
// row; for the name row the depth of the lowest corner or side, less s.
float diamond_band_extent(std::int32_t radius, std::int32_t chord_offset,
                          std::int32_t corners, RowBand band);

// Whether (dx, dy) from the centre lies inside the polygon for a row with
// band extent `extent`; `single_character` shrinks the lower limit by 4.
bool diamond_point_inside(const StampGeometry& g, std::int32_t corners, float extent,
                          bool single_character, RowBand band, std::int64_t dx, std::int64_t dy);

// Whether the department or name text fits the polygon at `font`'s height.
bool diamond_row_fits(const StampGeometry& g, std::int32_t corners, const FontDescription& font,
                      std::u16string_view text, RowBand band, TextMeasurer& measurer);

// Whether the date text fits between the chords inside the polygon; the
// side margin depends on the era style (the longer texts get less).
bool diamond_date_fits(const StampGeometry& g, std::int32_t corners, std::int32_t era_style,
                       const FontDescription& font, std::u16string_view date_text,
                       TextMeasurer& measurer);

// The auto-fits of the diamond slot, with the corner count and era style
// from `slot`; as auto_fit_row / auto_fit_date otherwise.
std::int32_t diamond_auto_fit_row(SlotSettings& slot, std::u16string_view text, RowBand band,
                                  StampPoint centre, TextMeasurer& measurer);
std::int32_t diamond_auto_fit_date(SlotSettings& slot, const StampDate& date, const EraTable& eras,
                                   StampPoint centre, TextMeasurer& measurer);

}  // namespace markomi
