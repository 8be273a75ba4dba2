#pragma once
// The resolution every image of the stamp declares. Readers that find none
// assume their screen's, and would place the picture at another size than
// the metafile, which is measured at 96 dpi.
#include <cstdint>

namespace markomi {

constexpr int kImageDpi = 96;
// 96 / 0.0254, rounded: the per-metre fields of BMP, DIB and PNG headers.
constexpr std::uint32_t kImagePixelsPerMetre = 3780;

}  // namespace markomi
