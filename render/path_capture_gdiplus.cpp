#include "render/path_capture_gdiplus.h"

#include <cmath>
#include <memory>

namespace markomi {
namespace {

struct GdipMatrixDeleter {
    void operator()(Gdiplus::GpMatrix* m) const { gdip::GdipDeleteMatrix(m); }
};
using GdipMatrixPtr = std::unique_ptr<Gdiplus::GpMatrix, GdipMatrixDeleter>;

VectorRgb rgb_of(Gdiplus::ARGB colour) {
    return VectorRgb{static_cast<std::uint8_t>((colour >> 16) & 0xFF),
                     static_cast<std::uint8_t>((colour >> 8) & 0xFF),
                     static_cast<std::uint8_t>(colour & 0xFF)};
}

GdipMatrixPtr world_transform(Gdiplus::GpGraphics* graphics) {
    Gdiplus::GpMatrix* matrix = nullptr;
    if (gdip::GdipCreateMatrix(&matrix) != Gdiplus::Ok) return nullptr;
    GdipMatrixPtr owner(matrix);
    if (gdip::GdipGetWorldTransform(graphics, matrix) != Gdiplus::Ok) return nullptr;
    return owner;
}

// The geometric mean of the transform's two scales: how a pen's world width
// grows on the device.
double width_scale(Gdiplus::GpMatrix* matrix) {
    float m[6] = {1, 0, 0, 1, 0, 0};
    if (gdip::GdipGetMatrixElements(matrix, m) != Gdiplus::Ok) return 1.0;
    return std::sqrt(std::fabs(static_cast<double>(m[0]) * m[3] - static_cast<double>(m[1]) * m[2]));
}

// The path's figures in device space; false when GDI+ would not give them.
bool device_segments(Gdiplus::GpGraphics* graphics, Gdiplus::GpPath* path,
                     std::vector<VectorSegment>* segments, double* scale) {
    if (!graphics || !path) return false;
    GdipMatrixPtr matrix = world_transform(graphics);
    if (!matrix) return false;
    Gdiplus::GpPath* raw = nullptr;
    if (gdip::GdipClonePath(path, &raw) != Gdiplus::Ok) return false;
    GdipPathPtr copy(raw);
    if (gdip::GdipTransformPath(copy.get(), matrix.get()) != Gdiplus::Ok) return false;
    INT count = 0;
    if (gdip::GdipGetPointCount(copy.get(), &count) != Gdiplus::Ok || count < 0) return false;
    std::vector<Gdiplus::PointF> points(static_cast<std::size_t>(count));
    std::vector<BYTE> types(static_cast<std::size_t>(count));
    if (count > 0 && (gdip::GdipGetPathPoints(copy.get(), points.data(), count) != Gdiplus::Ok ||
                      gdip::GdipGetPathTypes(copy.get(), types.data(), count) != Gdiplus::Ok))
        return false;
    *scale = width_scale(matrix.get());
    const auto at = [&](std::size_t i) { return VectorPoint{points[i].X, points[i].Y}; };
    for (std::size_t i = 0; i < points.size();) {
        const BYTE kind = types[i] & Gdiplus::PathPointTypePathTypeMask;
        VectorSegment s;
        std::size_t last = i;
        if (kind == Gdiplus::PathPointTypeStart) {
            s.kind = VectorSegment::kMove;
            s.p[0] = at(i);
        } else if (kind == Gdiplus::PathPointTypeLine) {
            s.kind = VectorSegment::kLine;
            s.p[0] = at(i);
        } else if (kind == Gdiplus::PathPointTypeBezier && i + 2 < points.size()) {
            s.kind = VectorSegment::kCubic;
            s.p[0] = at(i);
            s.p[1] = at(i + 1);
            s.p[2] = at(i + 2);
            last = i + 2;
        } else {
            return false;  // a curve cut short, or a point type GDI+ does not document
        }
        if (segments->empty() && s.kind != VectorSegment::kMove) return false;
        segments->push_back(s);
        if (types[last] & Gdiplus::PathPointTypeCloseSubpath) {
            VectorSegment close;
            close.kind = VectorSegment::kClose;
            segments->push_back(close);
        }
        i = last + 1;
    }
    return true;
}

VectorCap cap_of(Gdiplus::LineCap cap) {
    switch (cap) {
        case Gdiplus::LineCapSquare: return VectorCap::kSquare;
        case Gdiplus::LineCapRound: return VectorCap::kRound;
        default: return VectorCap::kFlat;
    }
}

VectorJoin join_of(Gdiplus::LineJoin join) {
    switch (join) {
        case Gdiplus::LineJoinBevel: return VectorJoin::kBevel;
        case Gdiplus::LineJoinRound: return VectorJoin::kRound;
        default: return VectorJoin::kMiter;
    }
}

// A new empty path for one pen-drawn shape.
GdipPathPtr new_path() {
    Gdiplus::GpPath* raw = nullptr;
    if (gdip::GdipCreatePath(Gdiplus::FillModeAlternate, &raw) != Gdiplus::Ok) return nullptr;
    return GdipPathPtr(raw);
}

// Captures a shape added to a new path by `add`; counts a failure otherwise.
template <class Add>
void capture_stroke(GraphicsWrapper& target, Gdiplus::GpPen* pen, Add add) {
    GdipPathPtr path = new_path();
    if (!path || target.note(add(path.get())) != Gdiplus::Ok) {
        target.capture->stroke(target.graphics, pen, nullptr);  // counted as not taken
        return;
    }
    target.capture->stroke(target.graphics, pen, path.get());
}

}  // namespace

void PathCapture::fill(Gdiplus::GpGraphics* graphics, Gdiplus::GpBrush* brush, Gdiplus::GpPath* path) {
    VectorPath p;
    double scale = 1;
    Gdiplus::ARGB colour = 0;
    Gdiplus::FillMode mode = Gdiplus::FillModeAlternate;
    if (!brush || gdip::GdipGetSolidFillColor(static_cast<Gdiplus::GpSolidFill*>(brush), &colour) !=
                      Gdiplus::Ok ||
        !path || gdip::GdipGetPathFillMode(path, &mode) != Gdiplus::Ok ||
        !device_segments(graphics, path, &p.segments, &scale)) {
        ++failures_;
        return;
    }
    if (p.segments.empty()) return;  // nothing to fill: a row of spaces
    p.fill = true;
    p.even_odd = mode == Gdiplus::FillModeAlternate;
    p.fill_color = rgb_of(colour);
    paths_.push_back(std::move(p));
}

void PathCapture::stroke(Gdiplus::GpGraphics* graphics, Gdiplus::GpPen* pen, Gdiplus::GpPath* path) {
    VectorPath p;
    double scale = 1;
    Gdiplus::ARGB colour = 0;
    float width = 0, miter = 10;
    Gdiplus::LineCap cap = Gdiplus::LineCapFlat;
    Gdiplus::LineJoin join = Gdiplus::LineJoinMiter;
    if (!pen || gdip::GdipGetPenColor(pen, &colour) != Gdiplus::Ok ||
        gdip::GdipGetPenWidth(pen, &width) != Gdiplus::Ok ||
        gdip::GdipGetPenStartCap(pen, &cap) != Gdiplus::Ok ||
        gdip::GdipGetPenLineJoin(pen, &join) != Gdiplus::Ok ||
        gdip::GdipGetPenMiterLimit(pen, &miter) != Gdiplus::Ok ||
        !device_segments(graphics, path, &p.segments, &scale)) {
        ++failures_;
        return;
    }
    if (p.segments.empty()) return;
    p.stroke = true;
    p.stroke_color = rgb_of(colour);
    p.stroke_width = width * scale;
    p.cap = cap_of(cap);
    p.join = join_of(join);
    p.miter_limit = miter;
    paths_.push_back(std::move(p));
}

void fill_path(GraphicsWrapper& target, Gdiplus::GpBrush* brush, Gdiplus::GpPath* path) {
    if (target.capture)
        target.capture->fill(target.graphics, brush, path);
    else
        target.note(gdip::GdipFillPath(target.graphics, brush, path));
}

void stroke_line(GraphicsWrapper& target, Gdiplus::GpPen* pen, int x1, int y1, int x2, int y2) {
    if (!target.capture) {
        target.note(gdip::GdipDrawLineI(target.graphics, pen, x1, y1, x2, y2));
        return;
    }
    capture_stroke(target, pen, [&](Gdiplus::GpPath* p) { return gdip::GdipAddPathLineI(p, x1, y1, x2, y2); });
}

void stroke_ellipse(GraphicsWrapper& target, Gdiplus::GpPen* pen, int x, int y, int width, int height) {
    if (!target.capture) {
        target.note(gdip::GdipDrawEllipseI(target.graphics, pen, x, y, width, height));
        return;
    }
    capture_stroke(target, pen,
                   [&](Gdiplus::GpPath* p) { return gdip::GdipAddPathEllipseI(p, x, y, width, height); });
}

void stroke_arc(GraphicsWrapper& target, Gdiplus::GpPen* pen, int x, int y, int width, int height,
                float start, float sweep) {
    if (!target.capture) {
        target.note(gdip::GdipDrawArcI(target.graphics, pen, x, y, width, height, start, sweep));
        return;
    }
    capture_stroke(target, pen, [&](Gdiplus::GpPath* p) {
        return gdip::GdipAddPathArcI(p, x, y, width, height, start, sweep);
    });
}

void stroke_polygon(GraphicsWrapper& target, Gdiplus::GpPen* pen, const Gdiplus::Point* points, int count) {
    if (!target.capture) {
        target.note(gdip::GdipDrawPolygonI(target.graphics, pen, points, count));
        return;
    }
    capture_stroke(target, pen,
                   [&](Gdiplus::GpPath* p) { return gdip::GdipAddPathPolygonI(p, points, count); });
}

}  // namespace markomi
