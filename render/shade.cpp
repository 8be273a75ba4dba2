#include "render/shade.h"

namespace markomi {
namespace {

constexpr ColorRef kWhite = 0xFFFFFF;

// Truncated and capped at 255. A factor below 1 never goes negative, and the
// move toward white stays within 0..255 for factors up to 2, so the cap only
// matters as a guard.
std::uint32_t shade_channel(std::uint32_t c, float f) {
    const float channel = static_cast<float>(c);
    float shaded;
    if (f > 1.0f) {
        // f - 1 in single precision: 1.8f - 1 is 0.79999995f.
        const float toward_white = f - 1.0f;
        shaded = (255.0f - channel) * toward_white + channel;
    } else {
        shaded = channel * f;
    }
    const std::uint32_t v = static_cast<std::uint32_t>(shaded);
    return v > 255u ? 255u : v;
}

}  // namespace

Argb argb_of(ColorRef colour) {
    const std::uint32_t r = colour & 0xFFu;
    const std::uint32_t g = (colour >> 8) & 0xFFu;
    const std::uint32_t b = (colour >> 16) & 0xFFu;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

float shade_factor(int mode, ColorRef colour) {
    const bool white = colour == kWhite;
    switch (mode) {
        case 0:
            return 1.0f;
        case 1:
            return white ? 0.83f : 1.8f;
        case 2:
            return white ? 0.66f : 1.6f;
        case 3:
            return 0.5f;
        default:
            return 1.8f;
    }
}

Argb shade_colour(ColorRef colour, int mode) {
    if (mode == kShadeNone) return argb_of(colour);
    const float f = shade_factor(mode, colour);
    const std::uint32_t r = shade_channel(colour & 0xFFu, f);
    const std::uint32_t g = shade_channel((colour >> 8) & 0xFFu, f);
    const std::uint32_t b = shade_channel((colour >> 16) & 0xFFu, f);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

bool has_shadow_pass(int shadow) {
    return shadow > 0;
}

int shadow_distance(int scaled_thick, int supersample_factor) {
    return scaled_thick > supersample_factor ? scaled_thick : supersample_factor;
}

std::vector<RenderPass> stamp_passes(int shadow, int distance) {
    std::vector<RenderPass> passes;
    if (has_shadow_pass(shadow)) passes.push_back(RenderPass{distance, distance, shadow});
    passes.push_back(RenderPass{0, 0, kShadeNone});
    return passes;
}

}  // namespace markomi
