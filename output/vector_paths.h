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
#include "render/drawn_paths.h"

namespace markomi {

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
