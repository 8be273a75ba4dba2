#include <gtest/gtest.h>

#include "render/preview_geometry.h"

namespace markomi {
namespace {

bool operator==(const PreviewRect& a, const PreviewRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(PreviewBox, FallsBackTo115By106BeforeTheUiFontIsMeasured) {
    const PreviewSize size = preview_box_size(UiFontMetrics{});
    EXPECT_EQ(size.width, 115);
    EXPECT_EQ(size.height, 106);
    const PreviewSize surface = scratch_surface_size(size);
    EXPECT_EQ(surface.width, 575);
    EXPECT_EQ(surface.height, 530);
    const PreviewOrigin origin = preview_box_origin(UiFontMetrics{});
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_TRUE(preview_frame_rect(size, origin) == (PreviewRect{-2, -2, 232, 214}));
}

TEST(PreviewBox, ScalesWithTheFontMetrics) {
    const UiFontMetrics m{7, 14};
    const PreviewSize size = preview_box_size(m);
    const PreviewOrigin origin = preview_box_origin(m);
    EXPECT_EQ(size.width, 134);   // trunc(134.4)
    EXPECT_EQ(size.height, 106);  // 105 made even
    EXPECT_EQ(origin.x, 29);      // trunc(29.4)
    EXPECT_EQ(origin.y, 16);      // trunc(15.4) = 15 made even
    EXPECT_TRUE(preview_box_rect(size, origin) == (PreviewRect{29, 16, 239, 196}));
    EXPECT_TRUE(preview_frame_rect(size, origin) == (PreviewRect{27, 14, 241, 198}));

    // W is never rounded; H and Y0 only when odd.
    EXPECT_EQ(preview_box_size(UiFontMetrics{6, 13}).width, 115);  // trunc(115.2)
    EXPECT_EQ(preview_box_size(UiFontMetrics{6, 13}).height, 98);  // trunc(97.5) = 97
    EXPECT_EQ(preview_box_size(UiFontMetrics{6, 16}).height, 120);
    EXPECT_EQ(preview_box_origin(UiFontMetrics{6, 13}).y, 14);     // trunc(14.3)
    EXPECT_EQ(preview_box_origin(UiFontMetrics{6, 10}).y, 12);     // 11 made even

    // Exact multiples: a single-precision 4.2 would truncate these one lower.
    EXPECT_EQ(preview_box_origin(UiFontMetrics{5, 0}).x, 21);
    EXPECT_EQ(preview_box_origin(UiFontMetrics{15, 0}).x, 63);
    EXPECT_EQ(preview_box_origin(UiFontMetrics{25, 0}).x, 105);
    EXPECT_EQ(preview_box_size(UiFontMetrics{5, 0}).width, 96);
}

TEST(PreviewBox, NextEvenKeepsTheSignOfTheRemainder) {
    EXPECT_EQ(next_even(0), 0);
    EXPECT_EQ(next_even(1), 2);
    EXPECT_EQ(next_even(2), 2);
    EXPECT_EQ(next_even(105), 106);
    EXPECT_EQ(next_even(-1), -1);
    EXPECT_EQ(next_even(-4), -4);
}

TEST(PreviewFrame, PenColoursDivideBeforeMultiplying) {
    FramePenColours pens = frame_pen_colours(0x00C0C0C0);
    EXPECT_EQ(pens.shadow, 0x00989898u);       // 152, where 192 × 4 / 5 would give 153
    EXPECT_EQ(pens.dark_shadow, 0x00727272u);  // 114, not 115
    EXPECT_EQ(pens.light, 0x00CCCCCCu);        // 192 + 63 / 5
    EXPECT_EQ(pens.highlight, 0x00FFFFFFu);

    pens = frame_pen_colours(0x00FF8010);  // r 16, g 128, b 255
    EXPECT_EQ(pens.shadow, 0x00CC640Cu);
    EXPECT_EQ(pens.dark_shadow, 0x00994B09u);
    EXPECT_EQ(pens.light, 0x00FF993Fu);
}

TEST(PreviewFrame, SunkenFrameStrokesInDrawingOrder) {
    const auto steps = sunken_frame_steps(PreviewRect{10, 20, 110, 220});
    const FrameStep expected[] = {
        {FramePen::kShadow, true, 10, 220},      {FramePen::kShadow, false, 10, 20},
        {FramePen::kShadow, false, 110, 20},     {FramePen::kHighlight, false, 110, 220},
        {FramePen::kHighlight, false, 10, 220},  {FramePen::kDarkShadow, true, 11, 219},
        {FramePen::kDarkShadow, false, 11, 21},  {FramePen::kDarkShadow, false, 109, 21},
        {FramePen::kLight, false, 109, 219},     {FramePen::kLight, false, 11, 219},
    };
    for (std::size_t k = 0; k < steps.size(); ++k) {
        EXPECT_EQ(steps[k].pen, expected[k].pen) << k;
        EXPECT_EQ(steps[k].move, expected[k].move) << k;
        EXPECT_EQ(steps[k].x, expected[k].x) << k;
        EXPECT_EQ(steps[k].y, expected[k].y) << k;
    }
}

TEST(PreviewScale, DividesTheResolutionBy96AsAFloat) {
    EXPECT_EQ(kSupersampleFactor, 2);
    EXPECT_EQ(preview_scale(96), 1.0f);
    EXPECT_EQ(preview_scale(144), 1.5f);
    EXPECT_EQ(preview_scale(120), 1.25f);
    EXPECT_EQ(metafile_scale(72), 0.75f);
    EXPECT_EQ(metafile_scale(100), 100.0f / 96.0f);
}

}  // namespace
}  // namespace markomi
