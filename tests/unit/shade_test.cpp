#include <gtest/gtest.h>

#include <vector>

#include "render/shade.h"

namespace markomi {
namespace {

constexpr ColorRef kRed = 0x0000FF;
constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kBlack = 0x000000;

TEST(ShadeColour, ModeZeroReordersChannelsAndIsOpaque) {
    EXPECT_EQ(shade_colour(kRed, 0), 0xFFFF0000u);
    EXPECT_EQ(shade_colour(0x123456, 0), 0xFF563412u);
    EXPECT_EQ(argb_of(0x123456), 0xFF563412u);
    // A stray high byte in the settings value never reaches alpha.
    EXPECT_EQ(argb_of(0xAB0000FF), 0xFFFF0000u);
}

TEST(ShadeColour, RedInEveryMode) {
    EXPECT_EQ(shade_colour(kRed, 1), 0xFFFFCBCBu);
    EXPECT_EQ(shade_colour(kRed, 2), 0xFFFF9999u);
    EXPECT_EQ(shade_colour(kRed, 3), 0xFF7F0000u);
}

TEST(ShadeColour, WhiteDarkensToGreyForTheShadow) {
    EXPECT_EQ(shade_colour(kWhite, 0), 0xFFFFFFFFu);
    EXPECT_EQ(shade_colour(kWhite, 1), 0xFFD3D3D3u);
    EXPECT_EQ(shade_colour(kWhite, 2), 0xFFA8A8A8u);
    EXPECT_EQ(shade_colour(kWhite, 3), 0xFF7F7F7Fu);
}

TEST(ShadeColour, BlackLightensExceptInModeThree) {
    EXPECT_EQ(shade_colour(kBlack, 0), 0xFF000000u);
    EXPECT_EQ(shade_colour(kBlack, 1), 0xFFCBCBCBu);
    EXPECT_EQ(shade_colour(kBlack, 2), 0xFF999999u);
    EXPECT_EQ(shade_colour(kBlack, 3), 0xFF000000u);
}

TEST(ShadeColour, SinglePrecisionTruncation) {
    // Exact arithmetic would give 204 and 205; single precision lands just
    // below and truncates.
    EXPECT_EQ(shade_colour(0x000000, 1) & 0xFFu, 203u);
    EXPECT_EQ(shade_colour(0x050505, 1), 0xFFCCCCCCu);
    // 1.6f - 1 lies just above 0.6, so mode 2 keeps the whole values.
    EXPECT_EQ(shade_colour(0x050505, 2), 0xFF9B9B9Bu);
    // Halving truncates: 127.5 -> 127, 1.5 -> 1.
    EXPECT_EQ(shade_colour(0x0003FF, 3), 0xFF7F0100u);
}

TEST(ShadeColour, ModesOutsideTheTableTakeThePaleTint) {
    for (int mode : {4, 9, -1}) {
        EXPECT_EQ(shade_factor(mode, kRed), 1.8f) << mode;
        EXPECT_EQ(shade_factor(mode, kWhite), 1.8f) << mode;
        EXPECT_EQ(shade_colour(kRed, mode), 0xFFFFCBCBu) << mode;
        EXPECT_EQ(shade_colour(kWhite, mode), 0xFFFFFFFFu) << mode;
    }
}

TEST(ShadeFactor, OnlyExactWhiteGetsTheDarkTints) {
    EXPECT_EQ(shade_factor(0, kWhite), 1.0f);
    EXPECT_EQ(shade_factor(1, kWhite), 0.83f);
    EXPECT_EQ(shade_factor(2, kWhite), 0.66f);
    EXPECT_EQ(shade_factor(3, kWhite), 0.5f);
    EXPECT_EQ(shade_factor(1, 0xFFFFFE), 1.8f);
    EXPECT_EQ(shade_factor(2, 0xFFFFFE), 1.6f);
    EXPECT_EQ(shade_factor(3, 0xFFFFFE), 0.5f);
    // Almost white lightens toward white instead of turning grey.
    EXPECT_EQ(shade_colour(0xFFFFFE, 1), 0xFFFEFFFFu);
}

TEST(ShadowPass, RunsOnlyForPositiveModes) {
    EXPECT_FALSE(has_shadow_pass(0));
    EXPECT_FALSE(has_shadow_pass(-1));
    EXPECT_TRUE(has_shadow_pass(1));
    EXPECT_TRUE(has_shadow_pass(3));
    EXPECT_TRUE(has_shadow_pass(9));
}

TEST(ShadowPass, DistanceIsTheDrawnThicknessButAtLeastTheSupersampleFactor) {
    // Thickness 1 doubled minus one is 1: the factor 2 wins.
    EXPECT_EQ(shadow_distance(2 * 1 - 1, 2), 2);
    EXPECT_EQ(shadow_distance(2, 2), 2);
    EXPECT_EQ(shadow_distance(3, 2), 3);
    // Thickness 10 doubled minus one.
    EXPECT_EQ(shadow_distance(2 * 10 - 1, 2), 19);
}

TEST(ShadowPass, ShadowFirstThenTheStampInModeZero) {
    const std::vector<RenderPass> flat = stamp_passes(0, 2);
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_EQ(flat[0].dx, 0);
    EXPECT_EQ(flat[0].dy, 0);
    EXPECT_EQ(flat[0].shade_mode, 0);

    const std::vector<RenderPass> raised = stamp_passes(3, 19);
    ASSERT_EQ(raised.size(), 2u);
    EXPECT_EQ(raised[0].dx, 19);
    EXPECT_EQ(raised[0].dy, 19);
    EXPECT_EQ(raised[0].shade_mode, 3);
    EXPECT_EQ(raised[1].dx, 0);
    EXPECT_EQ(raised[1].dy, 0);
    EXPECT_EQ(raised[1].shade_mode, 0);

    EXPECT_EQ(stamp_passes(-2, 2).size(), 1u);
}

}  // namespace
}  // namespace markomi
