#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "emf_builder.h"
#include "output/emf/emf_records.h"
#include "output/emf/emf_rewrite.h"

namespace markomi {
namespace {

constexpr std::uint8_t kMove = 6;
constexpr std::uint8_t kLine = 2;
constexpr std::uint8_t kCurve = 4;
constexpr std::uint8_t kClose = 1;
constexpr std::uint32_t kEmrGdiComment = 70;

std::uint32_t u32_at(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::int32_t i16_at(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int16_t>(b[at] | (b[at + 1] << 8));
}

using Emf = testing::EmfBuilder;

// The records after the header, one word each, with their points:
// "MOVE 1,2 | LINE16 3,4 5,6 | CLOSE". Also checks what every poly record
// must hold: the bounds of the POLYDRAW it came from and a size that fits
// its points. The first record of a wrong size fails the test and ends the
// walk, so a broken chain is never read past.
std::string describe(const std::vector<std::uint8_t>& b) {
    std::string s;
    std::size_t at = u32_at(b, 4);
    while (at < b.size()) {
        if (b.size() - at < 8) {
            ADD_FAILURE() << "record header cut off after: " << s;
            return s + " | CUT";
        }
        const std::uint32_t type = u32_at(b, at);
        const std::uint32_t size = u32_at(b, at + 4);
        if (size < 8 || size % 4 != 0 || size > b.size() - at) {
            ADD_FAILURE() << "record " << type << " of size " << size << " after: " << s;
            return s + " | BAD SIZE";
        }
        if (!s.empty()) s += " | ";
        // False when the record's size does not fit its points.
        auto points = [&](bool narrow) {
            const std::uint64_t n = size >= 28 ? u32_at(b, at + 24) : 0;
            if (size != 28 + n * (narrow ? 4 : 8)) {
                ADD_FAILURE() << "size " << size << " for " << n << " points after: " << s;
                return false;
            }
            EXPECT_EQ(u32_at(b, at + 8), 11u) << s;
            EXPECT_EQ(u32_at(b, at + 20), 14u) << s;
            for (std::uint64_t i = 0; i < n; ++i) {
                const std::size_t p = at + 28 + i * (narrow ? 4 : 8);
                const std::int32_t x =
                    narrow ? i16_at(b, p) : static_cast<std::int32_t>(u32_at(b, p));
                const std::int32_t y =
                    narrow ? i16_at(b, p + 2) : static_cast<std::int32_t>(u32_at(b, p + 4));
                s += " " + std::to_string(x) + "," + std::to_string(y);
            }
            return true;
        };
        bool sound = true;
        switch (type) {
            case kEmrMoveToEx:
                sound = size == 16;
                if (sound)
                    s += "MOVE " + std::to_string(static_cast<std::int32_t>(u32_at(b, at + 8))) +
                         "," + std::to_string(static_cast<std::int32_t>(u32_at(b, at + 12)));
                else
                    ADD_FAILURE() << "MOVETOEX of size " << size << " after: " << s;
                break;
            case kEmrPolyLineTo16:
                s += "LINE16";
                sound = points(true);
                break;
            case kEmrPolyBezierTo16:
                s += "CURVE16";
                sound = points(true);
                break;
            case kEmrPolyLineTo:
                s += "LINE32";
                sound = points(false);
                break;
            case kEmrPolyBezierTo:
                s += "CURVE32";
                sound = points(false);
                break;
            case kEmrCloseFigure:
                s += "CLOSE";
                break;
            case kEmrBeginPath:
                s += "BEGIN";
                break;
            case kEmrEndPath:
                s += "END";
                break;
            case kEmrAbortPath:
                s += "ABORT";
                break;
            case kEmrFillPath:
                s += "FILL";
                break;
            case kEmrEof:
                s += "EOF";
                break;
            default:
                s += "type " + std::to_string(type);
                break;
        }
        if (!sound) return s + " BAD SIZE";
        at += size;
    }
    return s;
}

std::string rewritten(const Emf& emf) {
    const EmfRewrite r = rewrite_polydraw_records(emf.bytes().data(), emf.bytes().size());
    if (!r.ok) return "refused";
    if (!summarize_emf(r.bytes.data(), r.bytes.size()).valid) {
        ADD_FAILURE() << "not a sound metafile";
        return "unsound";
    }
    return describe(r.bytes);
}

TEST(EmfRewrite, FiguresInsideAPathBecomeMovesLinesCurvesAndCloses) {
    Emf emf;
    emf.record(kEmrBeginPath)
        .polydraw({{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}, {11, 12}, {20, 20}, {30, -30}},
                  {kMove, kLine, kLine, kCurve, kCurve, kCurve | kClose, kMove, kLine | kClose})
        .record(kEmrEndPath)
        .record(kEmrFillPath, {0, 0, 0, 0})
        .eof();
    EXPECT_EQ(rewritten(emf),
              "BEGIN | MOVE 1,2 | LINE16 3,4 5,6 | CURVE16 7,8 9,10 11,12 | CLOSE | MOVE 20,20 | "
              "LINE16 30,-30 | CLOSE | END | FILL | EOF");
}

TEST(EmfRewrite, OutsideAPathACloseDrawsTheLineBackToTheFiguresStart) {
    // CLOSEFIGURE does nothing outside a path; PolyDraw's close flag draws.
    Emf lines;
    lines.polydraw({{0, 0}, {10, 0}}, {kMove, kLine})
        .polydraw({{0, 0}, {10, 0}, {10, 10}, {0, 20}}, {kMove, kLine, kLine | kClose, kLine})
        .eof();
    EXPECT_EQ(rewritten(lines),
              "MOVE 0,0 | LINE16 10,0 | MOVE 0,0 | LINE16 10,0 10,10 0,0 0,20 | EOF");

    Emf curve;
    curve.polydraw({{5, 5}, {6, 9}, {8, 9}, {9, 5}}, {kMove, kCurve, kCurve, kCurve | kClose})
        .eof();
    EXPECT_EQ(rewritten(curve), "MOVE 5,5 | CURVE16 6,9 8,9 9,5 | LINE16 5,5 | EOF");

    // Where the path ended or was given up, the figure is outside again.
    for (std::uint32_t leave : {kEmrEndPath, kEmrAbortPath}) {
        Emf after;
        after.record(kEmrBeginPath)
            .polydraw({{0, 0}, {4, 0}}, {kMove, kLine | kClose})
            .record(leave)
            .polydraw({{0, 0}, {4, 0}}, {kMove, kLine | kClose})
            .eof();
        const std::string ended = leave == kEmrEndPath ? "END" : "ABORT";
        EXPECT_EQ(rewritten(after), "BEGIN | MOVE 0,0 | LINE16 4,0 | CLOSE | " + ended +
                                        " | MOVE 0,0 | LINE16 4,0 0,0 | EOF");
    }
}

TEST(EmfRewrite, ThirtyTwoBitPolyDrawKeepsWidePointsWhereNeeded) {
    Emf fits;
    fits.polydraw({{-5, 7}, {32767, -32768}, {1, 1}, {2, 2}, {3, 3}},
                  {kMove, kLine, kCurve, kCurve, kCurve}, true)
        .eof();
    EXPECT_EQ(rewritten(fits), "MOVE -5,7 | LINE16 32767,-32768 | CURVE16 1,1 2,2 3,3 | EOF");

    Emf wide;
    wide.polydraw({{70000, -1}, {0, 40000}, {1, 1}, {2, 2}, {-70000, 3}},
                  {kMove, kLine, kCurve, kCurve, kCurve | kClose}, true)
        .eof();
    EXPECT_EQ(rewritten(wide),
              "MOVE 70000,-1 | LINE32 0,40000 | CURVE32 1,1 2,2 -70000,3 | LINE32 70000,-1 | EOF");
}

TEST(EmfRewrite, OtherRecordsStayByteForByteAndTheHeaderCountsTheResult) {
    Emf emf;
    emf.record(kEmrGdiComment, {8, 0xDEADBEEF, 0x01020304})
        .record(kEmrBeginPath)
        .polydraw({{1, 1}, {2, 2}, {3, 3}}, {kMove, kLine, kLine})  // 2 records from 1
        .record(kEmrEndPath)
        .eof();
    const std::vector<std::uint8_t>& in = emf.bytes();
    const EmfRewrite r = rewrite_polydraw_records(in.data(), in.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.polydraw_records, 1u);
    const EmfSummary s = summarize_emf(r.bytes.data(), r.bytes.size());
    ASSERT_TRUE(s.valid);
    EXPECT_TRUE(s.ends_with_eof);
    EXPECT_EQ(s.record_count, 7u);
    EXPECT_EQ(u32_at(r.bytes, 48), r.bytes.size());  // nBytes
    EXPECT_EQ(u32_at(r.bytes, 52), 7u);              // nRecords
    // Header (but for the two counts), comment and BEGINPATH unchanged.
    const std::size_t before_polydraw = 108 + 20 + 8;
    std::vector<std::uint8_t> expected(in.begin(), in.begin() + before_polydraw);
    std::vector<std::uint8_t> got(r.bytes.begin(), r.bytes.begin() + before_polydraw);
    for (std::size_t i = 48; i < 56; ++i) expected[i] = got[i] = 0;
    EXPECT_EQ(got, expected);
    // ENDPATH and EOF close it unchanged.
    EXPECT_TRUE(std::equal(in.end() - 28, in.end(), r.bytes.end() - 28));

    // Without any POLYDRAW the metafile comes back as it was, counts aside.
    Emf plain;
    plain.record(kEmrGdiComment, {4, 7}).eof();
    const EmfRewrite same = rewrite_polydraw_records(plain.bytes().data(), plain.bytes().size());
    ASSERT_TRUE(same.ok);
    EXPECT_EQ(same.polydraw_records, 0u);
    EXPECT_EQ(u32_at(same.bytes, 52), 3u);
    std::vector<std::uint8_t> counted = plain.bytes();
    for (std::size_t i = 48; i < 56; ++i) counted[i] = same.bytes[i];
    EXPECT_EQ(same.bytes, counted);
}

TEST(EmfRewrite, RefusesWhatItCannotTranslateFaithfully) {
    // Points that run past the record, or a count whose size wraps around.
    Emf too_many;
    too_many.polydraw({{0, 0}, {1, 1}}, {kMove, kLine}, false, 3).eof();
    EXPECT_EQ(rewritten(too_many), "refused");
    Emf huge;
    huge.polydraw({{0, 0}}, {kMove}, true, 0x40000000).eof();
    EXPECT_EQ(rewritten(huge), "refused");

    // Point types PolyDraw itself rejects: unknown, a close on a move,
    // curves not in threes, a close on a curve's control point.
    Emf unknown;
    unknown.polydraw({{0, 0}, {1, 1}}, {kMove, 3 << 1 | 8}).eof();
    EXPECT_EQ(rewritten(unknown), "refused");
    Emf closed_move;
    closed_move.polydraw({{0, 0}}, {kMove | kClose}).eof();
    EXPECT_EQ(rewritten(closed_move), "refused");
    Emf two_curve_points;
    two_curve_points.polydraw({{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {kMove, kCurve, kCurve, kLine})
        .eof();
    EXPECT_EQ(rewritten(two_curve_points), "refused");
    Emf closed_control;
    closed_control
        .polydraw({{0, 0}, {1, 1}, {2, 2}, {3, 3}}, {kMove, kCurve | kClose, kCurve, kCurve})
        .eof();
    EXPECT_EQ(rewritten(closed_control), "refused");

    // Outside a path, closing a figure begun before this record: its start
    // depends on the reader.
    Emf unknown_start;
    unknown_start.record(kEmrMoveToEx, {0, 0}).polydraw({{5, 0}}, {kLine | kClose}).eof();
    EXPECT_EQ(rewritten(unknown_start), "refused");
    // Inside a path the reader's own CLOSEFIGURE knows it.
    Emf in_path;
    in_path.record(kEmrBeginPath).polydraw({{5, 0}}, {kLine | kClose}).record(kEmrEndPath).eof();
    EXPECT_EQ(rewritten(in_path), "BEGIN | LINE16 5,0 | CLOSE | END | EOF");

    // Not a sound metafile at all.
    std::vector<std::uint8_t> cut = Emf().polydraw({{0, 0}}, {kMove}).eof().bytes();
    cut.resize(cut.size() - 4);
    EXPECT_FALSE(rewrite_polydraw_records(cut.data(), cut.size()).ok);
    EXPECT_FALSE(rewrite_polydraw_records(nullptr, 0).ok);
}

}  // namespace
}  // namespace markomi
