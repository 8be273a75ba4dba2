#pragma once
// The bytes of a packed device-independent bitmap with a version-5 header
// and an alpha channel, as the clipboard's CF_DIBV5 format holds it: a
// 124-byte BITMAPV5HEADER, then 32-bit pixels, rows bottom-up. The colour
// masks live inside the header, so nothing comes between it and the pixels.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace markomi {

constexpr std::uint32_t kDibV5HeaderSize = 124;
constexpr std::uint32_t kDibV5RedMask = 0x00FF0000u;
constexpr std::uint32_t kDibV5GreenMask = 0x0000FF00u;
constexpr std::uint32_t kDibV5BlueMask = 0x000000FFu;
constexpr std::uint32_t kDibV5AlphaMask = 0xFF000000u;
constexpr std::uint32_t kDibV5BitFields = 3;           // BI_BITFIELDS
constexpr std::uint32_t kDibV5ColorSpaceSrgb = 0x73524742u;  // LCS_sRGB, 'sRGB'
constexpr std::uint32_t kDibV5IntentImages = 4;        // LCS_GM_IMAGES

// The whole CF_DIBV5 block of a w x h picture given as 0xAARRGGBB words,
// rows top to bottom: header (size 124, w, positive h, 1 plane, 32 bits,
// BI_BITFIELDS, image size 4wh, resolutions 3780 pixels per metre (96 dpi),
// colour counts 0, the four masks above, sRGB colour space, image intent,
// no profile), then the rows from the bottom one up, each pixel the little-endian word as given (blue,
// green, red, alpha). The pixels are stored as they come: the caller
// decides what alpha means. Empty for a size that is not positive, a pixel
// count other than w x h, or a block that would not fit 32-bit sizes.
std::vector<std::uint8_t> dib_v5_bytes(const std::vector<std::uint32_t>& argb, std::int32_t width,
                                       std::int32_t height);

}  // namespace markomi
