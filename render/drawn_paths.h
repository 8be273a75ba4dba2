#pragma once
// A stamp's drawing as filled and stroked paths: what the renderer's capture
// collects and what the writers of EMF, SVG and PDF files take. Points are
// in the device units of the picture (the recording's pixels).
#include <cstdint>
#include <vector>

namespace markomi {

struct VectorPoint {
    double x = 0;
    double y = 0;
};

struct VectorSegment {
    enum Kind { kMove, kLine, kCubic, kClose } kind = kMove;
    VectorPoint p[3];  // kMove/kLine: p[0]; kCubic: two controls, then the end
};

struct VectorRgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

// A geometric pen's ends and corners; a cosmetic pen's are round.
enum class VectorCap { kRound, kSquare, kFlat };
enum class VectorJoin { kRound, kBevel, kMiter };

struct VectorPath {
    std::vector<VectorSegment> segments;
    bool fill = false;
    bool even_odd = true;  // ALTERNATE, GDI's default fill mode
    VectorRgb fill_color;
    bool stroke = false;
    VectorRgb stroke_color;
    double stroke_width = 1;  // device units
    VectorCap cap = VectorCap::kRound;
    VectorJoin join = VectorJoin::kRound;
    double miter_limit = 10;
};

}  // namespace markomi
