#include "render/row_fit.h"

#include <cmath>
#include <cstdlib>

#include "dates/date_text.h"
#include "render/text_lines.h"

namespace markomi {

namespace {

// Margins of the date row against the chord length and the chord distance.
constexpr float kDateWidthMargin = 14.0f;
constexpr float kDateHeightMargin = 4.0f;

}  // namespace

bool point_in_ring(std::int64_t dx, std::int64_t dy, std::int32_t radius,
                   std::int32_t thickness, std::int32_t margin) {
    if (radius <= 0) return false;
    const std::int64_t half = half_thickness(thickness);
    // Single-precision quotient: it decides the last pixel at the ring's edge.
    // Beyond the ring asin yields NaN and the comparison fails.
    const float sine = static_cast<float>(dy) / static_cast<float>(radius);
    const double reach = std::fabs(radius * std::cos(std::asin(static_cast<double>(sine))));
    if (!(static_cast<double>(std::llabs(dx)) <= reach - static_cast<double>(half) - margin)) return false;
    return std::llabs(dy) <= std::int64_t{radius} - margin - half;
}

bool extents_clash(const LineBox& a, const LineBox& b) {
    auto within = [](std::int32_t v, std::int32_t above, std::int32_t below) {
        return v > above && v <= below;
    };
    return within(b.top, a.top, a.bottom) || within(b.bottom, a.top, a.bottom) ||
           within(a.top, b.top, b.bottom) || within(a.bottom, b.top, b.bottom);
}

bool lines_fit(const std::vector<LineRecord>& lines, std::int32_t cx, std::int32_t cy,
               std::int32_t chord_offset, LineBoxOf box_of, const PointInside& inside) {
    LineBox previous;
    for (std::size_t j = 0; j < lines.size(); ++j) {
        const LineBox box = box_of(lines[j]);
        const std::int64_t left = std::int64_t{box.left} - cx;
        const std::int64_t right = std::int64_t{box.right} - cx;
        const std::int64_t top = std::int64_t{box.top} - cy;
        const std::int64_t bottom = std::int64_t{box.bottom} - cy;
        if (!inside(left, top) || !inside(left, bottom) || !inside(right, top) ||
            !inside(right, bottom)) {
            return false;
        }
        if (std::llabs(top) < chord_offset || std::llabs(bottom) < chord_offset) return false;
        if (j > 0 && extents_clash(previous, box)) return false;
        previous = box;
    }
    return true;
}

bool row_fits(const StampGeometry& g, const FontDescription& font, std::u16string_view text,
              RowBand band, TextMeasurer& measurer) {
    if (text.empty()) return true;
    const std::vector<LineRecord> lines = lay_out_row(g, font, text, band, measurer);
    const std::int32_t margin = is_single_character_text(text) ? kSingleCharacterMargin : 0;
    return lines_fit(lines, g.cx, g.cy, g.chord_offset, line_fit_box,
                     [&g, margin](std::int64_t dx, std::int64_t dy) {
                         return point_in_ring(dx, dy, g.radius, g.thickness, margin);
                     });
}

bool date_fits(const StampGeometry& g, const FontDescription& font,
               std::u16string_view date_text, TextMeasurer& measurer) {
    const LineRecord line = lay_out_date_row(g.cx, g.cy, font, date_text, measurer);
    const float thickness = static_cast<float>(g.thickness);
    const auto max_width = static_cast<std::int32_t>(2.0f * g.chord_half_length - thickness - kDateWidthMargin);
    const auto max_height = static_cast<std::int32_t>(2.0f * static_cast<float>(g.chord_offset) - thickness -
                                                      kDateHeightMargin);
    return line.width < max_width && line.height < max_height;
}

std::int32_t largest_fitting_size(std::int32_t hi, const std::function<bool(std::int32_t)>& fits_at) {
    std::int32_t lo = 1;
    if (hi < lo) hi = lo;
    // lo <= mid <= hi and every step either ends or narrows [lo, hi].
    for (;;) {
        const std::int32_t mid = lo + (hi - lo) / 2;
        if (fits_at(mid)) {
            if (lo == mid) return mid;
            lo = mid;
        } else {
            if (hi == mid) return 1;
            hi = mid;
        }
    }
}

std::u16string slot_date_text(const SlotSettings& slot, const StampDate& date, const EraTable& eras) {
    std::u16string text;
    format_date_text(slot.date_format.era, slot.date_format.delimiter, date,
                     slot.date_format.month_lang, eras, &text);
    return text;
}

FontSpec& row_font(SlotSettings& slot, RowBand band) {
    return band == RowBand::kDepartment ? slot.busho : slot.name;
}

FontDescription font_at_size(const FontSpec& spec, std::int32_t size) {
    FontDescription font = font_description_of(spec);
    font.height = -size;
    return font;
}

std::int32_t auto_fit_font(FontSpec& spec, std::int32_t hi,
                           const std::function<bool(const FontDescription&)>& fits) {
    const std::int32_t size = largest_fitting_size(
        hi, [&](std::int32_t candidate) { return fits(font_at_size(spec, candidate)); });
    spec.height = -size;
    return size;
}

std::int32_t auto_fit_row(SlotSettings& slot, std::u16string_view text, RowBand band,
                          StampPoint centre, TextMeasurer& measurer) {
    if (text.empty()) return 0;
    const StampGeometry g = stamp_geometry(centre.x, centre.y, slot.frame.hankei, slot.frame.thick);
    return auto_fit_font(row_font(slot, band), g.radius, [&](const FontDescription& font) {
        return row_fits(g, font, text, band, measurer);
    });
}

std::int32_t auto_fit_date(SlotSettings& slot, const StampDate& date, const EraTable& eras,
                           StampPoint centre, TextMeasurer& measurer) {
    const std::u16string text = slot_date_text(slot, date, eras);
    const StampGeometry g = stamp_geometry(centre.x, centre.y, slot.frame.hankei, slot.frame.thick);
    return auto_fit_font(slot.date, g.radius / 2, [&](const FontDescription& font) {
        return date_fits(g, font, text, measurer);
    });
}

}  // namespace markomi
