#pragma once
// The resolution every image of the stamp declares. Readers that find none
// assume their screen's, and would place the picture at another size than
// the metafile, which is measured at 96 dpi.
#include <cstdint>

namespace markomi {

constexpr int kImageDpi = 96;
// The finest resolution an image of the stamp is made at on request.
constexpr int kLargestImageDpi = 1200;
// The per-metre fields of BMP, DIB and PNG headers: dpi / 0.0254, rounded.
constexpr std::uint32_t pixels_per_metre(int dpi) {
    return (static_cast<std::uint32_t>(dpi) * 10000u + 127u) / 254u;
}
constexpr std::uint32_t kImagePixelsPerMetre = pixels_per_metre(kImageDpi);
static_assert(kImagePixelsPerMetre == 3780, "96 dpi is 3780 pixels a metre");

}  // namespace markomi
