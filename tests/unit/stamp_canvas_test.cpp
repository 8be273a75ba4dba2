#include <gtest/gtest.h>

#include "output/canvas/stamp_canvas.h"

namespace markomi {
namespace {

TEST(ScaledGeometry, DoublesRadiusAndThinsTheLineByOne) {
    ScaledGeometry g = scaled_geometry(35, 1, 2);
    EXPECT_EQ(g.radius, 70);
    EXPECT_EQ(g.thick, 1);
    EXPECT_EQ(g.half_thick, 1);
    EXPECT_EQ(g.shadow_distance, 2);
    ScaledGeometry thick = scaled_geometry(80, 10, 2);
    EXPECT_EQ(thick.thick, 19);
    EXPECT_EQ(thick.half_thick, 10);
    EXPECT_EQ(thick.shadow_distance, 19);
    ScaledGeometry even = scaled_geometry(20, 2, 2);  // T = 3: c rounds up to 2
    EXPECT_EQ(even.half_thick, 2);
    EXPECT_EQ(scaled_geometry(35, 3, 1).thick, 3);  // no supersampling, nothing subtracted
}

TEST(WorkingCanvas, EachDesignHasItsCanvas) {
    ScaledGeometry d = scaled_geometry(35, 1, 2);
    WorkingCanvas circle = working_canvas(CanvasShape::kCircle, d, 9);
    EXPECT_EQ(circle.cx, 72);
    EXPECT_EQ(circle.cy, 72);
    EXPECT_EQ(circle.width, 146);
    EXPECT_EQ(circle.height, 146);

    // The largest flower: 3 petals at radius 80 and thickness 10.
    WorkingCanvas flower = working_canvas(CanvasShape::kFlower, scaled_geometry(80, 10, 2), 3);
    EXPECT_EQ(flower.cx, 309);
    EXPECT_EQ(flower.width, 620);
    EXPECT_EQ(flower.height, 620);

    // Pointed, N = 9: 1 + 70 cos 20° + 70 sin 20° + 1 = 91.72...
    WorkingCanvas star = working_canvas(CanvasShape::kPointed, d, 9);
    EXPECT_EQ(star.cx, 91);
    EXPECT_EQ(star.width, 184);

    // Insect: q = 23, Y = max(70 sin 105.88° + 11.5 + 1, 72) = 79.83...
    WorkingCanvas insect = working_canvas(CanvasShape::kInsect, d, 9);
    EXPECT_EQ(insect.cx, 95);
    EXPECT_EQ(insect.cy, 79);
    EXPECT_EQ(insect.width, 192);
    EXPECT_EQ(insect.height, 153);  // 72 + 79.83 + 2

    // Animal, N = 9: h = 42, g = 21; X = cos 50° x 91 + 21 + 1 + 2 = 82.49...,
    // Y = sin 50° x 91 + 21 + 1 + 2 = 93.71...
    WorkingCanvas animal = working_canvas(CanvasShape::kAnimal, d, 9);
    EXPECT_EQ(animal.cx, 84);
    EXPECT_EQ(animal.cy, 95);
    EXPECT_EQ(animal.width, 167);
    EXPECT_EQ(animal.height, 169);
}

TEST(WorkingCanvas, OrnamentCountsOutsideTheRangeStayDrawable) {
    ScaledGeometry d = scaled_geometry(35, 1, 2);
    EXPECT_EQ(working_canvas(CanvasShape::kFlower, d, 0).cx,
              working_canvas(CanvasShape::kFlower, d, 3).cx);
    EXPECT_EQ(working_canvas(CanvasShape::kPointed, d, 500).cx,
              working_canvas(CanvasShape::kPointed, d, 20).cx);
}

TEST(CanvasShape, FollowsTheSlotsDesign) {
    EXPECT_EQ(canvas_shape_of_slot(0), CanvasShape::kCircle);
    EXPECT_EQ(canvas_shape_of_slot(1), CanvasShape::kFlower);
    EXPECT_EQ(canvas_shape_of_slot(2), CanvasShape::kPointed);
    EXPECT_EQ(canvas_shape_of_slot(3), CanvasShape::kInsect);
    EXPECT_EQ(canvas_shape_of_slot(4), CanvasShape::kPointed);
    EXPECT_EQ(canvas_shape_of_slot(5), CanvasShape::kCircle);
    EXPECT_EQ(canvas_shape_of_slot(6), CanvasShape::kAnimal);
}

TEST(BitmapLayout, InkBoxPlusBorderHalvedAndGrownByTheShadow) {
    WorkingCanvas canvas{72, 72, 146, 146};
    InkMargins m{1, 1, 2, 2};  // ink spans 1..143 of the canvas
    BitmapLayout flat = bitmap_layout(canvas, m, false, 2, 2);
    EXPECT_EQ(flat.px, 72);
    EXPECT_EQ(flat.py, 72);
    EXPECT_EQ(flat.work_width, 145);
    EXPECT_EQ(flat.width, 72);  // the odd work width loses its last column
    EXPECT_EQ(flat.height, 72);
    BitmapLayout shadow = bitmap_layout(canvas, m, true, 2, 2);
    EXPECT_EQ(shadow.work_width, 147);
    EXPECT_EQ(shadow.width, 73);
    EXPECT_EQ(shadow.px, flat.px);
}

TEST(StampOutputSwitch, FormatLetterAndCtrl) {
    EXPECT_EQ(choose_stamp_output(u'B', false), StampOutput::kBitmap);
    EXPECT_EQ(choose_stamp_output(u'B', true), StampOutput::kMetafile);
    EXPECT_EQ(choose_stamp_output(u'M', false), StampOutput::kMetafile);
    EXPECT_EQ(choose_stamp_output(u'M', true), StampOutput::kBitmap);
    EXPECT_EQ(choose_stamp_output(u'x', false), StampOutput::kBitmap);
}

}  // namespace
}  // namespace markomi
