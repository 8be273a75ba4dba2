#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include "base/little_endian.h"
#include "output/emf/emf_record_order.h"
#include "output/emf/emf_records.h"
#include "output/emf/emf_writer.h"
#include "tests/support/emf_reader.h"

namespace markomi {
namespace {

// A 200 x 100 pixel picture on a reference device of 10 pixels per
// millimetre, one device unit per pixel.
constexpr EmfRect kFrame{0, 0, 2000, 1000};
constexpr EmfDevice kDevice{1000, 500, 100000, 50000, 1};

VectorSegment seg(VectorSegment::Kind kind, std::vector<VectorPoint> pts = {}) {
    VectorSegment s;
    s.kind = kind;
    for (std::size_t i = 0; i < pts.size(); ++i) s.p[i] = pts[i];
    return s;
}
VectorSegment move(double x, double y) { return seg(VectorSegment::kMove, {{x, y}}); }
VectorSegment line(double x, double y) { return seg(VectorSegment::kLine, {{x, y}}); }
VectorSegment cubic(VectorPoint a, VectorPoint b, VectorPoint c) {
    return seg(VectorSegment::kCubic, {a, b, c});
}
VectorSegment close() { return seg(VectorSegment::kClose); }

VectorPath fill(std::vector<VectorSegment> segments, VectorRgb colour, bool even_odd) {
    VectorPath p;
    p.segments = std::move(segments);
    p.fill = true;
    p.fill_color = colour;
    p.even_odd = even_odd;
    return p;
}
VectorPath stroke(std::vector<VectorSegment> segments, VectorRgb colour, double width,
                  VectorCap cap, VectorJoin join) {
    VectorPath p;
    p.segments = std::move(segments);
    p.stroke = true;
    p.stroke_color = colour;
    p.stroke_width = width;
    p.cap = cap;
    p.join = join;
    return p;
}

std::vector<std::uint32_t> record_types(const std::vector<std::uint8_t>& emf) {
    std::vector<std::uint32_t> types;
    for (std::size_t at = 0; at + 8 <= emf.size(); at += read_u32(&emf[at + 4]))
        types.push_back(read_u32(&emf[at]));
    return types;
}

std::int32_t i32_at(const std::vector<std::uint8_t>& emf, std::size_t at) {
    return static_cast<std::int32_t>(read_u32(&emf[at]));
}

void expect_rect_at(const std::vector<std::uint8_t>& emf, std::size_t at, const EmfRect& r) {
    EXPECT_EQ(i32_at(emf, at), r.left);
    EXPECT_EQ(i32_at(emf, at + 4), r.top);
    EXPECT_EQ(i32_at(emf, at + 8), r.right);
    EXPECT_EQ(i32_at(emf, at + 12), r.bottom);
}

// Read back: same paths, segment kinds, points within the rounding.
void expect_same_paths(const std::vector<VectorPath>& want, const std::vector<VectorPath>& got) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("path " + std::to_string(i));
        const VectorPath &w = want[i], &g = got[i];
        EXPECT_EQ(g.fill, w.fill);
        EXPECT_EQ(g.stroke, w.stroke);
        if (w.fill) {
            EXPECT_EQ(g.even_odd, w.even_odd);
            EXPECT_EQ(g.fill_color.r, w.fill_color.r);
            EXPECT_EQ(g.fill_color.g, w.fill_color.g);
            EXPECT_EQ(g.fill_color.b, w.fill_color.b);
        }
        if (w.stroke) {
            EXPECT_EQ(g.stroke_color.r, w.stroke_color.r);
            EXPECT_EQ(g.stroke_color.b, w.stroke_color.b);
            EXPECT_DOUBLE_EQ(g.stroke_width, std::max(1.0, std::round(w.stroke_width)));
            EXPECT_EQ(g.cap, w.cap);
            EXPECT_EQ(g.join, w.join);
            EXPECT_DOUBLE_EQ(g.miter_limit, 10);
        }
        ASSERT_EQ(g.segments.size(), w.segments.size());
        for (std::size_t k = 0; k < w.segments.size(); ++k) {
            EXPECT_EQ(g.segments[k].kind, w.segments[k].kind) << "segment " << k;
            const int points = w.segments[k].kind == VectorSegment::kCubic  ? 3
                               : w.segments[k].kind == VectorSegment::kClose ? 0
                                                                             : 1;
            for (int j = 0; j < points; ++j) {
                EXPECT_NEAR(g.segments[k].p[j].x, w.segments[k].p[j].x, 0.5) << "segment " << k;
                EXPECT_NEAR(g.segments[k].p[j].y, w.segments[k].p[j].y, 0.5) << "segment " << k;
            }
        }
    }
}

TEST(EmfWriter, RoundTripKeepsEveryPathAndWritesOnlyRecordsEveryReaderDraws) {
    VectorDrawing d;
    d.frame = kFrame;
    // Filled and stroked, the first fill winding: GDI starts at ALTERNATE,
    // so the mode is written; brush and pen are alive together in two slots.
    VectorPath both = fill({move(80, 20), line(90, 20), line(85, 30), close()}, {7, 8, 9}, false);
    both.stroke = true;
    both.stroke_color = {40, 50, 60};
    both.stroke_width = 2;
    d.paths.push_back(both);
    // Text-like: an outline with a hole, curves in both figures.
    d.paths.push_back(fill({move(10.4, 10), cubic({30, 0}, {50, 0}, {69.6, 10}), line(70, 60),
                            line(10, 60), close(), move(25, 25), line(55, 25),
                            cubic({55, 35}, {45, 45.2}, {40, 45}), close()},
                           {230, 0, 0}, true));
    d.paths.push_back(fill({move(100, 10), line(150, 10), line(125, 50), close()}, {0, 102, 51},
                           false));
    d.paths.push_back(stroke({move(5, 80), line(60, 80), line(60, 95)}, {0, 0, 255}, 3.4,
                             VectorCap::kFlat, VectorJoin::kMiter));
    // Back to even-odd after a winding fill; a hairline pen is still 1 wide.
    d.paths.push_back(fill({move(160, 60), line(190, 60), line(190, 90), close()}, {9, 9, 9}, true));
    d.paths.push_back(stroke({move(120, 70), line(150, 90)}, {0, 0, 0}, 0.3, VectorCap::kSquare,
                             VectorJoin::kBevel));

    const std::vector<std::uint8_t> emf = write_emf(d, kDevice);
    const EmfSummary s = summarize_emf(emf.data(), emf.size());
    ASSERT_TRUE(s.valid);
    EXPECT_TRUE(s.ends_with_eof);
    EXPECT_GT(s.painting_records, 0u);
    EXPECT_EQ(s.frame.right, 2000);
    EXPECT_EQ(s.frame.bottom, 1000);
    EXPECT_EQ(read_u32(&emf[4]), 108u);
    EXPECT_EQ(read_u32(&emf[44]), 0x10000u);
    EXPECT_EQ(read_u32(&emf[48]), emf.size());
    EXPECT_EQ(read_u32(&emf[52]), s.record_count);
    EXPECT_EQ(emf[56] | (emf[57] << 8), 3);        // nHandles: the reserved 0, a brush and a pen
    EXPECT_EQ(i32_at(emf, 80), 100);               // szlMillimeters
    EXPECT_EQ(i32_at(emf, 104), 50000);            // szlMicrometers.cy
    // Zero: sReserved, the description, the palette, the pixel format and OpenGL.
    for (std::size_t at = 58; at < 100; at = at == 71 ? 88 : at + 1) EXPECT_EQ(emf[at], 0) << at;
    // EOF: no palette entries, their offset past its fixed fields, its own size last.
    EXPECT_EQ(read_u32(&emf[emf.size() - 12]), 0u);
    EXPECT_EQ(read_u32(&emf[emf.size() - 8]), 16u);
    EXPECT_EQ(read_u32(&emf[emf.size() - 4]), 20u);
    // rclBounds: the curve's top (2.5), not its control points' (0); the
    // 3-wide stroke's left edge at 3.5; the right edge of the fill at 190.
    EXPECT_EQ(i32_at(emf, 8), 3);
    EXPECT_EQ(i32_at(emf, 12), 2);
    EXPECT_EQ(i32_at(emf, 16), 189);
    EXPECT_EQ(i32_at(emf, 20), 96);

    const std::set<std::uint32_t> allowed = {
        kEmrHeader,       kEmrEof,           kEmrSetPolyFillMode, kEmrCreateBrushIndirect,
        kEmrExtCreatePen, kEmrSelectObject,  kEmrDeleteObject,    kEmrBeginPath,
        kEmrMoveToEx,     kEmrPolyLineTo16,  kEmrPolyBezierTo16,  kEmrCloseFigure,
        kEmrEndPath,      kEmrFillPath,      kEmrStrokePath,      kEmrStrokeAndFillPath};
    for (std::uint32_t type : record_types(emf)) EXPECT_EQ(allowed.count(type), 1u) << type;
    // The values as written, which a lenient reader would not tell apart:
    // WINDING 2 and ALTERNATE 1; geometric pens with square (0x100) or flat
    // (0x200) caps, bevel (0x1000) or miter (0x2000) joins; no bitmap, hatch
    // or style entries in pens, no hatch in brushes; brush in slot 1, pen in
    // 2 beside a brush, the stock WHITE_BRUSH (0) and BLACK_PEN (7) back.
    std::vector<std::uint32_t> modes, styles, selected;
    for (std::size_t at = 0; at + 8 <= emf.size(); at += read_u32(&emf[at + 4])) {
        const std::uint32_t type = read_u32(&emf[at]);
        if (type == kEmrSetPolyFillMode) modes.push_back(read_u32(&emf[at + 8]));
        if (type == kEmrSelectObject) selected.push_back(read_u32(&emf[at + 8]));
        if (type == kEmrCreateBrushIndirect) {
            EXPECT_EQ(read_u32(&emf[at + 20]), 0u);
        }
        if (type != kEmrExtCreatePen) continue;
        styles.push_back(read_u32(&emf[at + 28]));
        for (std::size_t field : {12, 16, 20, 24, 44, 48})
            EXPECT_EQ(read_u32(&emf[at + field]), 0u) << field;
    }
    EXPECT_EQ(modes, (std::vector<std::uint32_t>{2, 1, 2, 1}));
    EXPECT_EQ(styles, (std::vector<std::uint32_t>{0x10000, 0x12200, 0x11100}));
    constexpr std::uint32_t kWhite = 0x80000000u, kBlack = 0x80000007u;
    EXPECT_EQ(selected, (std::vector<std::uint32_t>{1, 2, kWhite, kBlack, 1, kWhite, 1, kWhite, 1,
                                                    kBlack, 1, kWhite, 1, kBlack}));
    EXPECT_TRUE(emf_record_order_faults(emf.data(), emf.size()).empty());

    const VectorDrawing back = translate_emf(emf.data(), emf.size());
    ASSERT_TRUE(back.ok) << back.error;
    expect_same_paths(d.paths, back.paths);
}

TEST(EmfWriter, PointsBeyond16BitsTakeTheWideRecordsAndBoundsStayInTheFrame) {
    VectorDrawing d;
    d.frame = kFrame;
    d.paths.push_back(fill({move(5, 5), line(20, 5), line(20, 20), close(), move(10, 30),
                            line(40000, 30), cubic({40000, 50}, {-33000, 60}, {10, 70}), close()},
                           {1, 2, 3}, true));
    const std::vector<std::uint8_t> emf = write_emf(d, kDevice);
    const std::vector<std::uint32_t> types = record_types(emf);
    // The first figure's lines fit; the far ones do not.
    EXPECT_EQ(std::count(types.begin(), types.end(), kEmrPolyLineTo16), 1);
    EXPECT_EQ(std::count(types.begin(), types.end(), kEmrPolyLineTo), 1);
    EXPECT_EQ(std::count(types.begin(), types.end(), kEmrPolyBezierTo), 1);
    EXPECT_EQ(std::count(types.begin(), types.end(), kEmrPolyBezierTo16), 0);
    // Ink far beyond the frame is clamped to the frame's pixels.
    EXPECT_EQ(i32_at(emf, 8), 0);
    EXPECT_EQ(i32_at(emf, 16), 199);
    EXPECT_EQ(i32_at(emf, 20), 69);
    const VectorDrawing back = translate_emf(emf.data(), emf.size());
    ASSERT_TRUE(back.ok) << back.error;
    expect_same_paths(d.paths, back.paths);

    // No ink: the bounds are the frame, each side at its own axis's
    // resolution (the second device is twice as fine down as across, the
    // third one pixel and one micrometre each way; the next two round 1.5
    // and 2.499 mm each way, the first with more pixels across than down and
    // a frame off the origin).
    // Filled ink: its own pixels on either side of the diagonal, and a
    // curve's extremes rather than its control points'; ink wholly beyond
    // the frame, or a path neither filled nor stroked, gives the frame.
    struct Blank {
        EmfRect frame;
        EmfDevice device;
        EmfRect bounds;
        std::vector<VectorSegment> ink = {};
        int handles = 1;  // the reserved 0, and a brush for filled ink
        EmfRect painted = bounds;  // FILLPATH's own, the empty box for a path that draws nothing
        bool unpainted = false;
        std::int32_t millimetres_x = -1, millimetres_y = -1;  // szlMillimeters, when given
    } blanks[] = {
        {kFrame, kDevice, {0, 0, 199, 99}},
        {{100, 300, 2000, 1000}, {1000, 1000, 100000, 50000, 1}, {10, 60, 199, 199}},
        {kFrame, {1, 1, 1, 1, 1}, {0, 0, 19999, 9999}},
        {kFrame, {0, 500, 100000, 50000, 1}, {0, 0, -1, -1}},  // no size: GDI's empty bounds
        {{300, 200, 2000, 1000}, {3, 2, 1500, 2499, 1}, {6, 1, 39, 8}, {}, 1, {}, false, 2, 2},
        {kFrame, {2, 2, 2499, 1500, 1}, {0, 0, 16, 13}, {}, 1, {}, false, 2, 2},
        {kFrame, kDevice, {0, 0, 199, 99}, {move(10, 50), line(12, 50), line(12, 90), close()}, 1,
         {}, true},
        {kFrame, kDevice, {10, 50, 11, 89},
         {move(10, 50), line(12, 50), line(12, 90), line(10, 90), close()}, 2},
        {kFrame, kDevice, {150, 5, 189, 7},
         {move(150, 5), line(190, 5), line(190, 8), line(150, 8), close()}, 2},
        {kFrame, kDevice, {0, 0, 199, 99}, {move(300, 5), line(320, 5), line(320, 8), close()}, 2,
         {300, 5, 319, 7}},
        {kFrame, kDevice, {0, 0, 199, 99}, {move(10, 50), close()}, 2, {0, 0, -1, -1}},
        // Extremes at x 49.7, y 14.3, x 100.8 and y 72.6, all inside the curves.
        {kFrame, kDevice, {49, 14, 100, 72},
         {move(60, 30), cubic({20, 10}, {110, 5}, {100, 40}), cubic({90, 75}, {40, 95}, {60, 30}),
          close()},
         2},
    };
    for (const Blank& b : blanks) {
        SCOPED_TRACE(&b - blanks);
        VectorDrawing drawing;
        drawing.frame = b.frame;
        if (!b.ink.empty()) drawing.paths.push_back(fill(b.ink, {1, 2, 3}, true));
        if (b.unpainted) drawing.paths.back().fill = false;
        const std::vector<std::uint8_t> blank = write_emf(drawing, b.device);
        EXPECT_TRUE(summarize_emf(blank.data(), blank.size()).ends_with_eof);
        EXPECT_EQ(i32_at(blank, 8), b.bounds.left);
        EXPECT_EQ(i32_at(blank, 12), b.bounds.top);
        EXPECT_EQ(i32_at(blank, 16), b.bounds.right);
        EXPECT_EQ(i32_at(blank, 20), b.bounds.bottom);
        EXPECT_EQ(blank[56] | (blank[57] << 8), b.handles);
        for (std::size_t at = 0; at + 8 <= blank.size(); at += read_u32(&blank[at + 4])) {
            if (read_u32(&blank[at]) == kEmrFillPath) expect_rect_at(blank, at + 8, b.painted);
        }
        if (b.millimetres_x >= 0) {
            EXPECT_EQ(i32_at(blank, 80), b.millimetres_x);
            EXPECT_EQ(i32_at(blank, 84), b.millimetres_y);
        }
        EXPECT_EQ(i32_at(blank, 28), b.frame.top);  // rclFrame as given
    }
}

TEST(EmfWriter, TheDeviceIsFinerByItsStepsForTheSamePhysicalSize) {
    // One filled and stroked triangle whose first line goes to `to`; the
    // header, that line's record and the pen are read back.
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    struct Row {
        const char* what;
        std::int32_t steps, pixels_x;
        VectorPoint to;
        double pen;
        std::int32_t device_x, x, y;  // szlDevice.cx, the point in device units
        std::uint32_t line_record;
        std::uint32_t pen_units;
    };
    const Row rows[] = {
        {"sixteenths kept", 16, 1000, {10.4375, 20.5}, 3.4, 16000, 167, 328, kEmrPolyLineTo16, 54},
        {"nearest sixteenth; a hairline keeps its width", 16, 1000, {0.03, 0.97}, 0.3, 16000, 0, 16,
         kEmrPolyLineTo16, 5},
        {"one step: whole pixels", 1, 1000, {10.4375, 20.5}, 3.4, 1000, 10, 21, kEmrPolyLineTo16, 3},
        {"no steps count as one", 0, 1000, {10.4375, 20.5}, 0.3, 1000, 10, 21, kEmrPolyLineTo16, 1},
        {"2047 pixels still fit 16 bits", 16, 1000, {2047.9, 5}, 1, 16000, 32766, 80,
         kEmrPolyLineTo16, 16},
        {"2048 pixels take the 32-bit record", 16, 1000, {2048, -2048.1}, 1, 16000, 32768, -32770,
         kEmrPolyLineTo, 16},
        {"the 16-bit range's own ends still fit", 16, 1000, {-2048, 2047.9375}, 1, 16000, -32768,
         32767, kEmrPolyLineTo16, 16},
        {"-2048 pixels across alone take the 32-bit record", 16, 1000, {-2048.1, 5}, 1, 16000, -32770,
         80, kEmrPolyLineTo, 16},
        {"-2048 pixels down alone take the 32-bit record", 16, 1000, {5, -2048.1}, 1, 16000, 80,
         -32770, kEmrPolyLineTo, 16},
        {"infinities saturate", 16, 1000, {kInf, -kInf}, kInf, 16000, kMax, kMin, kEmrPolyLineTo,
         1000000000},
        {"not a number is 0, a huge one saturates", 16, 1000, {std::nan(""), 1e300}, std::nan(""),
         16000, 0, kMax, kEmrPolyLineTo, 1},
        {"a device too wide to scale saturates", 16, 1 << 28, {-1e9, 1e9}, 1, kMax, kMin, kMax,
         kEmrPolyLineTo, 16},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const EmfDevice device{row.pixels_x, 500, 100000, 50000, row.steps};
        VectorDrawing d;
        d.frame = kFrame;
        VectorPath p = fill({move(0, 0), line(row.to.x, row.to.y), line(0, 10), close()}, {200, 0, 0}, true);
        p.stroke = true;
        p.stroke_width = row.pen;
        d.paths.push_back(p);
        const std::vector<std::uint8_t> emf = write_emf(d, device);
        ASSERT_TRUE(summarize_emf(emf.data(), emf.size()).valid);

        // szlDevice scaled; szlMillimeters, szlMicrometers and rclFrame as given.
        EXPECT_EQ(i32_at(emf, 72), row.device_x);
        EXPECT_EQ(i32_at(emf, 76), 500 * std::max(row.steps, 1));
        EXPECT_EQ(i32_at(emf, 80), 100);
        EXPECT_EQ(i32_at(emf, 84), 50);
        EXPECT_EQ(i32_at(emf, 100), 100000);
        EXPECT_EQ(i32_at(emf, 104), 50000);
        EXPECT_EQ(i32_at(emf, 24), 0);
        EXPECT_EQ(i32_at(emf, 32), 2000);
        EXPECT_EQ(i32_at(emf, 36), 1000);
        // rclBounds: device units inside the frame's (a fifth of the device).
        const std::int32_t left = i32_at(emf, 8), top = i32_at(emf, 12), right = i32_at(emf, 16),
                           bottom = i32_at(emf, 20);
        EXPECT_GE(left, 0);
        EXPECT_GE(top, 0);
        EXPECT_LE(left, right);
        EXPECT_LE(top, bottom);
        EXPECT_LT(right, row.device_x / 5.0);
        EXPECT_LT(bottom, 500 * std::max(row.steps, 1) / 5.0);
        if (row.steps == 16 && row.x == 167) {
            EXPECT_EQ(right, 167 + 27 - 1);  // half the pen beyond
        }

        std::size_t line_at = 0, pen_at = 0;
        for (std::size_t at = 0; at + 8 <= emf.size(); at += read_u32(&emf[at + 4])) {
            const std::uint32_t type = read_u32(&emf[at]);
            if (!line_at && (type == kEmrPolyLineTo16 || type == kEmrPolyLineTo)) line_at = at;
            if (!pen_at && type == kEmrExtCreatePen) pen_at = at;
        }
        ASSERT_NE(line_at, 0u);
        ASSERT_NE(pen_at, 0u);
        EXPECT_EQ(read_u32(&emf[line_at]), row.line_record);
        // The record's own bounds: where its run starts (the origin) and its points.
        expect_rect_at(emf, line_at + 8,
                       {std::min(0, row.x), std::min(0, row.y), std::max(0, row.x),
                        std::max(10 * std::max(row.steps, 1), row.y)});
        if (row.line_record == kEmrPolyLineTo16) {
            EXPECT_EQ(static_cast<std::int16_t>(emf[line_at + 28] | (emf[line_at + 29] << 8)), row.x);
            EXPECT_EQ(static_cast<std::int16_t>(emf[line_at + 30] | (emf[line_at + 31] << 8)), row.y);
        } else {
            EXPECT_EQ(i32_at(emf, line_at + 28), row.x);
            EXPECT_EQ(i32_at(emf, line_at + 32), row.y);
        }
        EXPECT_EQ(read_u32(&emf[pen_at + 32]), row.pen_units);  // elpWidth
    }
}

}  // namespace
}  // namespace markomi
