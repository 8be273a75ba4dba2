#pragma once
// Recovering a transparent picture from two opaque renderings of it: one
// over white and one over black. Where the drawing covers a pixel with
// alpha a in colour C, the two renderings hold C·a + 255·(1 − a) and C·a,
// so their difference gives the coverage and the black one the colour.
// The PNG writer draws through a device context (opaque) and makes its
// transparent image this way.
#include <cstddef>
#include <cstdint>

namespace markomi {

// The straight (not premultiplied) 0xAARRGGBB pixel of one spot, from its
// 0x00RRGGBB values over white and over black (the top bytes are ignored).
// alpha = 255 − the rounded mean of the three channel differences, clamped
// to 0..255; each colour channel = black × 255 / alpha rounded, at most 255.
// Fully transparent spots come out as transparent white, 0x00FFFFFF.
std::uint32_t matte_pixel(std::uint32_t over_white, std::uint32_t over_black);

// matte_pixel over `count` pixels into `argb` (which may be either input).
void matte_pixels(const std::uint32_t* over_white, const std::uint32_t* over_black,
                  std::uint32_t* argb, std::size_t count);

}  // namespace markomi
