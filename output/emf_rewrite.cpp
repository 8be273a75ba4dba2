#include "output/emf_rewrite.h"

#include <limits>
#include <utility>

#include "base/little_endian.h"
#include "output/emf_records.h"

namespace markomi {

namespace {

constexpr std::size_t kHeaderMinimumSize = 88;
constexpr std::size_t kHeaderBytesOffset = 48;    // nBytes
constexpr std::size_t kHeaderRecordsOffset = 52;  // nRecords
constexpr std::size_t kBoundsOffset = 8;
constexpr std::size_t kBoundsSize = 16;
constexpr std::size_t kPolyFixedSize = 28;  // type, size, bounds, point count

// Point types of PolyDraw; the close flag may ride on a line or a curve's end.
constexpr std::uint8_t kPtCloseFigure = 1;
constexpr std::uint8_t kPtLineTo = 2;
constexpr std::uint8_t kPtBezierTo = 4;
constexpr std::uint8_t kPtMoveTo = 6;

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

bool fits_16_bits(const Point& p) {
    return p.x >= std::numeric_limits<std::int16_t>::min() &&
           p.x <= std::numeric_limits<std::int16_t>::max() &&
           p.y >= std::numeric_limits<std::int16_t>::min() &&
           p.y <= std::numeric_limits<std::int16_t>::max();
}

struct Output {
    std::vector<std::uint8_t> bytes;
    std::uint32_t records = 0;

    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }
    void u16(std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
};

// The records that replace one POLYDRAW: consecutive lines, and consecutive
// curves, are gathered into one record each.
class FigureWriter {
public:
    FigureWriter(Output& out, const std::uint8_t* bounds, bool narrow)
        : out_(out), bounds_(bounds), narrow_(narrow) {}

    void move_to(const Point& p) {
        flush();
        out_.u32(kEmrMoveToEx);
        out_.u32(16);
        out_.u32(static_cast<std::uint32_t>(p.x));
        out_.u32(static_cast<std::uint32_t>(p.y));
        ++out_.records;
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
        out_.u32(kEmrCloseFigure);
        out_.u32(8);
        ++out_.records;
        return true;
    }

    void flush() {
        if (points_.empty()) return;
        const bool lines = run_ == Run::kLines;
        const std::uint32_t type = narrow_ ? (lines ? kEmrPolyLineTo16 : kEmrPolyBezierTo16)
                                           : (lines ? kEmrPolyLineTo : kEmrPolyBezierTo);
        const std::size_t point_size = narrow_ ? 4 : 8;
        out_.u32(type);
        out_.u32(static_cast<std::uint32_t>(kPolyFixedSize + points_.size() * point_size));
        out_.bytes.insert(out_.bytes.end(), bounds_, bounds_ + kBoundsSize);
        out_.u32(static_cast<std::uint32_t>(points_.size()));
        for (const Point& p : points_) {
            if (narrow_) {
                out_.u16(static_cast<std::uint16_t>(p.x));
                out_.u16(static_cast<std::uint16_t>(p.y));
            } else {
                out_.u32(static_cast<std::uint32_t>(p.x));
                out_.u32(static_cast<std::uint32_t>(p.y));
            }
        }
        ++out_.records;
        points_.clear();
    }

private:
    enum class Run { kLines, kCurves };

    void add(Run run, const Point& p) {
        if (run != run_) flush();
        run_ = run;
        points_.push_back(p);
    }

    Output& out_;
    const std::uint8_t* bounds_;
    bool narrow_;
    Run run_ = Run::kLines;
    std::vector<Point> points_;
    Point start_;
    bool started_ = false;
};

// One EMR_POLYDRAW16 (POINTS, 16-bit) or EMR_POLYDRAW (POINTL, `wide`):
// type, size, bounds, count, the points, then one type byte per point.
bool translate_polydraw(const std::uint8_t* record, std::uint32_t length, bool wide, bool in_path,
                        Output& out) {
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
            narrow = narrow && fits_16_bits(points[i]);
        } else {
            points[i].x = static_cast<std::int16_t>(at[0] | (at[1] << 8));
            points[i].y = static_cast<std::int16_t>(at[2] | (at[3] << 8));
        }
    }
    const std::uint8_t* types = record + kPolyFixedSize + points.size() * point_size;

    FigureWriter figures(out, record + kBoundsOffset, narrow);
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

    Output out;
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
            out.bytes.insert(out.bytes.end(), bytes + at, bytes + at + length);
            ++out.records;
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
