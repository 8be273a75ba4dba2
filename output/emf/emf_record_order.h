#pragma once
// Checking the records of an enhanced metafile for what readers draw
// differently. Some readers fill or stroke a path with the brush and pen
// current when the path began (or ended), not when it is painted; some
// ignore or misapply clipping, mapping modes, window and viewport origins
// and extents; several skip POLYDRAW. A metafile free of these draws the same
// everywhere.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace markomi {

struct EmfOrderFault {
    std::uint32_t record_index = 0;  // 0 is the header
    std::uint32_t type = 0;          // the record's type, 0 when unreadable
    std::string why;
};

// One fault per: FILLPATH / STROKEPATH / STROKEANDFILLPATH with a brush or
// pen created or selected between its BEGINPATH and it; clip record;
// SETMAPMODE; window or viewport origin or extent record; POLYDRAW /
// POLYDRAW16. A metafile that is not one, or whose record chain breaks,
// gives one fault for that (after those found before the break). Empty
// when none.
std::vector<EmfOrderFault> emf_record_order_faults(const std::uint8_t* bytes, std::size_t size);

}  // namespace markomi
