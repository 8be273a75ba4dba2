#pragma once
// Reading the bytes of an enhanced metafile: whether it is one, its frame,
// and whether any record paints. The metafile pipeline uses this to find out
// whether GDI+ really records drawing (some GDI+ builds accept a recording
// but leave it empty) and to size the frame of a GDI-recorded metafile.
#include <cstddef>
#include <cstdint>

namespace markomi {

constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmrEof = 14;
// " EMF" read as a little-endian 32-bit value at offset 40 of the header.
constexpr std::uint32_t kEmfSignature = 0x464D4520;
constexpr std::size_t kEmfSignatureOffset = 40;

// A rectangle in the units of the header (device pixels for the bounds,
// hundredths of a millimetre for the frame), inclusive as GDI stores it.
struct EmfRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct EmfSummary {
    bool valid = false;               // header record, signature, sound record chain
    EmfRect frame;                    // rclFrame, hundredths of a millimetre
    std::uint32_t record_count = 0;   // records walked, header and EOF included
    std::uint32_t painting_records = 0;
    bool ends_with_eof = false;
};

// Whether a record of this type puts pixels on the target (lines, shapes,
// paths filled or stroked, regions, blits, text); state, objects, comments,
// header and EOF do not.
bool emf_record_paints(std::uint32_t type);

// Walks the records of `size` bytes. A chain that runs past the end, or a
// record size that is not a positive multiple of 4, makes it invalid.
EmfSummary summarize_emf(const std::uint8_t* bytes, std::size_t size);

// One side of a frame rectangle for CreateEnhMetaFile, in hundredths of a
// millimetre, for `pixels` of a device whose full extent is `device_mm`
// millimetres over `device_pixels` pixels (HORZSIZE / HORZRES), rounded.
// 0 when the device reports no size.
std::int32_t emf_frame_hundredths(std::int32_t pixels, std::int32_t device_mm,
                                  std::int32_t device_pixels);

// The inverse: `hundredths_mm` of a frame as pixels of that device, rounded.
// 0 when the device reports no size.
std::int32_t emf_frame_side_pixels(std::int32_t hundredths_mm, std::int32_t device_mm,
                                   std::int32_t device_pixels);

}  // namespace markomi
