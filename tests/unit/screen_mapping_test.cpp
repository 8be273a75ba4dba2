#include <gtest/gtest.h>

#include "app/screen_mapping.h"

namespace markomi {
namespace {

// How the system turns absolute input back into a pixel, as measured under
// Wine for every pixel of a 1920-wide screen (docs/wine-notes.md):
// left + ax × extent / 65536, truncating.
std::int32_t landing_pixel(std::uint32_t absolute, std::int32_t origin, std::int32_t extent) {
    return origin + static_cast<std::int32_t>(static_cast<std::uint64_t>(absolute) * extent >> 16);
}

constexpr ScreenArea kFullHd{0, 0, 1920, 1080};

TEST(AbsoluteMousePoint, PrimaryDisplayCornersAndCentre) {
    AbsolutePoint origin = absolute_mouse_point(0, 0, kFullHd);
    EXPECT_EQ(origin.x, 0u);
    EXPECT_EQ(origin.y, 0u);
    AbsolutePoint centre = absolute_mouse_point(960, 540, kFullHd);
    EXPECT_EQ(centre.x, 32768u);
    EXPECT_EQ(centre.y, 32768u);
    AbsolutePoint last = absolute_mouse_point(1919, 1079, kFullHd);
    EXPECT_EQ(last.x, 65502u);  // ceil(1919 × 65536 / 1920)
    EXPECT_EQ(last.y, 65476u);  // ceil(1079 × 65536 / 1080)
    EXPECT_LE(last.x, 65535u);
}

TEST(AbsoluteMousePoint, EveryPixelLandsOnItselfForCommonDesktops) {
    const ScreenArea desktops[] = {
        kFullHd,
        {0, 0, 1280, 1024},
        {0, 0, 1366, 768},
        {-1920, 0, 3840, 1080},     // a monitor left of the primary
        {-1280, -300, 3200, 1380},  // left and higher, different heights
        {0, -1440, 2560, 2520},     // a monitor above
        {-3840, 0, 7680, 2160},     // three 4K-wide monitors
        {0, 0, 1, 1},
    };
    for (const ScreenArea& d : desktops) {
        SCOPED_TRACE(::testing::Message()
                     << d.left << "," << d.top << " " << d.width << "x" << d.height);
        int wrong = 0;
        for (std::int32_t x = d.left; x < d.left + d.width; ++x) {
            AbsolutePoint p = absolute_mouse_point(x, d.top, d);
            if (p.x > 65535u || landing_pixel(p.x, d.left, d.width) != x) ++wrong;
        }
        for (std::int32_t y = d.top; y < d.top + d.height; ++y) {
            AbsolutePoint p = absolute_mouse_point(d.left, y, d);
            if (p.y > 65535u || landing_pixel(p.y, d.top, d.height) != y) ++wrong;
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(AbsoluteMousePoint, NegativeOriginIsOffsetNotWrapped) {
    // Primary 1920×1080 at (0, 0), a 1280×1024 monitor to its left.
    ScreenArea desktop{-1280, 0, 3200, 1080};
    AbsolutePoint left_edge = absolute_mouse_point(-1280, 0, desktop);
    EXPECT_EQ(left_edge.x, 0u);
    AbsolutePoint primary_origin = absolute_mouse_point(0, 0, desktop);
    EXPECT_EQ(landing_pixel(primary_origin.x, desktop.left, desktop.width), 0);
    AbsolutePoint on_left_monitor = absolute_mouse_point(-1, 500, desktop);
    EXPECT_EQ(landing_pixel(on_left_monitor.x, desktop.left, desktop.width), -1);
    EXPECT_LT(on_left_monitor.x, primary_origin.x);
}

TEST(AbsoluteMousePoint, PointsOutsideTheDesktopClampToTheNearestEdge) {
    ScreenArea desktop{-1280, 0, 3200, 1080};
    AbsolutePoint far_left = absolute_mouse_point(-5000, -7, desktop);
    EXPECT_EQ(far_left.x, 0u);
    EXPECT_EQ(far_left.y, 0u);
    AbsolutePoint far_right = absolute_mouse_point(1920, 1080, desktop);  // one past each edge
    AbsolutePoint edge = absolute_mouse_point(1919, 1079, desktop);
    EXPECT_EQ(far_right.x, edge.x);
    EXPECT_EQ(far_right.y, edge.y);
    AbsolutePoint extreme = absolute_mouse_point(INT32_MAX, INT32_MIN, desktop);
    EXPECT_EQ(extreme.x, edge.x);
    EXPECT_EQ(extreme.y, 0u);
}

TEST(AbsoluteMousePoint, EmptyDesktopGivesTheOrigin) {
    AbsolutePoint p = absolute_mouse_point(100, 100, ScreenArea{0, 0, 0, -5});
    EXPECT_EQ(p.x, 0u);
    EXPECT_EQ(p.y, 0u);
}

TEST(BannerLayout, CentresTextAndFramesItByTwoCharactersAndOneLine) {
    // 1920×1080 client, text 420×16, A 8, L 19.
    BannerLayout b = banner_layout(kFullHd, 420, 16, 8, 19);
    EXPECT_EQ(b.text_x, 750);
    EXPECT_EQ(b.text_y, 530);  // (1080 − 19) / 2, truncated
    EXPECT_EQ(b.left, 734);
    EXPECT_EQ(b.top, 511);
    EXPECT_EQ(b.right, 1186);
    EXPECT_EQ(b.bottom, 565);
}

TEST(BannerLayout, OddRemaindersTruncateAndTheAreaOffsetCarries) {
    // A monitor at (-1280, 56) of the overlay's client area, 1280×1024.
    BannerLayout b = banner_layout(ScreenArea{-1280, 56, 1280, 1024}, 401, 15, 7, 18);
    EXPECT_EQ(b.text_x, -1280 + 439);  // (1280 − 401) / 2 = 439.5
    EXPECT_EQ(b.text_y, 56 + 503);     // (1024 − 18) / 2
    EXPECT_EQ(b.right - b.left, 401 + 28);
    EXPECT_EQ(b.bottom - b.top, 15 + 36);
}

}  // namespace
}  // namespace markomi
