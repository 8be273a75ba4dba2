#include "output/vector/path_flattening.h"

#include <algorithm>
#include <cmath>

namespace markomi {
namespace {

// The cubic from `from` through controls c1, c2 to `to`, as lines. A cubic's
// chords over n equal steps of its parameter stay within 3/4 · m / n² of it,
// m being the larger second difference of its control points.
void append_lines(std::vector<VectorSegment>& out, VectorPoint from, const VectorPoint (&c)[3],
                  double tolerance) {
    auto second_difference = [](VectorPoint a, VectorPoint b, VectorPoint d) {
        return std::hypot(a.x - 2 * b.x + d.x, a.y - 2 * b.y + d.y);
    };
    const double m = std::max(second_difference(from, c[0], c[1]), second_difference(c[0], c[1], c[2]));
    const double wanted = std::ceil(std::sqrt(0.75 * m / tolerance));
    const int steps = static_cast<int>(std::clamp(wanted, 1.0, 1024.0));
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, d = 3 * u * t * t, e = t * t * t;
        VectorSegment line;
        line.kind = VectorSegment::kLine;
        line.p[0] = i == steps ? c[2]
                               : VectorPoint{a * from.x + b * c[0].x + d * c[1].x + e * c[2].x,
                                             a * from.y + b * c[0].y + d * c[1].y + e * c[2].y};
        out.push_back(line);
    }
}

}  // namespace

VectorPath flattened_path(const VectorPath& path, double tolerance) {
    VectorPath flat = path;
    flat.segments.clear();
    VectorPoint at, figure_start;
    for (const VectorSegment& s : path.segments) {
        if (s.kind == VectorSegment::kCubic && tolerance > 0) {
            append_lines(flat.segments, at, s.p, tolerance);
            at = s.p[2];
            continue;
        }
        flat.segments.push_back(s);
        if (s.kind == VectorSegment::kMove) figure_start = s.p[0];
        at = s.kind == VectorSegment::kClose ? figure_start : s.kind == VectorSegment::kCubic ? s.p[2] : s.p[0];
    }
    return flat;
}

}  // namespace markomi
