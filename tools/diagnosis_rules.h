#pragma once
// The portable pieces of the companion's diagnosis (tools/diagnosis_win.h):
// what kinds of records a metafile holds, and the resolution a PNG file
// declares.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

namespace markomi {

// EMR_COMMENT, which carries the EMF+ records of a dual metafile.
constexpr std::uint32_t kEmrComment = 70;
// "EMF+" as the first 32-bit value of a comment's data.
constexpr std::uint32_t kEmfPlusCommentId = 0x2B464D45;

struct EmfRecordTally {
    bool complete = false;  // the chain was walked to its end without a broken record
    std::map<std::uint32_t, std::uint32_t> records;    // EMR type -> count
    std::map<std::uint16_t, std::uint32_t> emf_plus;   // EMF+ type inside comments -> count
};

// Counts the records of an enhanced metafile by type, and the EMF+ records
// inside its EMF+ comments. A record whose size is not a positive multiple
// of 4 or runs past the end stops the walk; what came before it is kept.
EmfRecordTally tally_emf_records(const std::uint8_t* bytes, std::size_t size);

// The name of a record type ("MOVETOEX", without the EMR_ prefix), or null
// for a type outside the table.
const char16_t* emf_record_name(std::uint32_t type);

// A PNG's pHYs chunk: pixels per unit and the unit (1: the metre).
struct PngPhysical {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint8_t unit = 0;
    // Dots per inch, for a chunk in pixels per metre; 0 otherwise.
    double dpi_x() const;
    double dpi_y() const;
};

// Walks the chunks after the signature up to the image data. Nullopt when
// the bytes are not a PNG or hold no pHYs chunk there.
std::optional<PngPhysical> png_physical(const std::uint8_t* bytes, std::size_t size);

}  // namespace markomi
