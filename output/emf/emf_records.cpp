#include "output/emf/emf_records.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/little_endian.h"

namespace markomi {

namespace {

std::int32_t read_i32(const std::uint8_t* p) { return static_cast<std::int32_t>(read_u32(p)); }

// Rounded and saturated: the sides come from headers of any maker.
std::int32_t rounded_i32(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<std::int32_t>(std::round(std::clamp(
        v, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
        static_cast<double>(std::numeric_limits<std::int32_t>::max()))));
}

constexpr std::size_t kHeaderMinimumSize = 88;  // the smallest EMR_HEADER a metafile may have
constexpr std::size_t kFrameOffset = 24;

}  // namespace

bool emf_record_paints(std::uint32_t type) {
    switch (type) {
        case 2: case 3: case 4: case 5: case 6: case 7: case 8:  // poly shapes and lines
        case 15:                                                   // SETPIXELV
        case 41: case 42: case 43: case 44: case 45: case 46: case 47:  // arcs, ellipse, rect …
        case 53: case 54: case 55: case 56:                        // flood fill, LINETO, ARCTO, POLYDRAW
        case 62: case 63: case 64:                                 // fill / stroke path
        case 71: case 72: case 73: case 74:                        // regions
        case 76: case 77: case 78: case 79: case 80: case 81:      // blits and DIBs
        case 83: case 84:                                          // EXTTEXTOUT
        case 85: case 86: case 87: case 88: case 89: case 90: case 91: case 92:  // the 16-bit polys
        case 96: case 97:                                          // POLYTEXTOUT
        case 114: case 116: case 118:                              // alpha, transparent, gradient
            return true;
        default:
            return false;
    }
}

EmfSummary summarize_emf(const std::uint8_t* bytes, std::size_t size) {
    EmfSummary s;
    if (!bytes || size < kHeaderMinimumSize) return s;
    if (read_u32(bytes) != kEmrHeader) return s;
    if (read_u32(bytes + kEmfSignatureOffset) != kEmfSignature) return s;
    s.frame.left = read_i32(bytes + kFrameOffset);
    s.frame.top = read_i32(bytes + kFrameOffset + 4);
    s.frame.right = read_i32(bytes + kFrameOffset + 8);
    s.frame.bottom = read_i32(bytes + kFrameOffset + 12);

    std::size_t at = 0;
    std::uint32_t last_type = 0;
    while (at < size) {
        if (size - at < 8) return s;
        const std::uint32_t type = read_u32(bytes + at);
        const std::uint32_t length = read_u32(bytes + at + 4);
        if (length < 8 || length % 4 != 0 || length > size - at) return s;
        ++s.record_count;
        if (emf_record_paints(type)) ++s.painting_records;
        last_type = type;
        at += length;
    }
    s.ends_with_eof = last_type == kEmrEof;
    s.valid = true;
    return s;
}

std::int32_t emf_frame_hundredths(std::int32_t pixels, std::int32_t device_mm,
                                  std::int32_t device_pixels) {
    if (device_mm <= 0 || device_pixels <= 0) return 0;
    return rounded_i32(static_cast<double>(pixels) * device_mm * 100.0 / device_pixels);
}

std::int32_t emf_frame_side_pixels(std::int32_t hundredths_mm, std::int32_t device_mm,
                                   std::int32_t device_pixels) {
    if (device_mm <= 0 || device_pixels <= 0) return 0;
    return rounded_i32(static_cast<double>(hundredths_mm) * device_pixels / (device_mm * 100.0));
}

}  // namespace markomi
