#include "render/row_layout.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "render/text_lines.h"

namespace markomi {

std::vector<LineRecord> lay_out_row_in_band(const StampGeometry& g, std::int32_t band_height,
                                            const FontDescription& font,
                                            std::u16string_view text, RowBand band,
                                            TextMeasurer& measurer) {
    std::vector<LineRecord> lines = split_lines(text);
    // The department row is laid out as a name row of its lines in reverse
    // order and then mirrored. Reversing the records (rather than re-joining
    // the text and splitting it again) keeps every line's characters intact
    // when a line ends in "/".
    if (band == RowBand::kDepartment) std::reverse(lines.begin(), lines.end());

    const std::int64_t n = static_cast<std::int64_t>(lines.size());
    const std::int64_t top = std::int64_t{g.band_top} + (n > 1 ? 1 : 0);
    const std::int64_t usable = std::int64_t{band_height} - g.thickness;

    std::int64_t total_height = 0;
    for (LineRecord& line : lines) {
        measurer.measure_line(font, line);
        total_height += line.height;
    }

    // Integer divisions truncate toward zero throughout, as C++ does.
    const std::int64_t gap = (usable - total_height) / (n + 1);
    std::int64_t above = 0;  // heights of the lines before line j
    for (std::int64_t j = 0; j < n; ++j) {
        LineRecord& line = lines[static_cast<std::size_t>(j)];
        std::int64_t y;
        if (gap >= 0) {
            y = top + gap * (j + 1) - gap / 2 + above + line.height / 2;
        } else {
            // Taller than the band: centres evenly spread over the usable height.
            y = static_cast<std::int64_t>(static_cast<double>(usable / n) * (static_cast<double>(j) + 0.5) +
                                          static_cast<double>(top));
        }
        above += line.height;
        if (band == RowBand::kDepartment) y = std::int64_t{g.cy} - std::llabs(std::int64_t{g.cy} - y);
        line.x = g.cx;
        line.y = saturate_to_int32(y);
    }
    return lines;
}

std::vector<LineRecord> lay_out_row(const StampGeometry& g, const FontDescription& font,
                                    std::u16string_view text, RowBand band,
                                    TextMeasurer& measurer) {
    return lay_out_row_in_band(g, g.band_height, font, text, band, measurer);
}

LineRecord lay_out_date_row(std::int32_t cx, std::int32_t cy, const FontDescription& font,
                            std::u16string_view date_text, TextMeasurer& measurer) {
    LineRecord line;
    line.text.assign(date_text);
    measurer.measure_line(font, line);
    line.x = cx;
    line.y = cy;
    return line;
}

}  // namespace markomi
