#include <gtest/gtest.h>

#include <cmath>

#include "output/pdf_stamp/pdf_stamp_cover.h"

namespace markomi {
namespace {

// A stamp of 60 x 40 pt drawn at (100, 200), upright and turned a quarter
// (as on a page with /Rotate 90): annotations whose rectangles, given
// corner first or last, share area with it cover it; touching its edge or
// lying beside the turned one's unturned place does not.
TEST(PdfStampCover, RectanglesThatShareAreaWithTheStamp) {
    PdfPlacement upright;
    const double straight[6] = {1, 0, 0, 1, 100, 200};
    std::copy(straight, straight + 6, upright.matrix);
    PdfPlacement turned;
    const double quarter[6] = {0, 1, -1, 0, 100, 200};  // covers x 60..100, y 200..260
    std::copy(quarter, quarter + 6, turned.matrix);
    const struct {
        PdfBox rect;
        bool upright, turned;
    } cases[] = {
        {{150, 230, 300, 300}, true, false},  {{300, 300, 150, 230}, true, false},
        {{160, 240, 200, 300}, false, false},  // touches the corner only
        {{50, 210, 70, 250}, false, true},    {{0, 0, 1000, 1000}, true, true},
        {{NAN, 0, 1000, 1000}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rect_overlaps_stamp(c.rect, upright, 60, 40), c.upright)
            << c.rect.left << " " << c.rect.bottom;
        EXPECT_EQ(rect_overlaps_stamp(c.rect, turned, 60, 40), c.turned)
            << c.rect.left << " " << c.rect.bottom;
    }
    EXPECT_TRUE(annotation_is_drawn("/Widget", 4));
    EXPECT_FALSE(annotation_is_drawn("/Link", 0));
    EXPECT_FALSE(annotation_is_drawn("/Square", 2));
}

}  // namespace
}  // namespace markomi
