#include "output/emf/emf_record_writer.h"

#include <limits>

namespace markomi {

namespace {

constexpr std::uint32_t kPolyFixedSize = 28;  // type, size, bounds, point count

}  // namespace

bool emf_fits_16_bits(const EmfPointL& p) {
    return p.x >= std::numeric_limits<std::int16_t>::min() &&
           p.x <= std::numeric_limits<std::int16_t>::max() &&
           p.y >= std::numeric_limits<std::int16_t>::min() &&
           p.y <= std::numeric_limits<std::int16_t>::max();
}

void EmfRecordWriter::u16(std::uint16_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
}

void EmfRecordWriter::u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

void EmfRecordWriter::rect(const EmfRect& r) {
    i32(r.left);
    i32(r.top);
    i32(r.right);
    i32(r.bottom);
}

void EmfRecordWriter::record(std::uint32_t type, std::initializer_list<std::uint32_t> fields) {
    u32(type);
    u32(static_cast<std::uint32_t>(8 + 4 * fields.size()));
    for (std::uint32_t v : fields) u32(v);
    ++records;
}

void EmfRecordWriter::copy(const std::uint8_t* record, std::size_t length) {
    bytes.insert(bytes.end(), record, record + length);
    ++records;
}

void EmfRecordWriter::move_to(const EmfPointL& p) {
    record(kEmrMoveToEx, {static_cast<std::uint32_t>(p.x), static_cast<std::uint32_t>(p.y)});
}

void EmfRecordWriter::poly_to(bool curves, const EmfRect& bounds,
                              const std::vector<EmfPointL>& points, bool narrow) {
    const std::uint32_t type = narrow ? (curves ? kEmrPolyBezierTo16 : kEmrPolyLineTo16)
                                      : (curves ? kEmrPolyBezierTo : kEmrPolyLineTo);
    const std::size_t point_size = narrow ? 4 : 8;
    u32(type);
    u32(static_cast<std::uint32_t>(kPolyFixedSize + points.size() * point_size));
    rect(bounds);
    u32(static_cast<std::uint32_t>(points.size()));
    for (const EmfPointL& p : points) {
        if (narrow) {
            u16(static_cast<std::uint16_t>(p.x));
            u16(static_cast<std::uint16_t>(p.y));
        } else {
            i32(p.x);
            i32(p.y);
        }
    }
    ++records;
}

}  // namespace markomi
