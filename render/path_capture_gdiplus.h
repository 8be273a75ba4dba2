#pragma once
// The second target of the stamp's drawing: instead of painting, each filled
// or stroked shape is taken as a path in the graphics' device space (its
// world transform applied, page unit pixel), with its brush colour and fill
// mode or its pen's colour, width, caps and joins. The renderers draw
// through the functions below, so painting and capturing run the very same
// layout, fitting and shading calls.
#include <vector>

#include "render/drawn_paths.h"
#include "render/gdiplus_handles_gdiplus.h"

namespace markomi {

class PathCapture {
public:
    // Adds `path` (world coordinates of `graphics`) filled with a solid brush.
    void fill(Gdiplus::GpGraphics* graphics, Gdiplus::GpBrush* brush, Gdiplus::GpPath* path);
    // Adds `path` outlined with `pen`.
    void stroke(Gdiplus::GpGraphics* graphics, Gdiplus::GpPen* pen, Gdiplus::GpPath* path);

    const std::vector<VectorPath>& paths() const { return paths_; }
    // How many shapes could not be taken (a call of GDI+ failed, or a brush
    // that is not solid); a capture with any is not to be written out.
    int failures() const { return failures_; }

private:
    std::vector<VectorPath> paths_;
    int failures_ = 0;
};

// Fills `path` on the target's graphics, or adds it to its capture.
void fill_path(GraphicsWrapper& target, Gdiplus::GpBrush* brush, Gdiplus::GpPath* path);

// The pen-drawn shapes of the frame and ornaments, painted or captured.
void stroke_line(GraphicsWrapper& target, Gdiplus::GpPen* pen, int x1, int y1, int x2, int y2);
void stroke_ellipse(GraphicsWrapper& target, Gdiplus::GpPen* pen, int x, int y, int width, int height);
void stroke_arc(GraphicsWrapper& target, Gdiplus::GpPen* pen, int x, int y, int width, int height,
                float start, float sweep);
void stroke_polygon(GraphicsWrapper& target, Gdiplus::GpPen* pen, const Gdiplus::Point* points, int count);

}  // namespace markomi
