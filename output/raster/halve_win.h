#pragma once
// The 2:1 reduction of the output pipelines on GDI bitmaps (see halve.h).
#include <windows.h>

#include <cstdint>
#include <vector>

namespace markomi {

// The pixels of rectangle (x, y, w, h) of `bitmap` (which no DC may hold
// while this runs) as 0xAARRGGBB rows, halved. Empty when they could not be read.
std::vector<std::uint32_t> halved_pixels(HDC reference_dc, HBITMAP bitmap, int bitmap_width,
                                         int bitmap_height, int x, int y, int w, int h);

// A bitmap compatible with `reference_dc` holding `pixels` (w x h); null
// when there are fewer pixels (none: they could not be read) or they could
// not be set, so no blank bitmap passes for a picture.
HBITMAP bitmap_from_pixels(HDC reference_dc, const std::vector<std::uint32_t>& pixels, int w, int h);

// Draws `pixels` (w x h) onto `target` at (x, y).
void draw_pixels(HDC target, const std::vector<std::uint32_t>& pixels, int x, int y, int w, int h);

}  // namespace markomi
