#include "output/emf/emf_writer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/little_endian.h"
#include "output/emf/emf_record_writer.h"
#include "output/emf/emf_records.h"

namespace markomi {

namespace {

constexpr std::uint32_t kHeaderSize = 108;  // with both header extensions
constexpr std::uint32_t kEmfVersion = 0x10000;
constexpr std::size_t kBoundsOffset = 8;
constexpr std::size_t kBytesOffset = 48;
constexpr std::size_t kRecordsOffset = 52;
constexpr std::size_t kHandlesOffset = 56;

constexpr std::uint32_t kAlternate = 1;
constexpr std::uint32_t kWinding = 2;
constexpr std::uint32_t kBsSolid = 0;
constexpr std::uint32_t kPsGeometric = 0x10000;  // with PS_SOLID (0), PS_ENDCAP_ROUND (0), PS_JOIN_ROUND (0)
constexpr std::uint32_t kPsEndcapSquare = 0x100;
constexpr std::uint32_t kPsEndcapFlat = 0x200;
constexpr std::uint32_t kPsJoinBevel = 0x1000;
constexpr std::uint32_t kPsJoinMiter = 0x2000;
constexpr std::uint32_t kStockObject = 0x80000000u;
constexpr std::uint32_t kWhiteBrush = 0;
constexpr std::uint32_t kBlackPen = 7;

std::int32_t clamp_i32(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<std::int32_t>(
        std::clamp(v, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                   static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

// Scaled before rounding, in double: an infinite or huge coordinate only
// saturates.
EmfPointL rounded(const VectorPoint& p, double steps) {
    return {clamp_i32(std::round(p.x * steps)), clamp_i32(std::round(p.y * steps))};
}

std::int32_t steps_of(const EmfDevice& device) { return std::max(device.steps_per_pixel, 1); }

std::int32_t device_units(std::int32_t pixels, std::int32_t steps) {
    return clamp_i32(static_cast<double>(pixels) * steps);
}

std::uint32_t colorref(const VectorRgb& c) {
    return static_cast<std::uint32_t>(c.r) | (static_cast<std::uint32_t>(c.g) << 8) |
           (static_cast<std::uint32_t>(c.b) << 16);
}

std::uint32_t pen_style(const VectorPath& p) {
    std::uint32_t style = kPsGeometric;
    if (p.cap == VectorCap::kSquare) style |= kPsEndcapSquare;
    if (p.cap == VectorCap::kFlat) style |= kPsEndcapFlat;
    if (p.join == VectorJoin::kBevel) style |= kPsJoinBevel;
    if (p.join == VectorJoin::kMiter) style |= kPsJoinMiter;
    return style;
}

std::uint32_t pen_width(const VectorPath& p, double steps) {
    const double w = std::round(p.stroke_width * steps);
    if (!(w >= 1)) return 1u;  // hairlines, and a width that is not a number
    return static_cast<std::uint32_t>(std::min(w, 1e9));
}

// The extent of ink in continuous device coordinates.
struct Extent {
    double left = std::numeric_limits<double>::infinity();
    double top = std::numeric_limits<double>::infinity();
    double right = -std::numeric_limits<double>::infinity();
    double bottom = -std::numeric_limits<double>::infinity();

    bool empty() const { return left > right; }
    void add(double x, double y) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    void add(const EmfPointL& p) { add(p.x, p.y); }
    void add(const Extent& e) {
        if (e.empty()) return;
        add(e.left, e.top);
        add(e.right, e.bottom);
    }
    // A curve's own extent, not its control points': the ends and wherever
    // its derivative along an axis vanishes inside (0, 1).
    void add_cubic(const EmfPointL& p0, const EmfPointL& p1, const EmfPointL& p2,
                   const EmfPointL& p3) {
        add(p0);
        add(p3);
        axis(p0.x, p1.x, p2.x, p3.x, &left, &right);
        axis(p0.y, p1.y, p2.y, p3.y, &top, &bottom);
    }
    // The inclusive pixel box the extent covers, grown by `grow` each way.
    EmfRect pixels(double grow) const {
        EmfRect r;
        r.left = clamp_i32(std::floor(left - grow));
        r.top = clamp_i32(std::floor(top - grow));
        r.right = std::max(r.left, clamp_i32(std::ceil(right + grow) - 1));
        r.bottom = std::max(r.top, clamp_i32(std::ceil(bottom + grow) - 1));
        return r;
    }

private:
    static void axis(double p0, double p1, double p2, double p3, double* lo, double* hi) {
        // B'(t) / 3 = qa t² + qb t + qc
        const double a = p1 - p0, b = p2 - p1, c = p3 - p2;
        const double qa = a - 2 * b + c, qb = 2 * (b - a), qc = a;
        double roots[2];
        int n = 0;
        if (std::fabs(qa) < 1e-12) {
            if (std::fabs(qb) > 1e-12) roots[n++] = -qc / qb;
        } else {
            const double d = qb * qb - 4 * qa * qc;
            if (d >= 0) {
                roots[n++] = (-qb + std::sqrt(d)) / (2 * qa);
                roots[n++] = (-qb - std::sqrt(d)) / (2 * qa);
            }
        }
        for (int i = 0; i < n; ++i) {
            const double t = roots[i], u = 1 - t;
            if (t <= 0 || t >= 1) continue;
            const double v = u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
            *lo = std::min(*lo, v);
            *hi = std::max(*hi, v);
        }
    }
};

// The figures of one path between BEGINPATH and ENDPATH: consecutive lines,
// and consecutive curves, become one record each.
class FigureWriter {
public:
    explicit FigureWriter(EmfRecordWriter& out) : out_(out) {}

    void move(const EmfPointL& p) {
        flush();
        out_.move_to(p);
        current_ = start_ = p;
        need_move_ = false;
        drawn_ = false;
    }
    void line(const EmfPointL& p) { draw(false, &p); }
    void curve(const EmfPointL* three) { draw(true, three); }
    // After CLOSEFIGURE GDI leaves the current position where the figure
    // ended, while the drawing's next figure starts where this one began; a
    // MOVETOEX before the next line says so to every reader.
    void close() {
        flush();
        if (drawn_) out_.record(kEmrCloseFigure);
        current_ = start_;
        need_move_ = true;
        drawn_ = false;
    }
    void flush() {
        if (run_.empty()) return;
        // The bounds take in where the run starts; the width only the
        // record's own points.
        Extent box;
        box.add(run_from_);
        bool narrow = true;
        for (const EmfPointL& p : run_) {
            box.add(p);
            narrow = narrow && emf_fits_16_bits(p);
        }
        const EmfRect bounds{clamp_i32(box.left), clamp_i32(box.top), clamp_i32(box.right),
                             clamp_i32(box.bottom)};
        out_.poly_to(run_curves_, bounds, run_, narrow);
        run_.clear();
    }
    const Extent& ink() const { return ink_; }

private:
    void draw(bool curves, const EmfPointL* points) {
        // A line or curve with no figure to continue starts one where the
        // pen is: the origin for a path's first, a closed figure's start after it.
        if (need_move_) move(current_);
        if (!run_.empty() && curves != run_curves_) flush();
        if (run_.empty()) {
            run_from_ = current_;
            run_curves_ = curves;
        }
        if (!drawn_) ink_.add(current_);  // a lone MOVETOEX draws nothing
        if (curves) {
            ink_.add_cubic(current_, points[0], points[1], points[2]);
            run_.insert(run_.end(), points, points + 3);
            current_ = points[2];
        } else {
            ink_.add(points[0]);
            run_.push_back(points[0]);
            current_ = points[0];
        }
        drawn_ = true;
    }

    EmfRecordWriter& out_;
    Extent ink_;
    EmfPointL current_, start_;
    bool need_move_ = true;
    bool drawn_ = false;
    bool run_curves_ = false;
    EmfPointL run_from_;
    std::vector<EmfPointL> run_;
};

void write_header(EmfRecordWriter& out, const EmfRect& frame, const EmfDevice& device) {
    out.u32(kEmrHeader);
    out.u32(kHeaderSize);
    out.rect(EmfRect{});  // rclBounds, once the ink is known
    out.rect(frame);
    out.u32(kEmfSignature);
    out.u32(kEmfVersion);
    out.u32(0);  // nBytes, nRecords and nHandles at the end
    out.u32(0);
    out.u16(0);
    out.u16(0);  // sReserved
    out.u32(0);  // nDescription
    out.u32(0);  // offDescription
    out.u32(0);  // nPalEntries
    out.i32(device_units(device.pixels_x, steps_of(device)));
    out.i32(device_units(device.pixels_y, steps_of(device)));
    out.i32(static_cast<std::int32_t>(std::lround(device.micrometres_x / 1000.0)));
    out.i32(static_cast<std::int32_t>(std::lround(device.micrometres_y / 1000.0)));
    out.u32(0);  // cbPixelFormat
    out.u32(0);  // offPixelFormat
    out.u32(0);  // bOpenGL
    out.i32(device.micrometres_x);
    out.i32(device.micrometres_y);
    ++out.records;
}

// The frame (hundredths of a millimetre) as the inclusive box of device
// units the header declares; false when the device has no size to convert with.
bool frame_pixels(const EmfRect& frame, const EmfDevice& device, EmfRect* out) {
    if (device.pixels_x <= 0 || device.pixels_y <= 0 || device.micrometres_x <= 0 ||
        device.micrometres_y <= 0)
        return false;
    const std::int32_t steps = steps_of(device);
    const std::int32_t units_x = device_units(device.pixels_x, steps);
    const std::int32_t units_y = device_units(device.pixels_y, steps);
    // Integers multiplied first: a whole pixel count comes out exact.
    const auto px = [](std::int32_t h, std::int32_t pixels, std::int32_t um) {
        return static_cast<double>(h) * pixels * 10.0 / um;
    };
    out->left = clamp_i32(std::floor(px(frame.left, units_x, device.micrometres_x)));
    out->top = clamp_i32(std::floor(px(frame.top, units_y, device.micrometres_y)));
    out->right =
        std::max(out->left, clamp_i32(std::ceil(px(frame.right, units_x, device.micrometres_x)) - 1));
    out->bottom =
        std::max(out->top, clamp_i32(std::ceil(px(frame.bottom, units_y, device.micrometres_y)) - 1));
    return true;
}

// The ink's box clamped to the frame's; the frame's when that leaves nothing.
EmfRect header_bounds(bool has_ink, const EmfRect& ink, bool has_frame, const EmfRect& frame) {
    if (!has_frame) return has_ink ? ink : EmfRect{0, 0, -1, -1};  // GDI's empty bounds
    if (!has_ink) return frame;
    EmfRect r;
    r.left = std::max(ink.left, frame.left);
    r.top = std::max(ink.top, frame.top);
    r.right = std::min(ink.right, frame.right);
    r.bottom = std::min(ink.bottom, frame.bottom);
    return r.left > r.right || r.top > r.bottom ? frame : r;
}

std::uint32_t u(std::int32_t v) { return static_cast<std::uint32_t>(v); }

}  // namespace

std::vector<std::uint8_t> write_emf(const VectorDrawing& drawing, const EmfDevice& device) {
    EmfRecordWriter out;
    write_header(out, drawing.frame, device);
    const double steps = steps_of(device);

    bool even_odd = true;  // GDI starts at ALTERNATE
    std::uint32_t handles = 1;  // index 0 is the metafile's own
    bool has_ink = false;
    EmfRect ink;
    for (const VectorPath& path : drawing.paths) {
        if (path.segments.empty() || (!path.fill && !path.stroke)) continue;
        const std::uint32_t brush = 1, pen = path.fill ? 2 : 1;
        if (path.fill) {
            if (path.even_odd != even_odd) {
                even_odd = path.even_odd;
                out.record(kEmrSetPolyFillMode, {even_odd ? kAlternate : kWinding});
            }
            out.record(kEmrCreateBrushIndirect, {brush, kBsSolid, colorref(path.fill_color), 0});
            out.record(kEmrSelectObject, {brush});
            handles = std::max(handles, brush + 1);
        }
        const std::uint32_t width = pen_width(path, steps);
        if (path.stroke) {
            out.record(kEmrExtCreatePen, {pen, 0, 0, 0, 0, pen_style(path), width, kBsSolid,
                                          colorref(path.stroke_color), 0, 0});
            out.record(kEmrSelectObject, {pen});
            handles = std::max(handles, pen + 1);
        }

        out.record(kEmrBeginPath);
        FigureWriter figures(out);
        for (const VectorSegment& s : path.segments) {
            switch (s.kind) {
                case VectorSegment::kMove: figures.move(rounded(s.p[0], steps)); break;
                case VectorSegment::kLine: figures.line(rounded(s.p[0], steps)); break;
                case VectorSegment::kCubic: {
                    const EmfPointL three[3] = {rounded(s.p[0], steps), rounded(s.p[1], steps),
                                                rounded(s.p[2], steps)};
                    figures.curve(three);
                    break;
                }
                case VectorSegment::kClose: figures.close(); break;
            }
        }
        figures.flush();
        out.record(kEmrEndPath);

        const Extent& extent = figures.ink();
        EmfRect box{0, 0, -1, -1};
        if (!extent.empty()) {
            box = extent.pixels(path.stroke ? width / 2.0 : 0.0);
            if (!has_ink) ink = box;
            ink.left = std::min(ink.left, box.left);
            ink.top = std::min(ink.top, box.top);
            ink.right = std::max(ink.right, box.right);
            ink.bottom = std::max(ink.bottom, box.bottom);
            has_ink = true;
        }
        const std::uint32_t paint = path.fill && path.stroke ? kEmrStrokeAndFillPath
                                    : path.fill              ? kEmrFillPath
                                                             : kEmrStrokePath;
        out.record(paint, {u(box.left), u(box.top), u(box.right), u(box.bottom)});

        if (path.fill) {
            out.record(kEmrSelectObject, {kStockObject | kWhiteBrush});
            out.record(kEmrDeleteObject, {brush});
        }
        if (path.stroke) {
            out.record(kEmrSelectObject, {kStockObject | kBlackPen});
            out.record(kEmrDeleteObject, {pen});
        }
    }
    out.record(kEmrEof, {0, 16, 20});  // no palette; offPalEntries, nSizeLast

    EmfRect frame;
    const bool has_frame = frame_pixels(drawing.frame, device, &frame);
    const EmfRect bounds = header_bounds(has_ink, ink, has_frame, frame);
    std::uint8_t* header = out.bytes.data();
    put_u32(header + kBoundsOffset, u(bounds.left));
    put_u32(header + kBoundsOffset + 4, u(bounds.top));
    put_u32(header + kBoundsOffset + 8, u(bounds.right));
    put_u32(header + kBoundsOffset + 12, u(bounds.bottom));
    put_u32(header + kBytesOffset, static_cast<std::uint32_t>(out.bytes.size()));
    put_u32(header + kRecordsOffset, out.records);
    put_u16(header + kHandlesOffset, static_cast<std::uint16_t>(handles));
    return std::move(out.bytes);
}

}  // namespace markomi
