#pragma once
// Reading the drawing of an enhanced metafile back as filled and stroked
// paths in the picture's device units, for writers of vector formats (SVG,
// PDF). Only the records the stamp's metafiles hold are understood: path
// construction, the poly shapes, the world transform, solid brushes and
// pens, SAVEDC/RESTOREDC. A record that paints and is not understood makes
// the whole reading fail, so that no writer silently drops ink.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "output/emf_records.h"

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

struct VectorDrawing {
    bool ok = false;
    std::string error;  // why the reading failed, when !ok
    EmfRect frame;      // rclFrame, hundredths of a millimetre
    // The frame in the reference device's units, which the paths are in.
    double view_x = 0, view_y = 0, view_width = 0, view_height = 0;
    std::vector<VectorPath> paths;
};

VectorDrawing translate_emf(const std::uint8_t* bytes, std::size_t size);

}  // namespace markomi
