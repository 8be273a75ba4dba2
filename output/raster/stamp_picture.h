#pragma once
// The one picture of a bitmap stamp that every bitmap output takes: drawn
// once at twice the size with its transparency, cropped and halved, kept as
// premultiplied 0xAARRGGBB pixels and as the same drawing composited on
// white. The clipboard bitmap, the BMP and the JPEG take the latter; the PNG
// and CF_DIBV5 the straight form of the former.
// Also how a drawing over a key colour becomes such pixels where the
// platform draws without anti-aliasing (see stamp_picture_win.h).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace markomi {

struct StampPicture {
    int width = 0;
    int height = 0;         // rows of the image files
    int bitmap_height = 0;  // rows of the clipboard bitmap and the BMP: the first ones
    std::vector<std::uint32_t> pixels;    // premultiplied, rows top to bottom
    std::vector<std::uint32_t> on_white;  // opaque, the same rows
};

// Makes the picture's two forms from the sw x sh part of a premultiplied
// drawing at twice the size whose rows lie `stride` pixels apart: `pixels`
// by averaging each 2x2 block as it is (a transparent neighbour adds no
// colour, so an edge keeps the ink's colour with less alpha), `on_white` by
// averaging the block composited on white, which is to the last rounding
// what halving a drawing made over white gives. Sets width and height to
// half the part's; bitmap_height is the caller's.
void halve_picture(const std::uint32_t* drawing, int sw, int sh, int stride, StampPicture* picture);

// The straight pixel of a premultiplied one: each channel c·255/a rounded,
// at most 255. Fully transparent pixels come out as transparent white,
// 0x00FFFFFF, so a reader that ignores alpha sees the white background.
std::uint32_t straight_pixel(std::uint32_t premultiplied);

// The picture's straight pixels (all its rows).
std::vector<std::uint32_t> straight_pixels(const StampPicture& picture);

// A colour (0x00RRGGBB) that is none of `drawn` (0x00RRGGBB, top bytes
// ignored): the background of a drawing whose coverage is read back by
// colour.
std::uint32_t key_colour_outside(const std::vector<std::uint32_t>& drawn);

// A drawing over the key colour, read as 0x??RRGGBB, turned in place into
// premultiplied pixels: the key is transparent, every other colour opaque.
// Exact only where nothing was blended with the key (no anti-aliasing).
void keyed_to_premultiplied(std::uint32_t* pixels, std::size_t count, std::uint32_t key);

}  // namespace markomi
