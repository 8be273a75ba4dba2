#include <gtest/gtest.h>

#include "output/preview/preview_render_geometry.h"

namespace markomi {
namespace {

void expect_blit(const PreviewBlitRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

TEST(PreviewWork, FallbackBoxIsDrawnDoubledAndReducedOntoItself) {
    const PreviewWork w = preview_work(PreviewSize{115, 106}, PreviewOrigin{0, 0}, 2);
    EXPECT_EQ(w.centre.x, 230);
    EXPECT_EQ(w.centre.y, 212);
    EXPECT_EQ(w.work_box.left, 0);
    EXPECT_EQ(w.work_box.top, 0);
    EXPECT_EQ(w.work_box.right, 460);
    EXPECT_EQ(w.work_box.bottom, 424);
    EXPECT_EQ(w.bitmap_width, 460);
    EXPECT_EQ(w.bitmap_height, 424);
    expect_blit(w.source, 0, 0, 460, 424);
    // Halved, the stamp's centre lands on (W, H).
    expect_blit(w.target, 0, 0, 230, 212);
}

TEST(PreviewWork, TargetIsExactlyThePreviewBox) {
    const PreviewSize size{134, 106};
    const PreviewOrigin origin{29, 16};
    const PreviewWork w = preview_work(size, origin, 2);
    EXPECT_EQ(w.centre.x, 268);
    EXPECT_EQ(w.centre.y, 212);
    EXPECT_EQ(w.work_box.left, 58);
    EXPECT_EQ(w.work_box.top, 32);
    EXPECT_EQ(w.work_box.right, 478);
    EXPECT_EQ(w.work_box.bottom, 392);
    // The bitmap reaches the work box's right and bottom edges, from 0.
    EXPECT_EQ(w.bitmap_width, 478);
    EXPECT_EQ(w.bitmap_height, 392);
    expect_blit(w.source, 58, 32, 420, 360);
    const PreviewRect box = preview_box_rect(size, origin);
    expect_blit(w.target, box.left, box.top, box.right - box.left, box.bottom - box.top);
    // An odd origin still halves exactly: nothing outside the box is painted.
    const PreviewWork odd = preview_work(PreviewSize{115, 98}, PreviewOrigin{25, 15}, 2);
    expect_blit(odd.target, 25, 15, 180, 166);
}

TEST(PreviewSizes, DoubledAndScaledToTheCurrentResolution) {
    const SlotSizes stored{35, 1, -13, -13, -16};
    SlotSizes s = preview_slot_sizes(stored, false, preview_scale(96), 2);
    EXPECT_EQ(s.hankei, 70);
    EXPECT_EQ(s.thick, 1);
    EXPECT_EQ(s.busho_height, -26);
    EXPECT_EQ(s.name_height, -32);
    // 144 dpi: 1.5 times as large as at 96 dpi.
    s = preview_slot_sizes(stored, false, preview_scale(144), 2);
    EXPECT_EQ(s.hankei, 105);
    EXPECT_EQ(s.date_height, -39);
    EXPECT_EQ(s.name_height, -48);
    // With auto-fit the heights are scaled but not doubled, truncated toward zero.
    s = preview_slot_sizes(stored, true, preview_scale(144), 2);
    EXPECT_EQ(s.busho_height, -19);
    EXPECT_EQ(s.name_height, -24);
    // 120 dpi: thickness 3 doubles to 5, x 1.25 = 6.25 -> 6.
    EXPECT_EQ(preview_slot_sizes({35, 3, 0, 0, 0}, true, preview_scale(120), 2).thick, 6);
    // Single precision: the 100-dpi scale is a little under 100/96.
    EXPECT_EQ(preview_slot_sizes({60, 1, 0, 0, 0}, true, preview_scale(100), 2).hankei, 124);
}

TEST(PreviewShadow, AtLeastTheFactorAwayFromTheCentre) {
    EXPECT_EQ(preview_shadow_distance(1, 2), 2);
    EXPECT_EQ(preview_shadow_distance(2, 2), 2);
    EXPECT_EQ(preview_shadow_distance(19, 2), 19);
    const PreviewWork w = preview_work(PreviewSize{115, 106}, PreviewOrigin{0, 0}, 2);
    const PreviewPoint p = preview_shadow_centre(w, 4);
    EXPECT_EQ(p.x, 234);
    EXPECT_EQ(p.y, 216);
}

}  // namespace
}  // namespace markomi
