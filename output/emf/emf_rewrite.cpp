#include "output/emf/emf_rewrite.h"

#include <limits>
#include <utility>

#include "base/little_endian.h"
#include "output/emf/emf_record_writer.h"
#include "output/emf/emf_records.h"

namespace markomi {

namespace {

constexpr std::size_t kHeaderMinimumSize = 88;
constexpr std::size_t kHeaderBytesOffset = 48;    // nBytes
constexpr std::size_t kHeaderRecordsOffset = 52;  // nRecords
constexpr std::size_t kBoundsOffset = 8;
constexpr std::size_t kPolyFixedSize = 28;  // type, size, bounds, point count

// Point types of PolyDraw; the close flag may ride on a line or a curve's end.
constexpr std::uint8_t kPtCloseFigure = 1;
constexpr std::uint8_t kPtLineTo = 2;
constexpr std::uint8_t kPtBezierTo = 4;
constexpr std::uint8_t kPtMoveTo = 6;

using Point = EmfPointL;

EmfRect rect_at(const std::uint8_t* p) {
    EmfRect r;
    r.left = static_cast<std::int32_t>(read_u32(p));
    r.top = static_cast<std::int32_t>(read_u32(p + 4));
    r.right = static_cast<std::int32_t>(read_u32(p + 8));
    r.bottom = static_cast<std::int32_t>(read_u32(p + 12));
    return r;
}

// The records that replace one POLYDRAW: consecutive lines, and consecutive
// curves, are gathered into one record each.
class FigureWriter {
public:
    FigureWriter(EmfRecordWriter& out, const EmfRect& bounds, bool narrow)
        : out_(out), bounds_(bounds), narrow_(narrow) {}

    void move_to(const Point& p) {
        flush();
        out_.move_to(p);
        start_ = p;
        started_ = true;
    }
    void line_to(const Point& p) { add(Run::kLines, p); }
    void bezier_to(const Point& p) { add(Run::kCurves, p); }

    // Inside a path CLOSEFIGURE closes the figure; outside one it does
    // nothing, so the closing line is drawn instead (which also leaves the
    // current position at the figure's start, as PolyDraw does). False when
    // that start is not known: the figure did not begin in this record, and
    // readers disagree on where it began.
    bool close(bool in_path) {
        if (!in_path) {
            if (!started_) return false;
            line_to(start_);
            return true;
        }
        flush();
        out_.record(kEmrCloseFigure);
        return true;
    }

    void flush() {
        if (points_.empty()) return;
        out_.poly_to(run_ == Run::kCurves, bounds_, points_, narrow_);
        points_.clear();
    }

private:
    enum class Run { kLines, kCurves };

    void add(Run run, const Point& p) {
        if (run != run_) flush();
        run_ = run;
        points_.push_back(p);
    }

    EmfRecordWriter& out_;
    EmfRect bounds_;
    bool narrow_;
    Run run_ = Run::kLines;
    std::vector<Point> points_;
    Point start_;
    bool started_ = false;
};

// One EMR_POLYDRAW16 (POINTS, 16-bit) or EMR_POLYDRAW (POINTL, `wide`):
// type, size, bounds, count, the points, then one type byte per point.
bool translate_polydraw(const std::uint8_t* record, std::uint32_t length, bool wide, bool in_path,
                        EmfRecordWriter& out) {
    if (length < kPolyFixedSize) return false;
    const std::uint64_t count = read_u32(record + 24);
    const std::uint64_t point_size = wide ? 8 : 4;
    if (count * (point_size + 1) > length - kPolyFixedSize) return false;

    std::vector<Point> points(static_cast<std::size_t>(count));
    bool narrow = true;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::uint8_t* at = record + kPolyFixedSize + i * point_size;
        if (wide) {
            points[i].x = static_cast<std::int32_t>(read_u32(at));
            points[i].y = static_cast<std::int32_t>(read_u32(at + 4));
            narrow = narrow && emf_fits_16_bits(points[i]);
        } else {
            points[i].x = static_cast<std::int16_t>(at[0] | (at[1] << 8));
            points[i].y = static_cast<std::int16_t>(at[2] | (at[3] << 8));
        }
    }
    const std::uint8_t* types = record + kPolyFixedSize + points.size() * point_size;

    FigureWriter figures(out, rect_at(record + kBoundsOffset), narrow);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::uint8_t type = types[i];
        const bool closes = (type & kPtCloseFigure) != 0;
        if (type == kPtMoveTo) {
            figures.move_to(points[i]);
            continue;
        }
        if ((type & ~kPtCloseFigure) == kPtLineTo) {
            figures.line_to(points[i]);
        } else if ((type & ~kPtCloseFigure) == kPtBezierTo) {
            // Two control points without the close flag, then the end point.
            if (closes || i + 2 >= points.size() || types[i + 1] != kPtBezierTo ||
                (types[i + 2] & ~kPtCloseFigure) != kPtBezierTo)
                return false;
            figures.bezier_to(points[i]);
            figures.bezier_to(points[i + 1]);
            i += 2;
            figures.bezier_to(points[i]);
            if ((types[i] & kPtCloseFigure) != 0 && !figures.close(in_path)) return false;
            continue;
        } else {
            return false;
        }
        if (closes && !figures.close(in_path)) return false;
    }
    figures.flush();
    return true;
}

}  // namespace

EmfRewrite rewrite_polydraw_records(const std::uint8_t* bytes, std::size_t size) {
    EmfRewrite result;
    if (!summarize_emf(bytes, size).valid || read_u32(bytes + 4) < kHeaderMinimumSize)
        return result;

    EmfRecordWriter out;
    out.bytes.reserve(size + size / 4);
    bool in_path = false;
    std::uint32_t polydraws = 0;
    for (std::size_t at = 0; at < size;) {
        const std::uint32_t type = read_u32(bytes + at);
        const std::uint32_t length = read_u32(bytes + at + 4);
        if (type == kEmrPolyDraw16 || type == kEmrPolyDraw) {
            if (!translate_polydraw(bytes + at, length, type == kEmrPolyDraw, in_path, out))
                return result;
            ++polydraws;
        } else {
            out.copy(bytes + at, length);
            if (type == kEmrBeginPath) in_path = true;
            if (type == kEmrEndPath || type == kEmrAbortPath) in_path = false;
        }
        at += length;
    }
    if (out.bytes.size() > std::numeric_limits<std::uint32_t>::max()) return result;
    put_u32(out.bytes.data() + kHeaderBytesOffset, static_cast<std::uint32_t>(out.bytes.size()));
    put_u32(out.bytes.data() + kHeaderRecordsOffset, out.records);
    result.ok = true;
    result.bytes = std::move(out.bytes);
    result.polydraw_records = polydraws;
    return result;
}

}  // namespace markomi
