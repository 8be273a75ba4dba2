#include "output/raster/stamp_picture.h"

#include <algorithm>
#include <array>

namespace markomi {
namespace {

constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;
constexpr std::uint32_t kTransparentWhite = 0x00FFFFFFu;

}  // namespace

std::uint32_t straight_pixel(std::uint32_t premultiplied) {
    const std::uint32_t a = premultiplied >> 24;
    if (a == 0) return kTransparentWhite;
    auto channel = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
    return a << 24 | channel((premultiplied >> 16) & 0xFF) << 16 |
           channel((premultiplied >> 8) & 0xFF) << 8 | channel(premultiplied & 0xFF);
}

std::vector<std::uint32_t> straight_pixels(const StampPicture& picture) {
    std::vector<std::uint32_t> out(picture.pixels.size());
    std::transform(picture.pixels.begin(), picture.pixels.end(), out.begin(), straight_pixel);
    return out;
}

void halve_picture(const std::uint32_t* drawing, int sw, int sh, int stride, StampPicture* picture) {
    picture->width = sw / 2;
    picture->height = sh / 2;
    const std::size_t count = static_cast<std::size_t>(picture->width) * picture->height;
    picture->pixels.resize(count);
    picture->on_white.resize(count);
    // Each block's channel sums, two channels at a time in 16 bits of their
    // own (at most 4 x 255), give both forms: the premultiplied mean, and the
    // mean on white, c + 255 - a summed over the block (premultiplied colour
    // never exceeds its alpha, so no pixel on white needs clamping).
    constexpr std::uint32_t kLanes = 0x00FF00FFu, kHalfOfFour = 0x00020002u;
    for (int y = 0; y < picture->height; ++y) {
        const std::uint32_t* row0 = drawing + static_cast<std::size_t>(2 * y) * stride;
        const std::uint32_t* row1 = row0 + stride;
        std::uint32_t* out = picture->pixels.data() + static_cast<std::size_t>(y) * picture->width;
        std::uint32_t* white = picture->on_white.data() + static_cast<std::size_t>(y) * picture->width;
        for (int x = 0; x < picture->width; ++x) {
            const std::uint32_t a = row0[2 * x], b = row0[2 * x + 1], c = row1[2 * x], d = row1[2 * x + 1];
            const std::uint32_t blue_red = (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes);
            const std::uint32_t green_alpha =
                ((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) + ((d >> 8) & kLanes);
            out[x] = (((blue_red + kHalfOfFour) >> 2) & kLanes) |
                     ((((green_alpha + kHalfOfFour) >> 2) & kLanes) << 8);
            const std::uint32_t uncovered = 4 * 255 - (green_alpha >> 16) + 2;
            const std::uint32_t blue = ((blue_red & 0xFFFF) + uncovered) >> 2;
            const std::uint32_t green = ((green_alpha & 0xFFFF) + uncovered) >> 2;
            const std::uint32_t red = ((blue_red >> 16) + uncovered) >> 2;
            white[x] = 0xFF000000u | red << 16 | green << 8 | blue;
        }
    }
}

std::uint32_t key_colour_outside(const std::vector<std::uint32_t>& drawn) {
    // Colours no one picks for a stamp come first. A stamp draws at most
    // eight colours (four and their shadow tints), so one of nine is free.
    constexpr std::array<std::uint32_t, 9> kCandidates{0x01FE02, 0xFE03FD, 0x04FDFC, 0xFB05FA, 0x06F907,
                                                      0x7F087F, 0x097E0A, 0x0B0C7D, 0x7C7B0D};
    for (std::uint32_t key : kCandidates)
        if (std::none_of(drawn.begin(), drawn.end(),
                         [key](std::uint32_t c) { return (c & kRgbMask) == key; }))
            return key;
    // More colours than candidates: the first value none of them has.
    std::vector<std::uint32_t> sorted(drawn.size());
    std::transform(drawn.begin(), drawn.end(), sorted.begin(), [](std::uint32_t c) { return c & kRgbMask; });
    std::sort(sorted.begin(), sorted.end());
    std::uint32_t key = 0;
    for (std::uint32_t c : sorted)
        if (c == key) ++key;
    return key;
}

void keyed_to_premultiplied(std::uint32_t* pixels, std::size_t count, std::uint32_t key) {
    key &= kRgbMask;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t rgb = pixels[i] & kRgbMask;
        pixels[i] = rgb == key ? 0u : 0xFF000000u | rgb;
    }
}

}  // namespace markomi
