#pragma once
// The stamp's drawing as filled and stroked paths in the picture's device
// units: what the metafile pipeline captures of a stamp, and what the
// project's EMF writer, the SVG and PDF writers and the fine pictures make
// their outputs from.
#include <string>
#include <vector>

#include "output/emf/emf_records.h"
#include "render/drawn_paths.h"

namespace markomi {

struct VectorDrawing {
    bool ok = false;
    std::string error;  // why the drawing could not be had, when !ok
    EmfRect frame;      // rclFrame, hundredths of a millimetre
    // The frame in the reference device's units, which the paths are in.
    double view_x = 0, view_y = 0, view_width = 0, view_height = 0;
    std::vector<VectorPath> paths;
};

}  // namespace markomi
