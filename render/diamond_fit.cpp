#include "render/diamond_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "render/row_fit.h"
#include "render/text_lines.h"

namespace markomi {

namespace {

// The decorations' angle constants are these shortened decimal values; the
// corner positions (and so the fitted sizes) depend on them.
constexpr double kHalfPi = 1.57079632675;
constexpr double kTwoPi = 6.283185307;

// Side margins of the date: 7 for a four-digit year, 6 for a full era name.
constexpr std::int32_t kEraStyleFullName = 1;
constexpr std::int32_t kEraStyleFourDigitYear = 4;
constexpr std::int32_t kDateMarginFullName = 6;
constexpr std::int32_t kDateMarginFourDigitYear = 7;
constexpr std::int32_t kDateMarginOther = 14;
constexpr std::int32_t kDateHeightMargin = 4;

std::int32_t clamp_corners(std::int32_t corners) {
    return std::clamp(corners, kMinDiamondCorners, kMaxDiamondCorners);
}

}  // namespace

std::int32_t diamond_edge_x(StampPoint from, StampPoint to, std::int32_t y) {
    if (from.x == to.x || from.y == to.y) return from.x;
    const double slope = static_cast<double>(std::int64_t{to.y} - from.y) /
                         static_cast<double>(std::int64_t{to.x} - from.x);
    const double intercept = from.y - slope * from.x;
    return saturate_to_int32(static_cast<std::int64_t>((y - intercept) / slope));
}

StampPoint diamond_fit_corner(std::int32_t cx, std::int32_t cy, std::int32_t radius,
                              std::int32_t corners, std::int32_t i) {
    const double angle = kHalfPi - kTwoPi / clamp_corners(corners) * i;
    StampPoint p;
    p.x = saturate_to_int32(static_cast<std::int64_t>(std::cos(angle) * radius + cx));
    p.y = saturate_to_int32(static_cast<std::int64_t>(cy - std::sin(angle) * radius));
    return p;
}

std::int32_t diamond_polygon_width(std::int32_t cx, std::int32_t cy, std::int32_t radius,
                                   std::int32_t corners, std::int32_t y) {
    const std::int32_t n = clamp_corners(corners);
    const StampPoint first = diamond_fit_corner(cx, cy, radius, n, 0);
    StampPoint from = first;
    for (std::int32_t i = 0; i < n; ++i) {
        const StampPoint to = i + 1 < n ? diamond_fit_corner(cx, cy, radius, n, i + 1) : first;
        if (y >= std::min(from.y, to.y) && y <= std::max(from.y, to.y)) {
            return saturate_to_int32(2 * std::llabs(std::int64_t{diamond_edge_x(from, to, y)} - cx));
        }
        from = to;
    }
    return 0;
}

float diamond_band_extent(std::int32_t radius, std::int32_t chord_offset,
                          std::int32_t corners, RowBand band) {
    if (band == RowBand::kDepartment) return static_cast<float>(std::abs(radius - chord_offset));
    const std::int32_t n = clamp_corners(corners);
    // The angle of the lowest corner (even N) or of the bottom side's right
    // end (odd N), rounded to single precision before the sine is taken.
    const auto lowest = static_cast<float>(kHalfPi - (kTwoPi / n) * (n / 2));
    const auto depth = static_cast<float>(std::fabs(radius * std::sin(static_cast<double>(lowest))));
    return depth - static_cast<float>(chord_offset);
}

bool diamond_point_inside(const StampGeometry& g, std::int32_t corners, float extent,
                          bool single_character, RowBand band, std::int64_t dx, std::int64_t dy) {
    const float lowest = static_cast<float>(g.chord_offset + half_thickness(g.thickness)) + extent -
                         static_cast<float>(single_character ? 4 : 0) -
                         static_cast<float>(g.thickness) - 2.0f;
    if (static_cast<float>(dy) > lowest) return false;
    const std::int64_t depth = std::llabs(dy);
    const std::int64_t y = band == RowBand::kName ? g.cy + depth : g.cy - depth;
    const std::int32_t width = diamond_polygon_width(g.cx, g.cy, g.radius, corners, saturate_to_int32(y));
    return (std::int64_t{width} - g.thickness) / 2 >= std::llabs(dx);
}

bool diamond_row_fits(const StampGeometry& g, std::int32_t corners, const FontDescription& font,
                      std::u16string_view text, RowBand band, TextMeasurer& measurer) {
    if (text.empty()) return true;
    const float extent = diamond_band_extent(g.radius, g.chord_offset, corners, band);
    const std::vector<LineRecord> lines =
        lay_out_row_in_band(g, static_cast<std::int32_t>(extent), font, text, band, measurer);
    const bool single = is_single_character_text(text);
    return lines_fit(lines, g.cx, g.cy, g.chord_offset, line_draw_box,
                     [&](std::int64_t dx, std::int64_t dy) {
                         return diamond_point_inside(g, corners, extent, single, band, dx, dy);
                     });
}

bool diamond_date_fits(const StampGeometry& g, std::int32_t corners, std::int32_t era_style,
                       const FontDescription& font, std::u16string_view date_text,
                       TextMeasurer& measurer) {
    const std::int32_t margin = era_style == kEraStyleFourDigitYear ? kDateMarginFourDigitYear
                                : era_style == kEraStyleFullName    ? kDateMarginFullName
                                                                    : kDateMarginOther;
    const float cy = static_cast<float>(g.cy);
    const float s = static_cast<float>(g.chord_offset);
    const auto lower_chord = static_cast<std::int32_t>(cy + s);
    const auto upper_chord = static_cast<std::int32_t>(cy - s);
    const std::int32_t w1 = diamond_polygon_width(g.cx, g.cy, g.radius, corners, lower_chord);
    const std::int32_t w2 = diamond_polygon_width(g.cx, g.cy, g.radius, corners, upper_chord);
    const LineRecord line = lay_out_date_row(g.cx, g.cy, font, date_text, measurer);
    return std::int64_t{line.width} < std::int64_t{std::min(w1, w2)} - g.thickness - margin &&
           std::int64_t{line.height} <
               std::int64_t{lower_chord} - upper_chord - g.thickness - kDateHeightMargin;
}

std::int32_t diamond_auto_fit_row(SlotSettings& slot, std::u16string_view text, RowBand band,
                                  StampPoint centre, TextMeasurer& measurer) {
    if (text.empty()) return 0;
    const StampGeometry g = stamp_geometry(centre.x, centre.y, slot.frame.hankei, slot.frame.thick);
    const std::int32_t corners = slot.frame.bunkatu;
    return auto_fit_font(row_font(slot, band), g.radius, [&](const FontDescription& font) {
        return diamond_row_fits(g, corners, font, text, band, measurer);
    });
}

std::int32_t diamond_auto_fit_date(SlotSettings& slot, const StampDate& date, const EraTable& eras,
                                   StampPoint centre, TextMeasurer& measurer) {
    const std::u16string text = slot_date_text(slot, date, eras);
    const StampGeometry g = stamp_geometry(centre.x, centre.y, slot.frame.hankei, slot.frame.thick);
    const std::int32_t corners = slot.frame.bunkatu;
    const std::int32_t era_style = slot.date_format.era;
    return auto_fit_font(slot.date, g.radius / 2, [&](const FontDescription& font) {
        return diamond_date_fits(g, corners, era_style, font, text, measurer);
    });
}

}  // namespace markomi
