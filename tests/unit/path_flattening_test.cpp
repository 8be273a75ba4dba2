#include <gtest/gtest.h>

#include <cmath>

#include "output/vector/path_flattening.h"

namespace markomi {
namespace {

// A circle of radius 100 as four cubics, closed, filled: flattened, every
// point lies on the circle within the tolerance (and the cubics' own
// 0.03 % from a true circle), the figure still starts with its move and
// ends closed, and the colours stay.
TEST(PathFlattening, CurvesBecomeLinesWithinTheTolerance) {
    constexpr double r = 100, k = 0.5522847498 * r;
    VectorPath circle;
    circle.fill = true;
    circle.fill_color = VectorRgb{200, 10, 20};
    auto cubic = [](VectorPoint a, VectorPoint b, VectorPoint c) {
        VectorSegment s;
        s.kind = VectorSegment::kCubic;
        s.p[0] = a;
        s.p[1] = b;
        s.p[2] = c;
        return s;
    };
    VectorSegment move;
    move.p[0] = {r, 0};
    circle.segments = {move,
                       cubic({r, k}, {k, r}, {0, r}),
                       cubic({-k, r}, {-r, k}, {-r, 0}),
                       cubic({-r, -k}, {-k, -r}, {0, -r}),
                       cubic({k, -r}, {r, -k}, {r, 0}),
                       VectorSegment{VectorSegment::kClose, {}}};
    for (double tolerance : {1.0, 0.05}) {
        const VectorPath flat = flattened_path(circle, tolerance);
        ASSERT_GE(flat.segments.size(), 6u);
        EXPECT_EQ(flat.segments.front().kind, VectorSegment::kMove);
        EXPECT_EQ(flat.segments.back().kind, VectorSegment::kClose);
        EXPECT_EQ(flat.fill_color.r, 200);
        std::size_t lines = 0;
        for (std::size_t i = 1; i + 1 < flat.segments.size(); ++i) {
            const VectorSegment& s = flat.segments[i];
            ASSERT_EQ(s.kind, VectorSegment::kLine);
            ++lines;
            // The chord's middle is where a line strays furthest inside.
            const VectorPoint& a = flat.segments[i - 1].p[0];
            const double mid = std::hypot((a.x + s.p[0].x) / 2, (a.y + s.p[0].y) / 2);
            EXPECT_NEAR(std::hypot(s.p[0].x, s.p[0].y), r, 0.03);
            EXPECT_GT(mid, r - tolerance - 0.03) << tolerance;
        }
        // Not needlessly many either: a few per quarter at 1, tens at 0.05.
        EXPECT_LE(lines, tolerance == 1.0 ? 40u : 160u);
    }

    // A quarter closed, then the same quarter with no move: it starts where
    // the figure began, so its lines stay on the circle too.
    circle.segments = {move, circle.segments[1], VectorSegment{VectorSegment::kClose, {}},
                       circle.segments[1]};
    for (const VectorSegment& s : flattened_path(circle, 0.05).segments) {
        if (s.kind == VectorSegment::kLine) {
            EXPECT_NEAR(std::hypot(s.p[0].x, s.p[0].y), r, 0.03);
        }
    }
}

// Lines per curve: n = ⌈√(3/4 · m / tolerance)⌉, m the larger second
// difference (of from, c1, c2 or of c1, c2, c3), at least 1 and at most
// 1024; the last line ends on the curve's end. Far from the origin, so
// only differences count.
TEST(PathFlattening, TheSharperEndSetsTheNumberOfLines) {
    struct Row {
        const char* what;
        VectorPoint from, c[3];
        double tolerance;
        std::size_t lines;
    } rows[] = {
        {"straight: one line", {1000, 1000}, {{1010, 1000}, {1020, 1000}, {1030, 1000}}, 0.1, 1},
        // m = |(-100, -200)| = 223.6 at the end: ⌈57.9⌉
        {"sharp at the end", {1000, 1000}, {{1000, 1000}, {1100, 1100}, {1100, 1000}}, 0.05, 58},
        {"sharp at the start", {1100, 1000}, {{1100, 1100}, {1000, 1000}, {1000, 1000}}, 0.05, 58},
        {"too fine a tolerance", {1000, 1000}, {{1000, 1000}, {1100, 1100}, {1100, 1000}}, 1e-9, 1024},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        VectorPath path;
        path.segments.resize(2);
        path.segments[0].p[0] = row.from;
        path.segments[1] = VectorSegment{VectorSegment::kCubic, {row.c[0], row.c[1], row.c[2]}};
        const VectorPath flat = flattened_path(path, row.tolerance);
        ASSERT_EQ(flat.segments.size(), row.lines + 1);
        EXPECT_EQ(flat.segments.back().kind, VectorSegment::kLine);
        EXPECT_EQ(flat.segments.back().p[0].x, row.c[2].x);
        EXPECT_EQ(flat.segments.back().p[0].y, row.c[2].y);
    }
}

}  // namespace
}  // namespace markomi
