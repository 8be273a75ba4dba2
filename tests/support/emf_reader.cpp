#include "tests/support/emf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "base/little_endian.h"

namespace markomi {

namespace {

std::uint32_t u32(const std::uint8_t* p) { return read_u32(p); }
std::int32_t i32(const std::uint8_t* p) { return static_cast<std::int32_t>(u32(p)); }
std::int16_t i16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}
float f32(const std::uint8_t* p) {
    const std::uint32_t v = u32(p);
    float f;
    std::memcpy(&f, &v, sizeof f);
    return f;
}

constexpr std::uint32_t kRgnCopy = 5;

constexpr std::uint32_t kStockBit = 0x80000000u;
constexpr std::uint32_t kMmText = 1;
constexpr std::uint32_t kWinding = 2;
constexpr std::uint32_t kPsNull = 5;
constexpr std::uint32_t kPsStyleMask = 0xF;
constexpr std::uint32_t kPsGeometric = 0x10000;
constexpr std::uint32_t kBsSolid = 0;
constexpr std::uint32_t kBsNull = 1;

// x' = x*m11 + y*m21 + dx, y' = x*m12 + y*m22 + dy, as GDI's XFORM.
struct Xform {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
    VectorPoint apply(double x, double y) const {
        return {x * m11 + y * m21 + dx, x * m12 + y * m22 + dy};
    }
    // `a` applied first, then `b`.
    static Xform then(const Xform& a, const Xform& b) {
        Xform r;
        r.m11 = a.m11 * b.m11 + a.m12 * b.m21;
        r.m12 = a.m11 * b.m12 + a.m12 * b.m22;
        r.m21 = a.m21 * b.m11 + a.m22 * b.m21;
        r.m22 = a.m21 * b.m12 + a.m22 * b.m22;
        r.dx = a.dx * b.m11 + a.dy * b.m21 + b.dx;
        r.dy = a.dx * b.m12 + a.dy * b.m22 + b.dy;
        return r;
    }
    double scale() const { return std::sqrt(std::fabs(m11 * m22 - m12 * m21)); }
};

// A hatched or pattern brush or pen is refused only when it paints: made
// and never used, it changes no ink.
struct Brush {
    bool visible = true;
    VectorRgb color;
    bool solid = true;
};
struct Pen {
    bool visible = true;
    bool cosmetic = true;  // one device pixel whatever the transform
    double width = 0;      // world units of a geometric pen
    VectorRgb color;
    VectorCap cap = VectorCap::kRound;
    VectorJoin join = VectorJoin::kRound;
    bool solid = true;
};
struct Object {
    enum Kind { kBrush, kPen, kOther } kind = kBrush;  // kOther: fonts, palettes, colour spaces
    Brush brush;
    Pen pen;
};

// [MS-EMF] stores the miter limit as an unsigned integer, but Windows writes
// the FLOAT given to SetMiterLimit (10.0f reads as 1092616192). Below 2^23
// the bits are no float worth reading (zero or denormal) and are a plain
// integer; from there up no integer is a plausible limit, while every float
// of 1 or more is. A value neither reading makes sense of leaves `current`.
double miter_limit_from_record(std::uint32_t raw, double current) {
    if (raw < (1u << 23)) return std::max(1.0, static_cast<double>(raw));
    float f;
    std::memcpy(&f, &raw, sizeof f);
    if (!std::isfinite(f) || f <= 0 || f > 65536) return current;
    return std::max(1.0, static_cast<double>(f));
}

struct State {
    Xform xform;
    // MM_TEXT's page space: device = page - window origin + viewport origin.
    VectorPoint window_org, viewport_org;
    double miter_limit = 10;
    Brush brush;  // WHITE_BRUSH
    Pen pen;      // BLACK_PEN
    bool even_odd = true;
};

VectorRgb colorref(const std::uint8_t* p) { return {p[0], p[1], p[2]}; }

class Reader {
public:
    Reader() { state_.brush.color = {255, 255, 255}; }

    bool record(std::uint32_t type, const std::uint8_t* r, std::size_t n) {
        switch (type) {
            case kEmrSetMapMode:
                return need(n, 12) && (u32(r + 8) == kMmText || fail("mapping mode other than MM_TEXT"));
            case kEmrSetPolyFillMode:
                if (!need(n, 12)) return false;
                state_.even_odd = u32(r + 8) != kWinding;
                return true;
            case kEmrSetWindowOrgEx:
            case kEmrSetViewportOrgEx: {
                if (!need(n, 16)) return false;
                const VectorPoint o{static_cast<double>(i32(r + 8)), static_cast<double>(i32(r + 12))};
                (type == kEmrSetWindowOrgEx ? state_.window_org : state_.viewport_org) = o;
                return true;
            }
            case kEmrSetMiterLimit:
                if (!need(n, 12)) return false;
                state_.miter_limit = miter_limit_from_record(u32(r + 8), state_.miter_limit);
                return true;
            // Clipping would take ink away; only "no clipping" (a copy of no
            // region) is understood, and a widened path is not read.
            case kEmrExtSelectClipRgn:
                if (!need(n, 16)) return false;
                return (u32(r + 8) == 0 && u32(r + 12) == kRgnCopy) || fail("clip region");
            case kEmrExcludeClipRect:
            case kEmrIntersectClipRect:
            case kEmrSelectClipPath:
                return fail("clipping");
            case kEmrWidenPath:
                return fail("widened path");
            case kEmrSaveDc:
                saved_.push_back(state_);
                return true;
            case kEmrRestoreDc: {
                if (!need(n, 12)) return false;
                const std::int32_t rel = i32(r + 8);
                // Negative: that many states back; positive: the nth saved state.
                const std::int64_t keep = rel < 0 ? static_cast<std::int64_t>(saved_.size()) + rel
                                                  : static_cast<std::int64_t>(rel) - 1;
                if (rel == 0 || keep < 0 || keep >= static_cast<std::int64_t>(saved_.size()))
                    return fail("RESTOREDC to no saved state");
                state_ = saved_[static_cast<std::size_t>(keep)];
                saved_.resize(static_cast<std::size_t>(keep));
                return true;
            }
            case kEmrSetWorldTransform:
                if (!need(n, 32)) return false;
                state_.xform = xform_at(r + 8);
                return true;
            case kEmrModifyWorldTransform: {
                if (!need(n, 36)) return false;
                const Xform x = xform_at(r + 8);
                switch (u32(r + 32)) {
                    case 1: state_.xform = Xform(); return true;
                    case 2: state_.xform = Xform::then(x, state_.xform); return true;
                    case 3: state_.xform = Xform::then(state_.xform, x); return true;
                    case 4: state_.xform = x; return true;  // MWT_SET
                    default: return fail("unknown MODIFYWORLDTRANSFORM mode");
                }
            }
            case kEmrCreateBrushIndirect: {
                if (!need(n, 24)) return false;
                Object o;
                const std::uint32_t style = u32(r + 12);
                o.brush.visible = style != kBsNull;
                o.brush.solid = style == kBsSolid || style == kBsNull;
                o.brush.color = colorref(r + 16);
                objects_[u32(r + 8)] = o;
                return true;
            }
            case kEmrCreateMonoBrush:
            case kEmrCreateDibPatternBrushPt: {
                if (!need(n, 12)) return false;
                Object o;
                o.brush.solid = false;
                objects_[u32(r + 8)] = o;
                return true;
            }
            case kEmrExtCreateFontIndirectW:
            case kEmrCreatePalette:
            case kEmrCreateColorSpace:
            case kEmrCreateColorSpaceW: {
                if (!need(n, 12)) return false;
                Object o;
                o.kind = Object::kOther;
                objects_[u32(r + 8)] = o;
                return true;
            }
            case kEmrCreatePen: {
                if (!need(n, 28)) return false;
                Object o;
                o.kind = Object::kPen;
                o.pen.visible = (u32(r + 12) & kPsStyleMask) != kPsNull;
                o.pen.width = i32(r + 16);
                o.pen.cosmetic = o.pen.width <= 0;
                o.pen.color = colorref(r + 24);
                objects_[u32(r + 8)] = o;
                return true;
            }
            case kEmrExtCreatePen: {
                if (!need(n, 52)) return false;
                Object o;
                o.kind = Object::kPen;
                const std::uint32_t style = u32(r + 28);
                o.pen.visible = (style & kPsStyleMask) != kPsNull && u32(r + 36) != kBsNull;
                o.pen.solid = !o.pen.visible || u32(r + 36) == kBsSolid;
                o.pen.width = u32(r + 32);
                o.pen.cosmetic = (style & kPsGeometric) == 0;
                if (!o.pen.cosmetic) {
                    const std::uint32_t cap = style & 0xF00, join = style & 0xF000;
                    o.pen.cap = cap == 0x100 ? VectorCap::kSquare : cap == 0x200 ? VectorCap::kFlat : VectorCap::kRound;
                    o.pen.join = join == 0x1000 ? VectorJoin::kBevel : join == 0x2000 ? VectorJoin::kMiter : VectorJoin::kRound;
                }
                o.pen.color = colorref(r + 40);
                objects_[u32(r + 8)] = o;
                return true;
            }
            case kEmrSelectObject: {
                if (!need(n, 12)) return false;
                const std::uint32_t h = u32(r + 8);
                if (h & kStockBit) return select_stock(h & ~kStockBit);
                auto it = objects_.find(h);
                if (it == objects_.end()) return fail("selected object never created");
                if (it->second.kind == Object::kPen) state_.pen = it->second.pen;
                if (it->second.kind == Object::kBrush) state_.brush = it->second.brush;
                return true;
            }
            case kEmrDeleteObject:
                if (!need(n, 12)) return false;
                objects_.erase(u32(r + 8));
                return true;
            case kEmrBeginPath:
                path_.clear();
                in_path_ = true;
                return true;
            case kEmrAbortPath:
                path_.clear();
                in_path_ = false;
                return true;
            case kEmrEndPath:
                in_path_ = false;
                return true;
            case kEmrCloseFigure:
                if (in_path_ && !path_.empty()) {
                    VectorSegment s;
                    s.kind = VectorSegment::kClose;
                    path_.push_back(s);
                }
                return true;
            case kEmrMoveToEx:
                if (!need(n, 16)) return false;
                current_ = {static_cast<double>(i32(r + 8)), static_cast<double>(i32(r + 12))};
                if (in_path_) add(VectorSegment::kMove, {current_});
                return true;
            case kEmrLineTo: {
                if (!need(n, 16)) return false;
                const VectorPoint p{static_cast<double>(i32(r + 8)), static_cast<double>(i32(r + 12))};
                return to_points(VectorSegment::kLine, {p});
            }
            case kEmrPolyLineTo:
            case kEmrPolyLineTo16:
            case kEmrPolyBezierTo:
            case kEmrPolyBezierTo16: {
                std::vector<VectorPoint> pts;
                if (!points(r, n, 24, type == kEmrPolyLineTo16 || type == kEmrPolyBezierTo16, &pts))
                    return false;
                const bool curve = type == kEmrPolyBezierTo || type == kEmrPolyBezierTo16;
                if (curve && pts.size() % 3 != 0) return fail("curve points not in threes");
                return to_points(curve ? VectorSegment::kCubic : VectorSegment::kLine, pts);
            }
            case kEmrFillPath:
                return paint_path(true, false);
            case kEmrStrokePath:
                return paint_path(false, true);
            case kEmrStrokeAndFillPath:
                return paint_path(true, true);
            case kEmrPolygon:
            case kEmrPolygon16:
            case kEmrPolyline:
            case kEmrPolyline16:
            case kEmrPolyBezier:
            case kEmrPolyBezier16: {
                const bool small =
                    type == kEmrPolygon16 || type == kEmrPolyline16 || type == kEmrPolyBezier16;
                std::vector<VectorPoint> pts;
                if (!points(r, n, 24, small, &pts)) return false;
                const bool curve = type == kEmrPolyBezier || type == kEmrPolyBezier16;
                if (curve && (pts.empty() || (pts.size() - 1) % 3 != 0)) return fail("curve points not 1 + 3n");
                return shape({pts}, curve, type == kEmrPolygon || type == kEmrPolygon16);
            }
            case kEmrPolyPolygon:
            case kEmrPolyPolygon16:
            case kEmrPolyPolyline:
            case kEmrPolyPolyline16: {
                const bool small = type == kEmrPolyPolygon16 || type == kEmrPolyPolyline16;
                if (!need(n, 32)) return false;
                const std::uint64_t polys = u32(r + 24), total = u32(r + 28);
                const std::uint64_t at = 32 + 4 * polys;
                if (at + total * (small ? 4 : 8) > n) return fail("polypolygon longer than its record");
                std::vector<std::vector<VectorPoint>> figures;
                std::uint64_t used = 0;
                for (std::uint64_t i = 0; i < polys; ++i) {
                    const std::uint32_t count = u32(r + 32 + 4 * i);
                    if (used + count > total) return fail("polypolygon counts exceed its points");
                    std::vector<VectorPoint> f;
                    for (std::uint32_t k = 0; k < count; ++k) f.push_back(point(r + at, used + k, small));
                    used += count;
                    figures.push_back(f);
                }
                return shape(figures, false, type == kEmrPolyPolygon || type == kEmrPolyPolygon16);
            }
            default:
                if (emf_record_paints(type)) return fail("painting record " + std::to_string(type) + " not understood");
                return true;  // state that changes nothing this reader draws
        }
    }

    std::vector<VectorPath> paths;
    std::string error;

private:
    bool fail(const std::string& why) {
        error = why;
        return false;
    }
    bool need(std::size_t n, std::size_t size) { return n >= size || fail("record too short"); }

    static Xform xform_at(const std::uint8_t* p) {
        Xform x;
        x.m11 = f32(p); x.m12 = f32(p + 4); x.m21 = f32(p + 8);
        x.m22 = f32(p + 12); x.dx = f32(p + 16); x.dy = f32(p + 20);
        return x;
    }
    static VectorPoint point(const std::uint8_t* base, std::uint64_t i, bool small) {
        if (small) return {static_cast<double>(i16(base + 4 * i)), static_cast<double>(i16(base + 4 * i + 2))};
        return {static_cast<double>(i32(base + 8 * i)), static_cast<double>(i32(base + 8 * i + 4))};
    }
    // The count at `at`, then the points: 16-bit pairs or 32-bit pairs.
    bool points(const std::uint8_t* r, std::size_t n, std::size_t at, bool small, std::vector<VectorPoint>* out) {
        if (!need(n, at + 4)) return false;
        const std::uint64_t count = u32(r + at);
        if (at + 4 + count * (small ? 4 : 8) > n) return fail("points run past their record");
        for (std::uint64_t i = 0; i < count; ++i) out->push_back(point(r + at + 4, i, small));
        return true;
    }

    bool select_stock(std::uint32_t index) {
        switch (index) {
            case 0: case 1: case 2: case 3: case 4: {  // WHITE .. BLACK_BRUSH
                static const std::uint8_t kGrey[] = {255, 192, 128, 64, 0};
                state_.brush = Brush{true, {kGrey[index], kGrey[index], kGrey[index]}};
                return true;
            }
            case 5: state_.brush.visible = false; return true;  // NULL_BRUSH
            case 6: case 7: {                                     // WHITE_PEN, BLACK_PEN
                const std::uint8_t v = index == 6 ? 255 : 0;
                state_.pen = Pen{true, true, 0, {v, v, v}, VectorCap::kRound, VectorJoin::kRound};
                return true;
            }
            case 8: state_.pen.visible = false; return true;  // NULL_PEN
            default: return true;  // fonts, palettes: nothing drawn with them here
        }
    }

    void add(VectorSegment::Kind kind, std::vector<VectorPoint> pts) {
        VectorSegment s;
        s.kind = kind;
        for (std::size_t i = 0; i < pts.size() && i < 3; ++i) {
            const VectorPoint page = state_.xform.apply(pts[i].x, pts[i].y);
            s.p[i] = {page.x - state_.window_org.x + state_.viewport_org.x,
                      page.y - state_.window_org.y + state_.viewport_org.y};
        }
        path_.push_back(s);
    }
    // Lines or curves from the current position; outside a path they are
    // drawn at once with the pen.
    bool to_points(VectorSegment::Kind kind, const std::vector<VectorPoint>& pts) {
        const std::size_t step = kind == VectorSegment::kCubic ? 3 : 1;
        if (in_path_) {
            if (path_.empty()) add(VectorSegment::kMove, {current_});
            for (std::size_t i = 0; i + step <= pts.size(); i += step)
                add(kind, std::vector<VectorPoint>(pts.begin() + i, pts.begin() + i + step));
        } else {
            std::vector<VectorSegment> saved;
            saved.swap(path_);
            add(VectorSegment::kMove, {current_});
            for (std::size_t i = 0; i + step <= pts.size(); i += step)
                add(kind, std::vector<VectorPoint>(pts.begin() + i, pts.begin() + i + step));
            const bool drawn = emit(false, true);
            path_.swap(saved);
            if (!drawn) return false;
        }
        if (!pts.empty()) current_ = pts.back();
        return true;
    }
    // A poly shape outside a path: filled when closed, outlined by the pen.
    bool shape(const std::vector<std::vector<VectorPoint>>& figures, bool curve, bool closed) {
        if (in_path_) return fail("poly shape inside a path");
        std::vector<VectorSegment> saved;
        saved.swap(path_);
        for (const auto& f : figures) {
            if (f.empty()) continue;
            add(VectorSegment::kMove, {f[0]});
            const std::size_t step = curve ? 3 : 1;
            for (std::size_t i = 1; i + step <= f.size(); i += step)
                add(curve ? VectorSegment::kCubic : VectorSegment::kLine,
                    std::vector<VectorPoint>(f.begin() + i, f.begin() + i + step));
            if (closed) add(VectorSegment::kClose, {});
        }
        const bool drawn = emit(closed, true);
        path_.swap(saved);
        return drawn;
    }
    bool paint_path(bool fill, bool stroke) {
        if (in_path_) return fail("path painted before it was ended");
        const bool drawn = emit(fill, stroke);
        path_.clear();  // painting a path uses it up
        return drawn;
    }
    bool emit(bool fill, bool stroke) {
        if (fill && state_.brush.visible && !state_.brush.solid)
            return fail("filled with a brush that is not solid");
        if (stroke && state_.pen.visible && !state_.pen.solid)
            return fail("stroked with a pen that is not solid");
        VectorPath p;
        p.segments = path_;
        p.fill = fill && state_.brush.visible;
        p.fill_color = state_.brush.color;
        p.even_odd = state_.even_odd;
        p.stroke = stroke && state_.pen.visible;
        p.stroke_color = state_.pen.color;
        p.stroke_width = state_.pen.cosmetic ? 1.0 : state_.pen.width * state_.xform.scale();
        p.cap = state_.pen.cap;
        p.join = state_.pen.join;
        p.miter_limit = state_.miter_limit;
        if (!p.segments.empty() && (p.fill || p.stroke)) paths.push_back(p);
        return true;
    }

    State state_;
    std::vector<State> saved_;
    std::map<std::uint32_t, Object> objects_;
    std::vector<VectorSegment> path_;
    bool in_path_ = false;
    VectorPoint current_;
};

constexpr std::size_t kHeaderDeviceOffset = 72;  // szlDevice, then szlMillimeters

}  // namespace

VectorDrawing translate_emf(const std::uint8_t* bytes, std::size_t size) {
    VectorDrawing d;
    const EmfSummary summary = summarize_emf(bytes, size);
    if (!summary.valid || size < kHeaderDeviceOffset + 16) {
        d.error = "not a sound metafile";
        return d;
    }
    d.frame = summary.frame;
    const double device_w = i32(bytes + kHeaderDeviceOffset), device_h = i32(bytes + kHeaderDeviceOffset + 4);
    const double mm_w = i32(bytes + kHeaderDeviceOffset + 8), mm_h = i32(bytes + kHeaderDeviceOffset + 12);
    if (device_w <= 0 || device_h <= 0 || mm_w <= 0 || mm_h <= 0) {
        d.error = "no reference device in the header";
        return d;
    }
    // Frame (hundredths of a millimetre) to the reference device's units.
    const double sx = device_w / (mm_w * 100.0), sy = device_h / (mm_h * 100.0);
    d.view_x = d.frame.left * sx;
    d.view_y = d.frame.top * sy;
    // In doubles: the frame's sides of a file from elsewhere can be any 32-bit values.
    d.view_width = (static_cast<double>(d.frame.right) - d.frame.left) * sx;
    d.view_height = (static_cast<double>(d.frame.bottom) - d.frame.top) * sy;

    Reader reader;
    std::size_t at = u32(bytes + 4);  // past the header
    while (at + 8 <= size) {
        const std::uint32_t type = u32(bytes + at), length = u32(bytes + at + 4);
        if (type == kEmrEof) break;
        if (!reader.record(type, bytes + at, length)) {
            d.error = reader.error;
            return d;
        }
        at += length;
    }
    d.paths = std::move(reader.paths);
    d.ok = true;
    return d;
}

}  // namespace markomi
