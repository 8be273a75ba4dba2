#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "emf_builder.h"
#include "output/vector/vector_writers.h"
#include "tests/support/emf_reader.h"

namespace markomi {
namespace {

using testing::EmfBuilder;

// The builder's metafile, ended, read back as paths.
VectorDrawing translated(EmfBuilder& e) {
    e.eof();
    return translate_emf(e.bytes().data(), e.bytes().size());
}

constexpr std::uint32_t kCreatePen = 38, kCreateBrush = 39, kSelect = 37, kBegin = 59,
                        kEnd = 60, kClose = 61, kFill = 62, kStroke = 64, kLineTo16 = 89,
                        kBezierTo16 = 88, kSaveDc = 33, kRestoreDc = 34, kSetXform = 35,
                        kModifyXform = 36, kExtCreatePen = 95;
constexpr std::uint32_t kRed = 0x000000E6;  // COLORREF 0x00BBGGRR of #e60000

TEST(VectorPaths, StrokedLineKeepsPenColourAndWidth) {
    EmfBuilder e;
    e.record(kCreatePen, {1, 0, 3, 0, kRed}).record(kSelect, {1});
    e.record(kBegin).move(10, 20).poly16(kLineTo16, {30, 20, 30, 40}).record(kEnd);
    e.record(kStroke, {0, 0, 0, 0});
    const VectorDrawing d = translated(e);
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(d.paths.size(), 1u);
    const VectorPath& p = d.paths[0];
    EXPECT_TRUE(p.stroke);
    EXPECT_FALSE(p.fill);
    EXPECT_EQ(p.stroke_color.r, 0xE6);
    EXPECT_EQ(p.stroke_color.g, 0);
    EXPECT_DOUBLE_EQ(p.stroke_width, 3);
    EXPECT_EQ(p.cap, VectorCap::kRound);  // a cosmetic pen's ends
    ASSERT_EQ(p.segments.size(), 3u);
    EXPECT_EQ(p.segments[0].kind, VectorSegment::kMove);
    EXPECT_EQ(p.segments[2].kind, VectorSegment::kLine);
    EXPECT_DOUBLE_EQ(p.segments[2].p[0].y, 40);
    // The picture frame in the reference device's units.
    EXPECT_DOUBLE_EQ(d.view_width, 200);
    EXPECT_DOUBLE_EQ(d.view_height, 100);
    // A metafile from elsewhere may span the whole 32-bit range.
    std::vector<std::uint8_t> wide = e.bytes();
    const std::int32_t left = INT32_MIN;
    std::memcpy(&wide[24], &left, sizeof left);  // rclFrame.left
    EXPECT_DOUBLE_EQ(translate_emf(wide.data(), wide.size()).view_width, (2000.0 + 2147483648.0) / 10);
}

TEST(VectorPaths, LinesAndShapesOutsideAPathAreDrawnAtOnce) {
    EmfBuilder e;
    e.record(kCreatePen, {1, 0, 2, 0, kRed}).record(kSelect, {1});
    e.record(kCreateBrush, {2, 0, 0x00336699, 0}).record(kSelect, {2});
    // The pen alone draws lines from the current position, which moves on.
    e.move(5, 5).poly16(kLineTo16, {9, 5}).poly16(kBezierTo16, {9, 6, 9, 7, 9, 8});
    e.poly16(86, {0, 0, 4, 0, 4, 4});  // POLYGON16: brush inside, pen around
    const VectorDrawing d = translated(e);
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(d.paths.size(), 3u);
    EXPECT_TRUE(d.paths[0].stroke);
    EXPECT_FALSE(d.paths[0].fill);
    EXPECT_DOUBLE_EQ(d.paths[0].segments[0].p[0].x, 5);
    EXPECT_DOUBLE_EQ(d.paths[1].segments[0].p[0].x, 9);  // from where the line ended
    EXPECT_EQ(d.paths[1].segments[1].kind, VectorSegment::kCubic);
    EXPECT_TRUE(d.paths[2].fill && d.paths[2].stroke);
    EXPECT_EQ(d.paths[2].segments.back().kind, VectorSegment::kClose);
}

TEST(VectorPaths, FilledCurveIsClosedWithTheBrushAndFillMode) {
    EmfBuilder e;
    e.record(kCreateBrush, {2, 0, 0x00336699, 0}).record(kSelect, {2});
    e.record(19, {2});  // SETPOLYFILLMODE WINDING
    e.record(kBegin).move(0, 0).poly16(kBezierTo16, {10, 0, 20, 10, 20, 20}).record(kClose).record(kEnd);
    e.record(kFill, {0, 0, 0, 0});
    const VectorDrawing d = translated(e);
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(d.paths.size(), 1u);
    const VectorPath& p = d.paths[0];
    EXPECT_TRUE(p.fill);
    EXPECT_FALSE(p.even_odd);
    EXPECT_EQ(p.fill_color.r, 0x99);
    EXPECT_EQ(p.fill_color.g, 0x66);
    EXPECT_EQ(p.fill_color.b, 0x33);
    ASSERT_EQ(p.segments.size(), 3u);
    EXPECT_EQ(p.segments[1].kind, VectorSegment::kCubic);
    EXPECT_DOUBLE_EQ(p.segments[1].p[2].x, 20);
    EXPECT_EQ(p.segments[2].kind, VectorSegment::kClose);
}

TEST(VectorPaths, WorldTransformMovesPointsAndScalesGeometricPens) {
    EmfBuilder e;
    // A geometric pen 2 units wide, flat ends and mitred corners,, drawn at scale 3 and moved by (5, 7)
    // through SET then a right multiply by the translation.
    e.record(kExtCreatePen, {1, 0, 0, 0, 0, 0x12200, 2, 0, kRed, 0, 0}).record(kSelect, {1});
    e.xform(kSetXform, {3, 0, 0, 3, 0, 0});
    e.xform(kModifyXform, {1, 0, 0, 1, 5, 7}, 3);
    e.record(kBegin).move(1, 2).poly16(kLineTo16, {4, 2}).record(kEnd).record(kStroke, {0, 0, 0, 0});
    // A left multiply applies the new matrix first: (1,1) * 2 then * 3 + (5, 7).
    e.xform(kModifyXform, {2, 0, 0, 2, 0, 0}, 2);
    e.record(kBegin).move(1, 1).record(kEnd).record(kStroke, {0, 0, 0, 0});
    // The page's origins move the device point after the world transform.
    e.record(10, {2, 0}).record(12, {0, 10});  // SETWINDOWORGEX, SETVIEWPORTORGEX
    e.record(kBegin).move(1, 1).record(kEnd).record(kStroke, {0, 0, 0, 0});
    const VectorDrawing d = translated(e);
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(d.paths.size(), 3u);
    EXPECT_DOUBLE_EQ(d.paths[2].segments[0].p[0].x, 9);
    EXPECT_DOUBLE_EQ(d.paths[2].segments[0].p[0].y, 23);
    EXPECT_DOUBLE_EQ(d.paths[0].segments[0].p[0].x, 8);
    EXPECT_DOUBLE_EQ(d.paths[0].segments[0].p[0].y, 13);
    EXPECT_DOUBLE_EQ(d.paths[0].segments[1].p[0].x, 17);
    EXPECT_DOUBLE_EQ(d.paths[0].stroke_width, 6);
    EXPECT_EQ(d.paths[0].cap, VectorCap::kFlat);  // PS_ENDCAP_FLAT | PS_JOIN_MITER
    EXPECT_EQ(d.paths[0].join, VectorJoin::kMiter);
    EXPECT_DOUBLE_EQ(d.paths[1].segments[0].p[0].x, 11);
    EXPECT_DOUBLE_EQ(d.paths[1].stroke_width, 12);
}

TEST(VectorPaths, RestoreDcBringsBackTransformAndBrush) {
    EmfBuilder e;
    e.record(kCreateBrush, {1, 0, kRed, 0}).record(kCreateBrush, {2, 0, 0x00FF0000, 0});
    e.record(kSelect, {1}).record(kSaveDc);
    e.record(kSelect, {2}).xform(kSetXform, {1, 0, 0, 1, 100, 100});
    e.record(kBegin).move(1, 1).poly16(kLineTo16, {2, 2}).record(kEnd).record(kFill, {0, 0, 0, 0});
    e.record(kRestoreDc, {0xFFFFFFFFu});
    e.record(kBegin).move(1, 1).poly16(kLineTo16, {2, 2}).record(kEnd).record(kFill, {0, 0, 0, 0});
    const VectorDrawing d = translated(e);
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(d.paths.size(), 2u);
    EXPECT_EQ(d.paths[0].fill_color.b, 0xFF);
    EXPECT_DOUBLE_EQ(d.paths[0].segments[0].p[0].x, 101);
    EXPECT_EQ(d.paths[1].fill_color.r, 0xE6);
    EXPECT_EQ(d.paths[1].fill_color.b, 0);
    EXPECT_DOUBLE_EQ(d.paths[1].segments[0].p[0].x, 1);
}

TEST(VectorPaths, UnknownPaintingRecordsAndBadRestoresAreRefused) {
    EmfBuilder text;
    text.record(84, {0, 0, 0, 0});  // EXTTEXTOUTW: ink this reader cannot turn into paths
    EXPECT_FALSE(translated(text).ok);
    EmfBuilder restore;
    restore.record(kRestoreDc, {0xFFFFFFFFu});  // nothing saved
    EXPECT_FALSE(translated(restore).ok);
    EmfBuilder clip;  // a clip would take ink away
    clip.record(30, {0, 0, 10, 10});  // INTERSECTCLIPRECT
    EXPECT_FALSE(translated(clip).ok);
    EmfBuilder passed;  // a GDI comment and the removal of every clip change no ink
    passed.record(70, {0}).record(75, {0, 5});
    EXPECT_TRUE(translated(passed).ok);
}

std::uint32_t float_bits(float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, sizeof v);
    return v;
}

// What GDI+ on Windows records for one pen line: the miter limit as a FLOAT,
// ICM switched off, the line scaled by the world transform, all inside
// SAVEDC .. RESTOREDC.
TEST(VectorPaths, WindowsPenLineSequenceIsOneStrokedPath) {
    EmfBuilder e;
    e.record(kSaveDc).record(98, {1});            // SETICMMODE ICM_OFF
    e.record(58, {float_bits(10.0f)});            // SETMITERLIMIT
    e.xform(kModifyXform, {2, 0, 0, 2, 0, 0}, 2);
    e.record(kExtCreatePen, {1, 0, 0, 0, 0, 0x12200, 3, 0, kRed, 0, 0}).record(kSelect, {1});
    e.poly16(87, {1, 2, 5, 2, 5, 6});             // POLYLINE16
    e.record(kRestoreDc, {0xFFFFFFFFu}).record(40, {1});
    const VectorDrawing d = translated(e);
    ASSERT_TRUE(d.ok) << d.error;
    ASSERT_EQ(d.paths.size(), 1u);
    const VectorPath& p = d.paths[0];
    EXPECT_TRUE(p.stroke);
    EXPECT_FALSE(p.fill);
    ASSERT_EQ(p.segments.size(), 3u);
    EXPECT_DOUBLE_EQ(p.segments[0].p[0].x, 2);
    EXPECT_DOUBLE_EQ(p.segments[1].p[0].x, 10);
    EXPECT_DOUBLE_EQ(p.segments[2].p[0].y, 12);
    EXPECT_DOUBLE_EQ(p.stroke_width, 6);
    EXPECT_EQ(p.cap, VectorCap::kFlat);
    EXPECT_EQ(p.join, VectorJoin::kMiter);
    EXPECT_DOUBLE_EQ(p.miter_limit, 10);
    EXPECT_NE(write_svg(d).find("stroke-miterlimit=\"10\""), std::string::npos);
}

TEST(VectorPaths, MiterLimitIsReadAsIntegerOrFloatWhicheverIsPlausible) {
    struct Case {
        std::uint32_t raw;
        double limit;
    };
    const Case cases[] = {
        {4, 4},                       // the documented integer
        {float_bits(2.5f), 2.5},      // what Windows writes
        {0, 1},                       // no limit below 1
        {0x7FC00000u, 10},            // a NaN leaves GDI's default
    };
    for (const Case& c : cases) {
        EmfBuilder e;
        e.record(58, {c.raw});
        e.record(kExtCreatePen, {1, 0, 0, 0, 0, 0x12000, 2, 0, kRed, 0, 0}).record(kSelect, {1});
        e.record(kBegin).move(0, 0).poly16(kLineTo16, {9, 0, 9, 9}).record(kEnd);
        e.record(kStroke, {0, 0, 0, 0});
        const VectorDrawing d = translated(e);
        ASSERT_TRUE(d.ok) << d.error;
        ASSERT_EQ(d.paths.size(), 1u);
        EXPECT_DOUBLE_EQ(d.paths[0].miter_limit, c.limit) << c.raw;
    }
}

// Objects this reader cannot draw with are refused when they paint, not
// when they are made or selected for something else.
TEST(VectorPaths, ObjectsThatDrawNothingHereAreNotRefused) {
    EmfBuilder e;
    e.record(82, {3, 0, 0}).record(kSelect, {3});  // EXTCREATEFONTINDIRECTW, selected
    e.record(kCreateBrush, {2, 2, kRed, 0});       // a hatched brush, never used
    e.record(kCreateBrush, {1, 0, kRed, 0}).record(kSelect, {1});
    e.record(kBegin).move(0, 0).poly16(kLineTo16, {9, 0, 9, 9}).record(kEnd).record(kFill, {0, 0, 0, 0});
    const VectorDrawing d = translated(e);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.paths.size(), 1u);

    EmfBuilder hatched;
    hatched.record(kCreateBrush, {2, 2, kRed, 0}).record(kSelect, {2});
    hatched.record(kBegin).move(0, 0).poly16(kLineTo16, {9, 0, 9, 9}).record(kEnd);
    hatched.record(kFill, {0, 0, 0, 0});
    EXPECT_FALSE(translated(hatched).ok);
}

VectorDrawing tiny_square() {
    EmfBuilder e;
    e.record(kCreateBrush, {1, 0, kRed, 0}).record(kSelect, {1});
    e.record(kBegin).move(10, 10).poly16(kLineTo16, {50, 10, 50, 50}).record(kClose).record(kEnd);
    e.record(kFill, {0, 0, 0, 0});
    return translated(e);
}

TEST(VectorWriters, SvgIsWellFormedAndSizedInMillimetres) {
    const VectorDrawing d = tiny_square();
    ASSERT_TRUE(d.ok) << d.error;
    const std::string svg = write_svg(d);
    // Tags balance: every element opened is closed, in order.
    std::vector<std::string> open;
    const std::regex tag("<(/?)([a-zA-Z?][^\\s/>]*)[^>]*?(/?)>");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tag); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[2];
        if (name[0] == '?') continue;
        if ((*it)[1] == "/") {
            ASSERT_FALSE(open.empty());
            EXPECT_EQ(open.back(), name);
            open.pop_back();
        } else if ((*it)[3] != "/") {
            open.push_back(name);
        }
    }
    EXPECT_TRUE(open.empty());
    EXPECT_NE(svg.find("xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_NE(svg.find("width=\"20mm\" height=\"10mm\" viewBox=\"0 0 200 100\""), std::string::npos);
    EXPECT_NE(svg.find("d=\"M10 10 L50 10 L50 50 Z\" fill=\"#e60000\" fill-rule=\"evenodd\""),
              std::string::npos);
    EXPECT_EQ(svg.find("<rect"), std::string::npos);  // nothing behind the ink
}

TEST(VectorWriters, PdfCrossReferencePointsAtEveryObject) {
    const VectorDrawing d = tiny_square();
    ASSERT_TRUE(d.ok) << d.error;
    const std::string pdf = write_pdf(d);
    ASSERT_EQ(pdf.rfind("%PDF-1.4\n", 0), 0u);
    const std::size_t startxref = pdf.rfind("startxref\n");
    ASSERT_NE(startxref, std::string::npos);
    const std::size_t xref = std::stoul(pdf.substr(startxref + 10));
    ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);
    std::size_t at = pdf.find('\n', pdf.find('\n', xref) + 1) + 1;  // past "0 5"
    at += 20;                                                       // past the free entry
    for (int object = 1; object <= 4; ++object, at += 20) {
        const std::size_t offset = std::stoul(pdf.substr(at, 10));
        EXPECT_EQ(pdf.compare(at + 10, 10, " 00000 n \n"), 0);
        const std::string head = std::to_string(object) + " 0 obj";
        EXPECT_EQ(pdf.compare(offset, head.size(), head), 0) << "object " << object;
    }
    EXPECT_EQ(pdf.compare(at, 7, "trailer"), 0);
    // 20 x 10 mm in points; 200 x 100 device units onto it, y upwards.
    EXPECT_NE(pdf.find("/MediaBox [0 0 56.693 28.346]"), std::string::npos);
    EXPECT_NE(pdf.find("0.283465 0 0 -0.283465 0 28.3465 cm"), std::string::npos);
    EXPECT_NE(pdf.find("0.902 0 0 rg\nf*"), std::string::npos);
    const std::size_t length = std::stoul(pdf.substr(pdf.find("/Length ") + 8));
    const std::size_t stream = pdf.find("stream\n") + 7;
    EXPECT_EQ(pdf.compare(stream + length, 9, "endstream"), 0);
}

TEST(VectorWriters, NumbersArePlainDecimals) {
    EXPECT_EQ(vector_number(1.5), "1.5");
    EXPECT_EQ(vector_number(-0.0004), "0");
    EXPECT_EQ(vector_number(-2.0625, 3), "-2.063");
    EXPECT_EQ(vector_number(12345678.25), "12345678.25");
    EXPECT_EQ(vector_number(0.05), "0.05");
    // Numbers from a stranger's file: too large for a count of their last
    // place, or no numbers at all, still come out as plain decimals.
    EXPECT_EQ(vector_number(1e13, 6), "10000000000000");
    EXPECT_EQ(vector_number(-9.3e18, 6), "-9300000000000000000");
    EXPECT_EQ(vector_number(123456789.125, 9), "123456789.125");
    const std::string huge = vector_number(1e300, 6);
    EXPECT_EQ(huge.size(), 301u);
    EXPECT_EQ(huge.find_first_not_of("0123456789"), std::string::npos) << huge;
    EXPECT_EQ(vector_number(std::numeric_limits<double>::infinity()), "0");
    EXPECT_EQ(vector_number(std::numeric_limits<double>::quiet_NaN(), 6), "0");
}

}  // namespace
}  // namespace markomi
