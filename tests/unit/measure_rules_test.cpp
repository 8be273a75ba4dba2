#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/measure_rules.h"

namespace markomi {
namespace {

// A white surface on which tests set ink pixels; reads outside it fail.
struct Surface {
    int width, height;
    std::vector<std::uint32_t> pixels;
    Surface(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w * h), kBlankPixel) {}
    void ink(int x, int y) { pixels[static_cast<std::size_t>(y * width + x)] = 0; }
    void ink_box(int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) ink(x, y);
    }
    PixelReader reader() const {
        return [this](int x, int y, std::uint32_t* c) {
            if (x < 0 || y < 0 || x >= width || y >= height) return false;
            *c = pixels[static_cast<std::size_t>(y * width + x)];
            return true;
        };
    }
    PixelBuffer buffer() const { return {pixels.data(), width, height, width}; }
    // The surface packed as a 1-bit DIB: rows padded to 32 bits, the padding
    // set to ink so that reading past the width would show.
    std::vector<std::uint8_t> packed_bits() const {
        const int stride = bit_stride();
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * height), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (pixels[static_cast<std::size_t>(y * width + x)] == kBlankPixel)
                    bits[static_cast<std::size_t>(y * stride + x / 8)] |=
                        static_cast<std::uint8_t>(0x80 >> (x % 8));
        return bits;
    }
    int bit_stride() const { return ((width + 31) / 32) * 4; }
};

// Scans through the reader, the buffer and the packed bits, which must agree.
InkScan scan_both(const Surface& s, int width, int height) {
    InkScan a = scan_ink_margins(s.reader(), width, height);
    InkScan b = scan_ink_margins(s.buffer(), width, height);
    const std::vector<std::uint8_t> packed = s.packed_bits();
    const BitBuffer bits{packed.data(), s.width, s.height, s.bit_stride()};
    InkScan c = scan_ink_margins(bits, width, height);
    EXPECT_EQ(ink_box_of(width, height, a), ink_box_of(width, height, b));
    EXPECT_EQ(ink_box_of(width, height, a), ink_box_of(width, height, c));
    EXPECT_EQ(a.top_read_failed, b.top_read_failed);
    EXPECT_EQ(a.top_read_failed, c.top_read_failed);
    EXPECT_EQ(a.failed_x, c.failed_x);
    EXPECT_EQ(a.failed_y, c.failed_y);
    return a;
}

TEST(MeasureKey, FormatsTextFontAndStyleBytes) {
    FontDescription font;
    font.face_name = u"ＭＳ Ｐゴシック";
    EXPECT_EQ(measure_cache_key(u"技術部", font), u"技術部 ＭＳ Ｐゴシック -13 400 0 0 0 ");
    font.italic = 255;
    font.underline = 1;
    font.weight = 700;
    EXPECT_EQ(measure_cache_key(u"a b", font), u"a b ＭＳ Ｐゴシック -13 700 255 1 0 ");
    FontDescription other = font;  // fields the drawn path ignores
    other.width = 9;
    other.char_set = 0;
    other.quality = 5;
    EXPECT_EQ(measure_cache_key(u"x", font), measure_cache_key(u"x", other));
}

TEST(MeasureFont, StyleWordAndEmSize) {
    auto style = [](int weight, int italic, int underline, int strike) {
        FontDescription f;
        f.weight = weight;
        f.italic = static_cast<std::uint8_t>(italic);
        f.underline = static_cast<std::uint8_t>(underline);
        f.strike_out = static_cast<std::uint8_t>(strike);
        return font_style_of(f);
    };
    EXPECT_EQ(style(400, 0, 0, 0), 0);
    EXPECT_EQ(style(700, 0, 0, 0), 1);
    EXPECT_EQ(style(400, 1, 0, 0), 2);
    EXPECT_EQ(style(700, 255, 0, 0), 3);
    EXPECT_EQ(style(600, 1, 0, 0), 0);
    EXPECT_EQ(style(401, 1, 0, 0), 0);
    EXPECT_EQ(style(700, 0, 1, 0), 5);
    EXPECT_EQ(style(300, 0, 0, 1), 8);
    EXPECT_EQ(style(700, 1, 1, 1), 15);

    // A pixel font's line spacing scaled back gives its height.
    EXPECT_EQ(em_size_of(13.0f * 2320.0f / 2048.0f, 2048, 2320), 13.0f);
    // Single precision, multiplication first: double would give 12.9970036.
    EXPECT_EQ(em_size_of(13.01f, 1000, 1001), 0x1.9fe772p+3f);
    EXPECT_EQ(em_size_of(15.5f, 2048, 0), 15.5f);
}

TEST(MeasureBox, TruncatesInSinglePrecisionAndWidens) {
    EXPECT_EQ(typographic_extent(1.0f, 0.99999994f), 1);  // 0 in double precision
    EXPECT_EQ(typographic_extent(1.0f, 57.75f), 57);
    EXPECT_EQ(widened_width(20, 1), 30);  // one character: half its width
    EXPECT_EQ(widened_width(21, 1), 31);
    EXPECT_EQ(widened_width(40, 3), 46);  // (40 / 3) / 2 = 6
    EXPECT_EQ(widened_width(5, 6), 5);
    EXPECT_EQ(widened_width(17, 0), 17);
}

TEST(InkScan, MeasuresTheDistanceBetweenOutermostInkRowsAndColumns) {
    Surface s(40, 30);
    s.ink_box(6, 4, 10, 8);  // scan columns 5..9, rows 3..7
    InkScan scan = scan_both(s, 20, 12);
    EXPECT_EQ(ink_box_of(20, 12, scan), (MeasuredSize{4, 4, 3, 5, 11, 5}));
    EXPECT_FALSE(scan.top_read_failed);

    // Columns are tested on rows top .. height − bottom − 1: the last ink row
    // does not widen the box, the first one does.
    s.ink(15, 8);
    EXPECT_EQ(ink_box_of(20, 12, scan_both(s, 20, 12)), (MeasuredSize{4, 4, 3, 5, 11, 5}));
    s.ink(15, 4);
    EXPECT_EQ(ink_box_of(20, 12, scan_both(s, 20, 12)), (MeasuredSize{9, 4, 3, 5, 6, 5}));
}

TEST(InkScan, BottomAndRightScansStartOneBeyondTheBox) {
    Surface s(40, 30);
    s.ink_box(6, 4, 10, 8);
    s.ink(15, 13);  // scan row 12 = height: only the bottom scan sees it
    EXPECT_EQ(ink_box_of(20, 12, scan_both(s, 20, 12)), (MeasuredSize{4, 9, 3, 0, 11, 5}));
    Surface t(40, 30);
    t.ink_box(6, 4, 10, 8);
    t.ink(21, 5);  // scan column 20 = width: only the right scan sees it
    EXPECT_EQ(ink_box_of(20, 12, scan_both(t, 20, 12)), (MeasuredSize{15, 4, 3, 5, 0, 5}));
}

TEST(InkScan, FailedReadsCountAsInk) {
    // Text wider than the surface: the top scan runs off the right edge.
    Surface narrow(25, 20);
    narrow.ink_box(6, 4, 10, 8);
    InkScan scan = scan_both(narrow, 40, 12);
    EXPECT_EQ(ink_box_of(40, 12, scan), (MeasuredSize{35, 12, 0, 0, 0, 5}));
    EXPECT_TRUE(scan.top_read_failed);
    EXPECT_EQ(scan.failed_x, 25);
    EXPECT_EQ(scan.failed_y, 1);

    // Only the bottom scan leaves the surface: no top-scan failure to log.
    Surface shallow(40, 13);
    shallow.ink_box(6, 4, 10, 8);
    scan = scan_both(shallow, 20, 12);
    EXPECT_EQ(ink_box_of(20, 12, scan), (MeasuredSize{4, 9, 3, 0, 11, 5}));
    EXPECT_FALSE(scan.top_read_failed);

    // A read that fails inside the surface is ink too.
    Surface blankish(40, 30);
    PixelReader base = blankish.reader();
    PixelReader flaky = [&](int x, int y, std::uint32_t* c) { return !(x == 8 && y == 3) && base(x, y, c); };
    scan = scan_ink_margins(flaky, 20, 12);
    EXPECT_EQ(ink_box_of(20, 12, scan), (MeasuredSize{0, 0, 2, 10, 13, 7}));
    EXPECT_TRUE(scan.top_read_failed);
}

TEST(InkScan, BlankAndSingleRowInkNeverGiveANegativeBox) {
    Surface s(40, 30);
    InkScan scan = scan_both(s, 20, 12);
    EXPECT_FALSE(scan.ink_found);
    EXPECT_EQ(ink_box_of(20, 12, scan), MeasuredSize{});

    s.ink_box(4, 6, 15, 6);  // a one-pixel dash: scan columns 3..14, row 5
    EXPECT_EQ(ink_box_of(20, 12, scan_both(s, 20, 12)), (MeasuredSize{11, 0, 5, 7, 6, 3}));
}

TEST(InkScan, BufferHonoursStrideAndIgnoresTheTopByte) {
    // 3 pixels of padding per row; white with a set top byte is still blank.
    std::vector<std::uint32_t> px(static_cast<std::size_t>(23 * 16), 0xFFFFFFFFu);
    for (int y = 4; y <= 8; ++y)
        for (int x = 6; x <= 10; ++x) px[static_cast<std::size_t>(y * 23 + x)] = 0xFF000000u;
    for (int y = 0; y < 16; ++y) px[static_cast<std::size_t>(y * 23 + 21)] = 0;  // padding, never read
    PixelBuffer buffer{px.data(), 20, 16, 23};
    EXPECT_EQ(ink_box_of(18, 12, scan_ink_margins(buffer, 18, 12)), (MeasuredSize{4, 4, 3, 5, 9, 5}));
}

TEST(MeasureInk, WidensTheBoxBeforeScanningAndChecksFaces) {
    Surface s(60, 40);
    s.ink_box(3, 2, 28, 14);  // a glyph overhanging its 20-pixel box
    InkMeasurement m = measure_ink_box(1.0f, 1.0f, 20.5f, 16.25f, 1, s.reader());
    EXPECT_EQ(m.size, (MeasuredSize{25, 12, 1, 3, 3, 2}));  // scanned 30 × 16, not 20 × 16

    Surface mark(30, 30);
    mark.ink(6, 7);  // centre of (1, 1, 12, 13): (trunc(6.5), trunc(7))
    EXPECT_TRUE(face_draws_check_mark(1.0f, 1.0f, 12.0f, 13.0f, mark.reader()));
    EXPECT_FALSE(face_draws_check_mark(1.0f, 1.0f, 14.0f, 13.0f, mark.reader()));
    EXPECT_FALSE(face_draws_check_mark(40.0f, 1.0f, 12.0f, 13.0f, mark.reader()));
}

TEST(MeasureThroughCache, MeasuresEachTextAndFontOnce) {
    MeasureCache cache;
    int measured = 0;
    LineInkMeasure measure = [&](const FontDescription& f, std::u16string_view text) {
        ++measured;
        return MeasuredSize{static_cast<std::int32_t>(text.size()) * 10, -f.height, 1, 2, 3, 4};
    };
    FontDescription font;
    LineRecord line;
    line.x = 50;
    line.y = 60;
    line.width = 99;
    measure_line_through_cache(cache, font, line, measure);  // empty: zeroed, not cached
    EXPECT_EQ(measured_size_of(line), MeasuredSize{});
    EXPECT_EQ(cache.accesses(), 0);

    line.text = u"印田";
    measure_line_through_cache(cache, font, line, measure);
    FontDescription same = font;
    same.char_set = 0;
    same.quality = 4;
    same.width = 7;
    LineRecord other_row;
    other_row.text = u"印田";
    measure_line_through_cache(cache, same, other_row, measure);
    EXPECT_EQ(measured, 1);
    EXPECT_EQ(measured_size_of(other_row), (MeasuredSize{20, 13, 1, 2, 3, 4}));
    EXPECT_EQ(line.x + line.y, 110);
    EXPECT_EQ(cache.accesses(), 2);
    EXPECT_EQ(cache.registrations(), 1);
    EXPECT_EQ(cache.hits(), 1);

    FontDescription other_face = font;
    other_face.face_name = u"ＭＳ 明朝";
    measure_line_through_cache(cache, other_face, line, measure);
    FontDescription other_height = font;
    other_height.height = -14;
    measure_line_through_cache(cache, other_height, line, measure);
    EXPECT_EQ(measured, 3);
    EXPECT_EQ(line.height, 14);
}

}  // namespace
}  // namespace markomi
