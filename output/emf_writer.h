#pragma once
// Writing a captured drawing as an EMF-only enhanced metafile, with records
// every reader draws alike: each path gets its own brush or pen, created and
// selected before its BEGINPATH, and nothing else changes the page (no clip,
// mapping mode, origin, extent or world transform records, no POLYDRAW).
#include <cstdint>
#include <vector>

#include "output/vector_paths.h"

namespace markomi {

// The reference device the header describes: its size in pixels and in micrometres.
struct EmfDevice {
    std::int32_t pixels_x = 0, pixels_y = 0;            // szlDevice
    std::int32_t micrometres_x = 0, micrometres_y = 0;  // szlMicrometers; szlMillimeters = rounded /1000
};

// The metafile of `drawing`, whose points are in the device units of the
// recording (the reference device's pixels); `drawing.frame` becomes
// rclFrame as it is. Points are rounded to whole units and pen widths to
// whole units of at least 1. Paths are written in order, each as:
//   fill:   SETPOLYFILLMODE when the mode changes, CREATEBRUSHINDIRECT, SELECTOBJECT;
//   stroke: EXTCREATEPEN (geometric, solid, the path's cap and join), SELECTOBJECT;
//   BEGINPATH, per figure MOVETOEX, POLYLINETO16 / POLYBEZIERTO16 runs (the
//   32-bit records when a run's points do not fit 16 bits), CLOSEFIGURE;
//   ENDPATH, FILLPATH / STROKEPATH / STROKEANDFILLPATH;
//   the stock object selected back (WHITE_BRUSH, BLACK_PEN) and the own one deleted.
// The miter limit is GDI's default of 10; no SETMITERLIMIT is written.
std::vector<std::uint8_t> write_emf(const VectorDrawing& drawing, const EmfDevice& device);

}  // namespace markomi
