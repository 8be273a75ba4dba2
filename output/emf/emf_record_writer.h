#pragma once
// Appending enhanced metafile records to a byte buffer. Shared by the
// metafile writer and the POLYDRAW rewriter, so that the figure records both
// produce (MOVETOEX, runs of lines or curves) are laid out one way.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "output/emf/emf_records.h"

namespace markomi {

struct EmfPointL {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

bool emf_fits_16_bits(const EmfPointL& p);

class EmfRecordWriter {
public:
    std::vector<std::uint8_t> bytes;
    std::uint32_t records = 0;  // records appended, each counted once

    // Fields, appended little-endian; they do not count as records.
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void rect(const EmfRect& r);

    // A record whose body is 32-bit fields.
    void record(std::uint32_t type, std::initializer_list<std::uint32_t> fields = {});
    // A record copied as it stands.
    void copy(const std::uint8_t* record, std::size_t length);

    void move_to(const EmfPointL& p);
    // Lines (or curves, three points each) from the current position:
    // POLYLINETO16 / POLYBEZIERTO16 when `narrow`, else POLYLINETO /
    // POLYBEZIERTO. The caller checks that narrow points fit 16 bits.
    void poly_to(bool curves, const EmfRect& bounds, const std::vector<EmfPointL>& points,
                 bool narrow);
};

}  // namespace markomi
