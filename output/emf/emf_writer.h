#pragma once
// Writing a captured drawing as an EMF-only enhanced metafile, with records
// every reader draws alike: each path gets its own brush or pen, created and
// selected before its BEGINPATH, and nothing else changes the page (no clip,
// mapping mode, origin, extent or world transform records, no POLYDRAW).
#include <cstdint>
#include <vector>

#include "output/emf/vector_drawing.h"

namespace markomi {

// Device units per pixel of the drawing in what the program writes. Records
// hold whole device units; at the reference device's own pixels (0.26 mm at
// 96 dpi) a printer or a zoomed document shows every point moved to that
// grid, thin strokes thickened or gone. Sixteen steps keep the drawing's
// fractions as the SVG and PDF keep them; a stamp still fits the 16-bit
// records (2047 pixels), and larger points take the 32-bit ones.
constexpr std::int32_t kEmfStepsPerPixel = 16;

// The reference device of the drawing: its size in pixels and in
// micrometres, and how many device units the header declares per pixel.
// The header's szlDevice is the pixels times `steps_per_pixel` (saturated),
// for the same micrometres: a finer device of the same physical size.
struct EmfDevice {
    std::int32_t pixels_x = 0, pixels_y = 0;            // the drawing's pixels
    std::int32_t micrometres_x = 0, micrometres_y = 0;  // szlMicrometers; szlMillimeters = rounded /1000
    std::int32_t steps_per_pixel = kEmfStepsPerPixel;   // below 1 counts as 1
};

// The metafile of `drawing`, whose points are in the pixels of the reference
// device; `drawing.frame` becomes rclFrame as it is. Points are scaled by the
// steps per pixel and rounded to whole device units, saturated to 32 bits
// (a coordinate that is not a number becomes 0); pen widths likewise, at
// least 1 unit. rclBounds is in device units. Paths are written in order, each as:
//   fill:   SETPOLYFILLMODE when the mode changes, CREATEBRUSHINDIRECT, SELECTOBJECT;
//   stroke: EXTCREATEPEN (geometric, solid, the path's cap and join), SELECTOBJECT;
//   BEGINPATH, per figure MOVETOEX, POLYLINETO16 / POLYBEZIERTO16 runs (the
//   32-bit records when a run's points do not fit 16 bits), CLOSEFIGURE;
//   ENDPATH, FILLPATH / STROKEPATH / STROKEANDFILLPATH;
//   the stock object selected back (WHITE_BRUSH, BLACK_PEN) and the own one deleted.
// The miter limit is GDI's default of 10; no SETMITERLIMIT is written.
std::vector<std::uint8_t> write_emf(const VectorDrawing& drawing, const EmfDevice& device);

}  // namespace markomi
