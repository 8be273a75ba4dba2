#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "output/emf/metafile_geometry.h"
#include "render/preview_geometry.h"

namespace markomi {
namespace {

void expect_canvas(const WorkingCanvas& k, int cx, int cy, int cw, int ch) {
    EXPECT_EQ(k.cx, cx);
    EXPECT_EQ(k.cy, cy);
    EXPECT_EQ(k.width, cw);
    EXPECT_EQ(k.height, ch);
}

void expect_sizes(const SlotSizes& s, int hankei, int thick, int busho, int date, int name) {
    EXPECT_EQ(s.hankei, hankei);
    EXPECT_EQ(s.thick, thick);
    EXPECT_EQ(s.busho_height, busho);
    EXPECT_EQ(s.date_height, date);
    EXPECT_EQ(s.name_height, name);
}

const SlotSizes kDefaultSizes{35, 1, -13, -13, -16};

// Header resolutions as a probe may find them: a real device's, and what a
// header GDI+ has not filled in yet holds (zeros, garbage). Any axis without
// a believable ratio leaves both at 1.0, so the frame is never 0 x 0, huge
// or stretched on one axis.
TEST(MetafileRatio, HeaderResolutionOverReferenceOnlyWhenBelievable) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        std::optional<ProbeResolution> header;
        int reference_x, reference_y;
        float kx, ky;
    } cases[] = {
        {"same resolution", ProbeResolution{96.0f, 96.0f}, 96, 96, 1.0f, 1.0f},
        {"144 over 96 stays 1.5", ProbeResolution{144.0f, 144.0f}, 96, 96, 1.5f, 1.5f},
        {"each axis its own", ProbeResolution{96.0f, 72.0f}, 120, 96, 96.0f / 120.0f, 0.75f},
        {"bounds 1/8 and 8 are kept", ProbeResolution{12.0f, 768.0f}, 96, 96, 0.125f, 8.0f},
        {"no header", std::nullopt, 120, 120, 1.0f, 1.0f},
        {"zero header", ProbeResolution{0.0f, 0.0f}, 96, 96, 1.0f, 1.0f},
        {"NaN header", ProbeResolution{nan, nan}, 96, 96, 1.0f, 1.0f},
        {"infinite header", ProbeResolution{inf, 96.0f}, 96, 96, 1.0f, 1.0f},
        {"1e38 header", ProbeResolution{1e38f, 1e38f}, 96, 96, 1.0f, 1.0f},
        {"negative header", ProbeResolution{-96.0f, -96.0f}, 96, 96, 1.0f, 1.0f},
        {"1e-30 header", ProbeResolution{1e-30f, 1e-30f}, 96, 96, 1.0f, 1.0f},
        {"just beyond 8", ProbeResolution{96.0f, 769.0f}, 96, 96, 1.0f, 1.0f},
        {"just below 1/8", ProbeResolution{11.9f, 96.0f}, 96, 96, 1.0f, 1.0f},
        {"one axis zero, the other sound", ProbeResolution{0.0f, 144.0f}, 96, 96, 1.0f, 1.0f},
        {"zero reference", ProbeResolution{96.0f, 96.0f}, 0, 192, 1.0f, 1.0f},
        {"negative reference", ProbeResolution{96.0f, 96.0f}, 96, -96, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MetafileRatio r = metafile_resolution_ratio(c.header, c.reference_x, c.reference_y);
        EXPECT_EQ(r.kx, c.kx);
        EXPECT_EQ(r.ky, c.ky);
    }
    EXPECT_EQ(kMetafileProbeFrameSize, 10);
}

TEST(MetafileCanvas, TakenAtTheStoredSizeWithoutBlankPixels) {
    // Slot 1 at radius 35, thickness 1: c = 1, centre (36, 36), 72 x 72.
    expect_canvas(metafile_canvas(CanvasShape::kCircle, 35, 1, 9), 36, 36, 72, 72);
    expect_canvas(metafile_canvas(CanvasShape::kCircle, 80, 10, 3), 85, 85, 170, 170);
    expect_canvas(metafile_canvas(CanvasShape::kCircle, 50, 3, 8), 52, 52, 104, 104);  // c = 2
    expect_canvas(metafile_canvas(CanvasShape::kFlower, 35, 1, 9), 47, 47, 94, 94);
    expect_canvas(metafile_canvas(CanvasShape::kFlower, 80, 10, 3), 154, 154, 308, 308);
    expect_canvas(metafile_canvas(CanvasShape::kPointed, 35, 1, 9), 45, 45, 90, 90);
    expect_canvas(metafile_canvas(CanvasShape::kPointed, 20, 2, 20), 23, 23, 46, 46);
    expect_canvas(metafile_canvas(CanvasShape::kInsect, 35, 1, 9), 47, 40, 94, 76);
    expect_canvas(metafile_canvas(CanvasShape::kInsect, 80, 10, 3), 111, 94, 222, 179);
}

TEST(MetafileCanvas, AnimalKeepsItsMarginsAndCountsTheWholeThickness) {
    expect_canvas(metafile_canvas(CanvasShape::kAnimal, 35, 1, 9), 44, 50, 88, 88);
    // Y uses the stored thickness 3, not its half 2: with c it would be 67 high.
    expect_canvas(metafile_canvas(CanvasShape::kAnimal, 50, 3, 8), 59, 68, 117, 122);
    // Three ears: the ring's own extent R + 1 + c = 86 wins for X.
    expect_canvas(metafile_canvas(CanvasShape::kAnimal, 80, 10, 3), 88, 89, 175, 176);
}

TEST(MetafileCanvas, OrnamentCountIsKeptWithinItsRange) {
    const WorkingCanvas low = metafile_canvas(CanvasShape::kFlower, 35, 1, 0);
    const WorkingCanvas three = metafile_canvas(CanvasShape::kFlower, 35, 1, 3);
    EXPECT_EQ(low.cx, three.cx);
    const WorkingCanvas high = metafile_canvas(CanvasShape::kPointed, 35, 1, 99);
    const WorkingCanvas twenty = metafile_canvas(CanvasShape::kPointed, 35, 1, 20);
    EXPECT_EQ(high.cx, twenty.cx);
}

TEST(MetafileLayout, NormalDesignGetsOneMoreBorderPixel) {
    const WorkingCanvas canvas{36, 36, 72, 72};
    const InkMargins margins{2, 3, 4, 5};
    const MetafileLayout normal = metafile_layout(0, canvas, margins, false, 1);
    EXPECT_EQ(normal.px, 35);  // 36 - 2 + 1
    EXPECT_EQ(normal.py, 34);  // 36 - 3 + 1
    EXPECT_EQ(normal.work_width, 69);   // 72 - 4 - 2 + 3
    EXPECT_EQ(normal.work_height, 67);  // 72 - 5 - 3 + 3
    for (int slot = 1; slot < kSlotCount; ++slot) {
        const MetafileLayout other = metafile_layout(slot, canvas, margins, false, 1);
        EXPECT_EQ(other.work_width, 68);
        EXPECT_EQ(other.work_height, 66);
        EXPECT_EQ(other.px, 35);
    }
}

TEST(MetafileLayout, ShadowGrowsByTheStoredThickness) {
    const WorkingCanvas canvas{36, 36, 72, 72};
    const MetafileLayout l = metafile_layout(3, canvas, InkMargins{}, true, 7);
    EXPECT_EQ(l.work_width, 81);  // 72 + 2 + 7
    EXPECT_EQ(l.work_height, 81);
    EXPECT_EQ(l.px, 37);
}

TEST(MetafileFrame, AtNinetySixDpiItIsTheWorkSize) {
    const MetafileLayout l{35, 34, 69, 67};
    const MetafileFrame f = metafile_frame(l, metafile_scale(96), MetafileRatio{});
    EXPECT_EQ(f.x, 0);
    EXPECT_EQ(f.y, 0);
    EXPECT_EQ(f.width, 69);
    EXPECT_EQ(f.height, 67);
}

TEST(MetafileFrame, TruncatesAfterEachSinglePrecisionStep) {
    // 75 x 1.25 = 93.75 -> 93, x 2 = 186; one rounding at the end would give 187.
    EXPECT_EQ(metafile_frame_extent(75, 1.25f, 2.0f), 186);
    // 100 dpi: m = 1.0416666f is just below 100/96, so 120 x m truncates to 124.
    EXPECT_EQ(metafile_frame_extent(120, metafile_scale(100), 1.0f), 124);
    EXPECT_EQ(metafile_frame_extent(54, metafile_scale(112), 1.0f), 62);
    const MetafileFrame f = metafile_frame(MetafileLayout{0, 0, 73, 72}, metafile_scale(144),
                                           MetafileRatio{0.8f, 1.0f});
    EXPECT_EQ(f.width, 87);    // 109.5 -> 109, x 0.8 = 87.2
    EXPECT_EQ(f.height, 108);
}

TEST(MetafileScaling, DoublesThenScalesByTheStartUpResolution) {
    // 96 dpi, no auto-fit: the doubled sizes.
    expect_sizes(supersampled_slot_sizes(kDefaultSizes, false, 2.0f, metafile_scale(96)), 70, 1,
                 -26, -26, -32);
    // 144 dpi: everything 1.5 times the doubled size, truncated toward zero.
    expect_sizes(supersampled_slot_sizes(kDefaultSizes, false, 2.0f, metafile_scale(144)), 105, 1,
                 -39, -39, -48);
    // With auto-fit the heights are not doubled but still scaled: -19.5 -> -19.
    expect_sizes(supersampled_slot_sizes(kDefaultSizes, true, 2.0f, metafile_scale(144)), 105, 1,
                 -19, -19, -24);
    // Thickness 2 doubles to 3, not 4.
    EXPECT_EQ(supersampled_slot_sizes({35, 2, 0, 0, 0}, true, 2.0f, 1.0f).thick, 3);
    EXPECT_EQ(supersampled_slot_sizes({35, 10, 0, 0, 0}, true, 2.0f, metafile_scale(144)).thick, 28);
    // Single precision at 100 dpi: radius 60 doubles to 120 and scales to 124, not 125.
    EXPECT_EQ(supersampled_slot_sizes({60, 1, 0, 0, 0}, true, 2.0f, metafile_scale(100)).hankei, 124);
}

TEST(MetafileScaling, CentreShadowAndWorldTransform) {
    EXPECT_EQ(metafile_centre(35, 2.0f, 1.0f), 70);
    EXPECT_EQ(metafile_centre(35, 2.0f, 1.5f), 105);
    EXPECT_EQ(metafile_centre(37, 2.0f, 1.25f), 92);   // 74 x 1.25 = 92.5
    EXPECT_EQ(metafile_centre(60, 2.0f, metafile_scale(100)), 124);
    // d is the scaled thickness, but at least the factor.
    EXPECT_EQ(metafile_shadow_distance(1, 2.0f), 2);
    EXPECT_EQ(metafile_shadow_distance(2, 2.0f), 2);
    EXPECT_EQ(metafile_shadow_distance(3, 2.0f), 3);
    const WorldScale w = metafile_world_scale(MetafileRatio{0.8f, 1.0f}, 2.0f);
    EXPECT_EQ(w.x, 0.4f);
    EXPECT_EQ(w.y, 0.5f);
}

TEST(MetafileScaling, DrawingCombinesTheSteps) {
    const MetafileLayout layout{35, 34, 69, 67};
    const MetafileDrawing d =
        metafile_drawing({35, 2, -13, -13, -16}, false, layout, MetafileRatio{}, metafile_scale(144));
    expect_sizes(d.sizes, 105, 4, -39, -39, -48);  // thickness 2 x 2 - 1 = 3, x 1.5 = 4.5
    EXPECT_EQ(d.px, 105);
    EXPECT_EQ(d.py, 102);
    EXPECT_EQ(d.shadow_distance, 4);
    EXPECT_EQ(d.world.x, 0.5f);
    EXPECT_EQ(d.world.y, 0.5f);
}

TEST(MetafileSettings, SavedSizesComeBackAsTheRulesSay) {
    SlotSettings slot;
    const SlotSizes saved = slot_sizes_of(slot);
    expect_sizes(saved, 35, 1, -13, -13, -16);
    write_slot_sizes(slot, {105, 1, -39, -38, -48});
    EXPECT_EQ(slot.frame.hankei, 105);
    EXPECT_EQ(slot.date.height, -38);
    EXPECT_EQ(slot.name.height, -48);

    SlotSettings fitted = slot;
    restore_slot_sizes(fitted, saved, false);
    expect_sizes(slot_sizes_of(fitted), 35, 1, -39, -38, -48);
    restore_slot_sizes(slot, saved, true);
    expect_sizes(slot_sizes_of(slot), 35, 1, -13, -13, -16);

    EXPECT_TRUE(metafile_restores_heights(false, true));
    EXPECT_FALSE(metafile_restores_heights(true, true));
    EXPECT_TRUE(metafile_restores_heights(true, false));
    EXPECT_TRUE(metafile_restores_heights(false, false));
}

}  // namespace
}  // namespace markomi
