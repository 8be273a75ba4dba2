#include <gtest/gtest.h>

#include <vector>

#include "render/ink_margins.h"

namespace markomi {
namespace {

// A white canvas with black rectangles; reads outside it fail.
struct Canvas {
    int width, height;
    std::vector<std::uint32_t> pixels;
    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w * h), kBlankPixel) {}
    void ink(int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) pixels[static_cast<size_t>(y * width + x)] = 0;
    }
    PixelReader reader() const {
        return [this](int x, int y, std::uint32_t* c) {
            if (x < 0 || y < 0 || x >= width || y >= height) return false;
            *c = pixels[static_cast<size_t>(y * width + x)];
            return true;
        };
    }
};

TEST(StampInkMargins, CountsBlankRowsAndColumnsFromEachSide) {
    Canvas c(40, 30);
    c.ink(5, 3, 31, 27);  // ink spans x 5..30, y 3..26
    InkMargins m = stamp_ink_margins(c.reader(), 0, 0, 40, 30);
    EXPECT_EQ(m.left, 5);
    EXPECT_EQ(m.top, 3);
    EXPECT_EQ(m.right, 9);
    EXPECT_EQ(m.bottom, 3);
}

TEST(StampInkMargins, SinglePixelsAtTheEdgesCount) {
    Canvas c(10, 10);
    c.ink(0, 9, 1, 10);  // bottom-left corner
    InkMargins m = stamp_ink_margins(c.reader(), 0, 0, 10, 10);
    EXPECT_EQ(m.left, 0);
    EXPECT_EQ(m.top, 9);
    EXPECT_EQ(m.right, 9);
    EXPECT_EQ(m.bottom, 0);
}

TEST(StampInkMargins, AllWhiteGivesNothingToCropButTheWidthOnTheRight) {
    Canvas c(12, 8);
    InkMargins m = stamp_ink_margins(c.reader(), 0, 0, 12, 8);
    EXPECT_EQ(m.left, 0);
    EXPECT_EQ(m.top, 0);
    EXPECT_EQ(m.right, 12);
    EXPECT_EQ(m.bottom, 0);
    // The same holds for an area that does not start at the origin.
    InkMargins inner = stamp_ink_margins(c.reader(), 2, 1, 10, 7);
    EXPECT_EQ(inner.left, 0);
    EXPECT_EQ(inner.top, 0);
    EXPECT_EQ(inner.right, 8);
    EXPECT_EQ(inner.bottom, 0);
}

TEST(StampInkMargins, FailedReadsCountAsInk) {
    Canvas c(10, 10);
    // The area reaches two columns past the canvas: those reads fail.
    InkMargins m = stamp_ink_margins(c.reader(), 0, 0, 12, 10);
    EXPECT_EQ(m.right, 0);
    EXPECT_EQ(m.left, 10);  // columns 0..9 blank, then the failed reads at 10
    EXPECT_EQ(m.top, 0);
    EXPECT_EQ(m.bottom, 0);
}

}  // namespace
}  // namespace markomi
