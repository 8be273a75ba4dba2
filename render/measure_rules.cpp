#include "render/measure_rules.h"

#include "base/u16_format.h"

namespace markomi {

std::u16string measure_cache_key(std::u16string_view text, const FontDescription& font) {
    std::u16string key;
    key.reserve(text.size() + font.face_name.size() + 40);
    key.append(text);
    key.push_back(u' ');
    key.append(font.face_name.view());
    for (std::int64_t v : {std::int64_t{font.height}, std::int64_t{font.weight},
                           std::int64_t{font.italic}, std::int64_t{font.underline},
                           std::int64_t{font.strike_out}}) {
        key.push_back(u' ');
        append_decimal(key, v);
    }
    key.push_back(u' ');
    return key;
}

std::int32_t font_style_of(const FontDescription& font) {
    std::int32_t style = kFontStyleRegular;
    if (font.weight == 400) {
        style = font.italic != 0 ? kFontStyleItalic : kFontStyleRegular;
    } else if (font.weight == 700) {
        style = font.italic != 0 ? kFontStyleBold | kFontStyleItalic : kFontStyleBold;
    }
    if (font.underline != 0) style += kFontStyleUnderline;
    if (font.strike_out != 0) style += kFontStyleStrikeout;
    return style;
}

float em_size_of(float font_height, std::uint16_t em_height, std::uint16_t line_spacing) {
    if (line_spacing == 0) return font_height;
    const float scaled = font_height * static_cast<float>(em_height);
    return scaled / static_cast<float>(line_spacing);
}

FontDescription face_check_font(std::u16string_view face_name) {
    FontDescription font;
    font.face_name = face_name;
    font.height = -13;
    font.weight = 400;
    font.char_set = 128;
    font.quality = 1;
    return font;
}

namespace {

// One scan over any pixel source; `read` has the PixelReader signature.
template <class Read>
InkScan scan_with(Read&& read, std::int32_t width, std::int32_t height) {
    InkScan scan;
    bool in_top_scan = true;

    auto blank_at = [&](std::int32_t i, std::int32_t j) {
        const int x = i + 1;
        const int y = j + 1;
        std::uint32_t colour = 0;
        if (!read(x, y, &colour)) {
            if (in_top_scan && !scan.top_read_failed) {
                scan.top_read_failed = true;
                scan.failed_x = x;
                scan.failed_y = y;
            }
            return false;
        }
        return colour == kBlankPixel;
    };
    auto row_blank = [&](std::int32_t j) {
        for (std::int32_t i = 0; i < width; ++i) {
            if (!blank_at(i, j)) return false;
        }
        return true;
    };

    for (std::int32_t j = 0; j < height && row_blank(j); ++j) ++scan.top;
    in_top_scan = false;
    if (scan.top >= height) {
        // No ink at all (a line of blanks): taken further, the scans below
        // would count every row and column twice and give a negative box.
        scan.top = 0;
        return scan;
    }
    scan.ink_found = true;

    for (std::int32_t j = height; j > 0 && row_blank(j); --j) ++scan.bottom;

    // Column test rows. When the ink lies on one row only, top .. height −
    // bottom − 1 is empty and every column would pass as blank, giving a
    // negative width; that single row is tested instead.
    const std::int32_t first_row = scan.top;
    std::int32_t last_row = height - scan.bottom - 1;
    if (last_row < first_row) last_row = first_row;
    auto column_blank = [&](std::int32_t i) {
        for (std::int32_t j = first_row; j <= last_row; ++j) {
            if (!blank_at(i, j)) return false;
        }
        return true;
    };

    for (std::int32_t i = width; i > 0 && column_blank(i); --i) ++scan.right;
    for (std::int32_t i = 0; i < width && column_blank(i); ++i) ++scan.left;
    return scan;
}

}  // namespace

InkScan scan_ink_margins(const PixelReader& read, std::int32_t width, std::int32_t height) {
    return scan_with(read, width, height);
}

InkScan scan_ink_margins(const PixelBuffer& buffer, std::int32_t width, std::int32_t height) {
    auto read = [&buffer](int x, int y, std::uint32_t* colour) {
        if (buffer.pixels == nullptr || x < 0 || y < 0 || x >= buffer.width || y >= buffer.height) {
            return false;
        }
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(buffer.stride) +
                               static_cast<std::size_t>(x);
        *colour = buffer.pixels[at] & 0x00FFFFFFu;
        return true;
    };
    return scan_with(read, width, height);
}

bool bit_buffer_pixel(const BitBuffer& buffer, int x, int y, std::uint32_t* colour) {
    if (buffer.bits == nullptr || x < 0 || y < 0 || x >= buffer.width || y >= buffer.height) return false;
    const std::uint8_t byte = buffer.bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(buffer.stride) +
                                          static_cast<std::size_t>(x >> 3)];
    *colour = (byte >> (7 - (x & 7))) & 1 ? kBlankPixel : 0u;
    return true;
}

InkScan scan_ink_margins(const BitBuffer& buffer, std::int32_t width, std::int32_t height) {
    auto read = [&buffer](int x, int y, std::uint32_t* colour) { return bit_buffer_pixel(buffer, x, y, colour); };
    return scan_with(read, width, height);
}

MeasuredSize ink_box_of(std::int32_t width, std::int32_t height, const InkScan& scan) {
    MeasuredSize size;
    if (!scan.ink_found) return size;
    size.width = width - (scan.right + scan.left);
    size.height = height - (scan.top + scan.bottom);
    size.top_margin = scan.top;
    size.bottom_margin = scan.bottom;
    size.right_margin = scan.right;
    size.left_margin = scan.left;
    return size;
}

std::int32_t typographic_extent(float origin, float size) {
    const float far_edge = origin + size;
    return static_cast<std::int32_t>(far_edge - origin);
}

std::int32_t widened_width(std::int32_t width, std::size_t units) {
    if (units == 0) return width;
    const std::int32_t n = static_cast<std::int32_t>(units);
    return width + (width / n) / 2;
}

ScanExtent ink_scan_extent(float bx, float by, float bw, float bh, std::size_t text_units) {
    ScanExtent extent;
    extent.width = widened_width(typographic_extent(bx, bw), text_units);
    extent.height = typographic_extent(by, bh);
    return extent;
}

namespace {

template <class Source>
InkMeasurement measure_ink_box_in(float bx, float by, float bw, float bh, std::size_t text_units,
                                  const Source& source) {
    const ScanExtent extent = ink_scan_extent(bx, by, bw, bh, text_units);
    InkMeasurement m;
    m.scan = scan_ink_margins(source, extent.width, extent.height);
    m.size = ink_box_of(extent.width, extent.height, m.scan);
    return m;
}

}  // namespace

InkMeasurement measure_ink_box(float bx, float by, float bw, float bh, std::size_t text_units,
                               const PixelReader& read) {
    return measure_ink_box_in(bx, by, bw, bh, text_units, read);
}

InkMeasurement measure_ink_box(float bx, float by, float bw, float bh, std::size_t text_units,
                               const BitBuffer& bits) {
    return measure_ink_box_in(bx, by, bw, bh, text_units, bits);
}

bool face_draws_check_mark(float bx, float by, float bw, float bh, const PixelReader& read) {
    const int x = static_cast<int>((bx + bw) / 2.0f);
    const int y = static_cast<int>((by + bh) / 2.0f);
    std::uint32_t colour = 0;
    if (!read(x, y, &colour)) return false;
    return colour != kBlankPixel;
}

void measure_line_through_cache(MeasureCache& cache, const FontDescription& font,
                                LineRecord& line, const LineInkMeasure& measure) {
    apply_measured_size(MeasuredSize{}, line);
    if (line.text.empty()) return;

    const std::u16string key = measure_cache_key(line.text.view(), font);
    MeasuredSize size;
    if (cache.lookup(key, &size)) {
        apply_measured_size(size, line);
        return;
    }
    size = measure(font, line.text.view());
    apply_measured_size(size, line);
    cache.store(key, size);
}

}  // namespace markomi
