#include "output/raster/fine_picture_win.h"

#include <windows.h>
#include <gdiplus.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "output/canvas/output_common_win.h"
#include "output/emf/metafile_output_win.h"
#include "output/emf/vector_drawing.h"
#include "output/raster/image_file_rules.h"
#include "output/vector/path_flattening.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/ink_margins.h"

namespace markomi {
namespace {

// The largest side drawn: a stamp of a few centimetres at 1200 dpi is far
// below it; a frame that asks for more is refused, not drawn.
constexpr int kLargestSide = 8192;  // of the picture; drawn at twice it

Gdiplus::ARGB opaque(const VectorRgb& c) {
    return 0xFF000000u | static_cast<Gdiplus::ARGB>(c.r) << 16 | static_cast<Gdiplus::ARGB>(c.g) << 8 | c.b;
}

// The path's figures as GDI+ points and types.
GdipPathPtr gdiplus_path(const VectorPath& path) {
    std::vector<Gdiplus::PointF> points;
    std::vector<BYTE> types;
    for (const VectorSegment& s : path.segments) {
        switch (s.kind) {
            case VectorSegment::kMove:
                points.emplace_back(static_cast<float>(s.p[0].x), static_cast<float>(s.p[0].y));
                types.push_back(Gdiplus::PathPointTypeStart);
                break;
            case VectorSegment::kLine:
                points.emplace_back(static_cast<float>(s.p[0].x), static_cast<float>(s.p[0].y));
                types.push_back(Gdiplus::PathPointTypeLine);
                break;
            case VectorSegment::kCubic:
                for (const VectorPoint& p : s.p) {
                    points.emplace_back(static_cast<float>(p.x), static_cast<float>(p.y));
                    types.push_back(Gdiplus::PathPointTypeBezier);
                }
                break;
            case VectorSegment::kClose:
                if (!types.empty()) types.back() |= Gdiplus::PathPointTypeCloseSubpath;
                break;
        }
    }
    if (points.empty()) return nullptr;
    Gdiplus::GpPath* raw = nullptr;
    if (gdip::GdipCreatePath2(points.data(), types.data(), static_cast<INT>(points.size()),
                              path.even_odd ? Gdiplus::FillModeAlternate : Gdiplus::FillModeWinding,
                              &raw) != Gdiplus::Ok)
        return nullptr;
    return GdipPathPtr(raw);
}

GdipPenPtr pen_of(const VectorPath& path) {
    Gdiplus::GpPen* raw = nullptr;
    if (gdip::GdipCreatePen1(opaque(path.stroke_color), static_cast<float>(path.stroke_width),
                             Gdiplus::UnitWorld, &raw) != Gdiplus::Ok)
        return nullptr;
    GdipPenPtr pen(raw);
    const Gdiplus::LineCap cap = path.cap == VectorCap::kRound    ? Gdiplus::LineCapRound
                                 : path.cap == VectorCap::kSquare ? Gdiplus::LineCapSquare
                                                                  : Gdiplus::LineCapFlat;
    gdip::GdipSetPenStartCap(raw, cap);
    gdip::GdipSetPenEndCap(raw, cap);
    gdip::GdipSetPenLineJoin(raw, path.join == VectorJoin::kRound   ? Gdiplus::LineJoinRound
                                  : path.join == VectorJoin::kBevel ? Gdiplus::LineJoinBevel
                                                                    : Gdiplus::LineJoinMiter);
    gdip::GdipSetPenMiterLimit(raw, static_cast<float>(path.miter_limit));
    return pen;
}

// Each path filled, then stroked, in the drawing's order, its curves as
// lines within `tolerance` (the drawing's units). Given curves, Wine's GDI+
// overflowed its stack stroking one of the flower's petals on its bitmap;
// Windows draws the lines alike.
bool draw_paths(GraphicsWrapper& g, const VectorDrawing& drawing, double tolerance) {
    for (const VectorPath& curved : drawing.paths) {
        const VectorPath path = flattened_path(curved, tolerance);
        GdipPathPtr figures = gdiplus_path(path);
        if (!figures) continue;
        if (path.fill) {
            Gdiplus::GpSolidFill* raw = nullptr;
            if (gdip::GdipCreateSolidFill(opaque(path.fill_color), &raw) != Gdiplus::Ok) return false;
            GdipBrushPtr brush(raw);
            if (g.note(gdip::GdipFillPath(g.graphics, raw, figures.get())) != Gdiplus::Ok) return false;
        }
        if (path.stroke) {
            GdipPenPtr pen = pen_of(path);
            if (!pen || g.note(gdip::GdipDrawPath(g.graphics, pen.get(), figures.get())) != Gdiplus::Ok)
                return false;
        }
    }
    return true;
}

}  // namespace

bool render_stamp_picture_at(SettingsSet& set, int slot_index, int dpi, StampPicture* picture) {
    VectorDrawing drawing;
    if (!picture || dpi <= 0 || !capture_stamp_drawing(set, slot_index, &drawing)) return false;
    if (drawing.view_width <= 0 || drawing.view_height <= 0) return false;
    // The frame is in hundredths of a millimetre: its size at `dpi`.
    const double inches_wide = (drawing.frame.right - drawing.frame.left) / 2540.0;
    const double inches_high = (drawing.frame.bottom - drawing.frame.top) / 2540.0;
    const int width = static_cast<int>(std::lround(inches_wide * dpi));
    const int height = static_cast<int>(std::lround(inches_high * dpi));
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return false;

    // Drawn at twice the size and halved, as every bitmap of the stamp is:
    // Wine's GDI+ fills on its own bitmaps without anti-aliasing, and the
    // halving gives the edges their steps of coverage there too. The frame
    // is the metafile's, whose margins around the ink are uneven; a border
    // of blank around it leaves room for the blank the picture keeps around
    // its ink when the ink touches the frame.
    const int border = fine_picture_blank(dpi) + 1;
    const int fw = 2 * width, fh = 2 * height;
    const int sw = fw + 2 * border, sh = fh + 2 * border;
    Gdiplus::GpBitmap* raw = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(sw, sh, 0, PixelFormat32bppPARGB, nullptr, &raw) != Gdiplus::Ok)
        return false;
    GdipImagePtr image(raw);
    {
        GraphicsWrapper g;
        if (gdip::GdipGetImageGraphicsContext(raw, &g.graphics) != Gdiplus::Ok) return false;
        GdipGraphicsPtr owner(g.graphics);
        prepare_graphics(g);
        if (gdip::GdipGraphicsClear(g.graphics, 0) != Gdiplus::Ok) return false;
        gdip::GdipTranslateWorldTransform(g.graphics, static_cast<float>(border), static_cast<float>(border),
                                          Gdiplus::MatrixOrderPrepend);
        gdip::GdipScaleWorldTransform(g.graphics, static_cast<float>(fw / drawing.view_width),
                                      static_cast<float>(fh / drawing.view_height), Gdiplus::MatrixOrderPrepend);
        gdip::GdipTranslateWorldTransform(g.graphics, static_cast<float>(-drawing.view_x),
                                          static_cast<float>(-drawing.view_y), Gdiplus::MatrixOrderPrepend);
        // A tenth of a pixel of the drawing, a twentieth of the picture's.
        if (!draw_paths(g, drawing, 0.1 * drawing.view_width / fw)) return false;
    }
    const std::vector<std::uint32_t> drawn = premultiplied_pixels(raw, sw, sh);
    if (drawn.empty()) return false;

    // Cut to the ink as the 96-dpi picture is, its blank scaled.
    const PixelReader coverage = [&](int x, int y, std::uint32_t* colour) {
        *colour = (drawn[static_cast<std::size_t>(y) * sw + x] >> 24) != 0 ? 0u : kBlankPixel;
        return true;
    };
    const FinePictureBox box =
        fine_picture_box(slot_index, stamp_ink_margins(coverage, 0, 0, sw, sh), sw, sh, dpi);
    if (box.width <= 0 || box.height <= 0) return false;
    halve_picture(drawn.data() + static_cast<std::size_t>(box.top) * sw + box.left, box.work_width,
                  box.work_height, sw, picture);
    picture->bitmap_height = picture->height;
    return true;
}

}  // namespace markomi
