#pragma once
// The platform-free half of measuring a stamp line. The glue renders the
// line's glyph path on the monochrome measuring surface and measures its
// typographic box; everything from there on is here: the cache key, the font
// style word, the em size, the widening of the box, the ink-margin scans and
// the cache round trip.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "render/font_description.h"
#include "render/line_record.h"
#include "render/measure_cache.h"

namespace markomi {

// ---- Key and font ---------------------------------------------------------

// "text face height weight italic underline strikeout " (each field followed
// by one blank, the last three as byte values). Width, character set and
// quality are deliberately left out: they do not change the drawn path.
std::u16string measure_cache_key(std::u16string_view text, const FontDescription& font);

// GDI+ FontStyle bits.
constexpr std::int32_t kFontStyleRegular = 0;
constexpr std::int32_t kFontStyleBold = 1;
constexpr std::int32_t kFontStyleItalic = 2;
constexpr std::int32_t kFontStyleUnderline = 4;
constexpr std::int32_t kFontStyleStrikeout = 8;

// Bold only for weight exactly 700 and italic only beside weight 400 or 700;
// any other weight is regular whatever the italic flag says.
std::int32_t font_style_of(const FontDescription& font);

// Em size for adding text to a path: font_height (the font's line spacing in
// pixels on the target graphics) × em_height ÷ line_spacing (the family's
// design units for the style), in single precision. A family that reports no
// line spacing leaves font_height as it is rather than dividing by zero.
float em_size_of(float font_height, std::uint16_t em_height, std::uint16_t line_spacing);

// The face check draws "■" in this font (height −13, weight 400, Shift-JIS,
// draft quality).
FontDescription face_check_font(std::u16string_view face_name);

// ---- Pixels ---------------------------------------------------------------

// Colour of a blank pixel of the measuring surface (white as a COLORREF,
// identical in 0x00RRGGBB order).
constexpr std::uint32_t kBlankPixel = 0xFFFFFF;

// Reads the surface pixel at (x, y) into *colour (COLORREF layout); returns
// false for a failed read, including a point outside the surface. Failed
// reads count as ink.
using PixelReader = std::function<bool(int x, int y, std::uint32_t* colour)>;

// An in-memory copy of a surface: 32 bits per pixel, rows top-down, `stride`
// pixels (not bytes) from one row to the next. Only the low 24 bits are
// compared, so a 32-bpp DIB (0x00RRGGBB, top byte 0 or undefined) can be
// scanned as it comes. Points outside width × height count as ink.
struct PixelBuffer {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// A 1-bit surface as it lies in memory: rows top-down, `stride` bytes from
// one row to the next, the leftmost pixel in the most significant bit, 1 for
// white (blank), 0 for ink. Points outside width × height count as ink.
struct BitBuffer {
    const std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// The pixel at (x, y) of a 1-bit surface as a COLORREF (kBlankPixel or
// black); false for a point outside it, which counts as ink.
bool bit_buffer_pixel(const BitBuffer& buffer, int x, int y, std::uint32_t* colour);

// ---- Ink scan ---------------------------------------------------------------

// Blank rows and columns around the ink of a rendered line. Scan position
// (i, j) is the surface point (i + 1, j + 1), the line having been drawn at
// origin (1, 1).
struct InkScan {
    std::int32_t top = 0;
    std::int32_t bottom = 0;
    std::int32_t right = 0;
    std::int32_t left = 0;
    bool ink_found = false;        // false: every row of the box was blank
    bool top_read_failed = false;  // a read failed during the top scan (logged as "CLR_INVALID")
    std::int32_t failed_x = 0;     // surface point of that failed read
    std::int32_t failed_y = 0;
};

// Scans a width × height box (the widened typographic box):
//   top    rows j = 0, 1, ... < height, counting blank rows;
//   bottom rows j = height, height − 1, ... > 0 (it starts one row lower than
//          the top scan ends, deliberately: the ink box comes out as the
//          distance between the outermost ink rows);
//   right  columns i = width, width − 1, ... > 0, and
//   left   columns i = 0, 1, ... < width, a column being blank when rows
//          top .. height − bottom − 1 are.
// Reads stop at the first ink pixel of a row or column.
InkScan scan_ink_margins(const PixelReader& read, std::int32_t width, std::int32_t height);
InkScan scan_ink_margins(const PixelBuffer& buffer, std::int32_t width, std::int32_t height);
InkScan scan_ink_margins(const BitBuffer& buffer, std::int32_t width, std::int32_t height);

// The ink box: width − right − left, height − top − bottom and the four
// margins; all zero when no ink was found.
MeasuredSize ink_box_of(std::int32_t width, std::int32_t height, const InkScan& scan);

// trunc((origin + size) − origin) in single precision: one side of the
// typographic box the string measurement reports.
std::int32_t typographic_extent(float origin, float size);

// width + (width / units) / 2 in integer division: room for glyphs that
// overhang their typographic box. A text of no units is not widened.
std::int32_t widened_width(std::int32_t width, std::size_t units);

// The box the scans cover, from the string measurement's box (bx, by, bw,
// bh) of a text of `text_units` UTF-16 units: the widened width and the
// height. The scans read surface points (1, 1) to (width + 1, height + 1), so
// only that much of the measuring surface needs clearing before a line.
struct ScanExtent {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
ScanExtent ink_scan_extent(float bx, float by, float bw, float bh, std::size_t text_units);

struct InkMeasurement {
    MeasuredSize size;
    InkScan scan;
};

// From the string measurement's box (bx, by, bw, bh) of a text of
// `text_units` UTF-16 units, already drawn on the measuring surface: box
// size, widening, scans and ink box.
InkMeasurement measure_ink_box(float bx, float by, float bw, float bh, std::size_t text_units,
                               const PixelReader& read);
// The same, reading the surface's bits in place: a line's scans read
// thousands of pixels, which one call each through a PixelReader makes
// cost as much as filling the line.
InkMeasurement measure_ink_box(float bx, float by, float bw, float bh, std::size_t text_units,
                               const BitBuffer& bits);

// Whether a face draws: the pixel at (trunc((bx + bw) / 2), trunc((by + bh) / 2))
// of the box of "■" must be readable and not blank.
bool face_draws_check_mark(float bx, float by, float bw, float bh, const PixelReader& read);

// ---- Through the cache ------------------------------------------------------

// The platform's true measurement of a line that missed the cache.
using LineInkMeasure =
    std::function<MeasuredSize(const FontDescription& font, std::u16string_view text)>;

// Zeroes the record's size and margins; an empty text stays so and is not
// looked up. Otherwise a cache hit is copied into the record, and a miss is
// measured, copied and stored. Text, x and y stay as they are.
void measure_line_through_cache(MeasureCache& cache, const FontDescription& font,
                                LineRecord& line, const LineInkMeasure& measure);

}  // namespace markomi
