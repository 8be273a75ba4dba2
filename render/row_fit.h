#pragma once
// Whether a row's text fits inside the stamp at a font size, and the search
// for the largest size that fits, written back into the slot's settings.
// The stamp is placed at a reference centre the caller passes (the centre of
// the preview box on the measuring surface).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dates/era_table.h"
#include "render/font_description.h"
#include "render/row_layout.h"
#include "render/stamp_geometry.h"
#include "render/text_measurer.h"
#include "settings/settings_record.h"

namespace markomi {

// Extra clearance for a row of a single character, which would otherwise
// grow until its corners touch the ring.
constexpr std::int32_t kSingleCharacterMargin = 6;

// Whether the point (dx, dy) from the centre lies inside the ring of radius
// `radius` and even thickness `thickness`, keeping `margin` more pixels
// clear. dy / r is taken in single precision; |dy| > r is outside.
bool point_in_ring(std::int64_t dx, std::int64_t dy, std::int32_t radius,
                   std::int32_t thickness, std::int32_t margin);

// Whether the vertical extents of two boxes overlap; boxes sharing a
// boundary row clash.
bool extents_clash(const LineBox& a, const LineBox& b);

// The checks every laid-out line must pass, shared by the circle and the
// diamond: all four corners of its box (relative to the centre) satisfy
// `inside`, its top and bottom are at least `chord_offset` from cy, and its
// box does not clash with the previous line's.
using LineBoxOf = LineBox (*)(const LineRecord&);
using PointInside = std::function<bool(std::int64_t dx, std::int64_t dy)>;
bool lines_fit(const std::vector<LineRecord>& lines, std::int32_t cx, std::int32_t cy,
               std::int32_t chord_offset, LineBoxOf box_of, const PointInside& inside);

// Whether the department or name text fits the ring of `g` at `font`'s
// height. An empty text fits.
bool row_fits(const StampGeometry& g, const FontDescription& font, std::u16string_view text,
              RowBand band, TextMeasurer& measurer);

// Whether the date text fits between the chords at `font`'s height.
bool date_fits(const StampGeometry& g, const FontDescription& font,
               std::u16string_view date_text, TextMeasurer& measurer);

// The largest size in 1..hi - 1 (hi itself is never tried) for which
// `fits_at` holds, by bisection; 1 when none fits. hi below 1 counts as 1.
// The bisection assumes that a size that fits makes every smaller size fit.
std::int32_t largest_fitting_size(std::int32_t hi, const std::function<bool(std::int32_t)>& fits_at);

// The slot's date text for `date`, as its date row shows it (empty for an
// era style outside 1..5).
std::u16string slot_date_text(const SlotSettings& slot, const StampDate& date, const EraTable& eras);

// The slot's font of the department or name row.
FontSpec& row_font(SlotSettings& slot, RowBand band);

// The description of `spec` with height -size: a candidate of the search.
FontDescription font_at_size(const FontSpec& spec, std::int32_t size);

// Searches sizes below `hi` with `fits`, stores -size as spec.height and
// returns the size: the common part of every auto-fit.
std::int32_t auto_fit_font(FontSpec& spec, std::int32_t hi,
                           const std::function<bool(const FontDescription&)>& fits);

// Auto-fit of the department or name row: searches the largest size that
// fits the slot's frame at `centre` and stores its negative as the row's
// height. Returns the size. An empty text is skipped: the height keeps its
// value and the result is 0.
std::int32_t auto_fit_row(SlotSettings& slot, std::u16string_view text, RowBand band,
                          StampPoint centre, TextMeasurer& measurer);

// Auto-fit of the date row (sizes below r / 2); stores -size as the date height.
std::int32_t auto_fit_date(SlotSettings& slot, const StampDate& date, const EraTable& eras,
                           StampPoint centre, TextMeasurer& measurer);

}  // namespace markomi
