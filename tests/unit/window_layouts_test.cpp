#include <gtest/gtest.h>

#include "ui/window_layouts.h"

namespace markomi {
namespace {

void expect_rect(const LayoutRect& r, int x, int y, int width, int height) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}

// A = 8, L = 19; row 2 is the widest (262), row 4 the tallest (18). Row 6
// is wider and taller than all, but does not count.
const std::array<LayoutSize, kAboutRowCount> kAboutRows = {
    LayoutSize{120, 17}, LayoutSize{262, 17}, LayoutSize{90, 17},
    LayoutSize{160, 18}, LayoutSize{190, 17}, LayoutSize{400, 30}};

TEST(AboutBoxLayout, SizeFollowsWidestAndTallestOfTheFirstFiveRows) {
    const AboutBoxLayout layout = about_box_layout(8, 19, kAboutRows);
    EXPECT_EQ(layout.widest_row, 262);
    EXPECT_EQ(layout.tallest_row, 18);
    EXPECT_EQ(layout.content_width, 294);   // 4A + cmax
    EXPECT_EQ(layout.content_height, 180);  // 10 ymax
    EXPECT_EQ(layout.window.width, 315);    // trunc(21.6 + 294)
    EXPECT_EQ(layout.window.height, 216);   // trunc(36.1 + 180)

    // Larger characters (EXPAND 1) make a proportionally larger box.
    std::array<LayoutSize, kAboutRowCount> larger = kAboutRows;
    for (LayoutSize& row : larger) row = LayoutSize{row.width * 19 / 17, row.height * 19 / 17};
    const AboutBoxLayout big = about_box_layout(9, 21, larger);
    EXPECT_GT(big.window.width, layout.window.width);
    EXPECT_GT(big.window.height, layout.window.height);
}

TEST(AboutBoxLayout, RowsStackLeftAndTheAddressLineRunsOn) {
    const AboutBoxLayout layout = about_box_layout(8, 19, kAboutRows);
    expect_rect(layout.rows[0], 16, 18, 120, 17);
    expect_rect(layout.rows[1], 16, 54, 262, 17);
    expect_rect(layout.rows[2], 16, 72, 90, 17);
    // Author, address and ")" on one line, each right after the previous.
    expect_rect(layout.rows[3], 56, 108, 160, 18);
    expect_rect(layout.rows[4], 216, 108, 190, 17);
    expect_rect(layout.rows[5], 406, 108, 400, 30);
}

TEST(AboutBoxLayout, ButtonDividesBeforeMultiplying) {
    const AboutBoxLayout layout = about_box_layout(8, 19, kAboutRows);
    // (294 / 4) * 3 = 219, not 294 * 3 / 4 = 220; 8 ymax - ymax / 8 = 142.
    expect_rect(layout.button, 219, 142, 64, 22);
    // The button stays inside the content area.
    EXPECT_LE(layout.button.x + layout.button.width, layout.window.width);
    EXPECT_LE(layout.button.y + layout.button.height, layout.content_height);
}

TEST(AboutBoxPosition, OpensLeftOfAndAboveTheCursor) {
    const AboutBoxLayout layout = about_box_layout(8, 19, kAboutRows);
    AboutAnchor anchor;
    anchor.cursor = LayoutPoint{1800, 1050};
    anchor.menu_bar_height = 19;
    const LayoutPoint p = about_box_resident_position(layout, 8, 19, anchor);
    EXPECT_EQ(p.x, 1498);  // 1800 - 8 - 294
    EXPECT_EQ(p.y, 844);   // trunc(1050 - (25.65 + 180))
}

TEST(AboutBoxPosition, NegativeCoordinatesFallBackToTheCursorOrTaskbar) {
    const AboutBoxLayout layout = about_box_layout(8, 19, kAboutRows);
    AboutAnchor anchor;
    anchor.cursor = LayoutPoint{100, 90};
    anchor.menu_bar_height = 19;
    LayoutPoint p = about_box_resident_position(layout, 8, 19, anchor);
    EXPECT_EQ(p.x, 116);  // cursor + 2A
    EXPECT_EQ(p.y, 128);  // cursor + 2L

    // A taskbar on the left or at the top wider than the cursor offset wins.
    anchor.horizontal_taskbar_margin = 150;
    anchor.vertical_taskbar_margin = 120;
    p = about_box_resident_position(layout, 8, 19, anchor);
    EXPECT_EQ(p.x, 166);
    EXPECT_EQ(p.y, 158);

    // Only the negative coordinate falls back.
    anchor = AboutAnchor{};
    anchor.cursor = LayoutPoint{1000, 60};
    anchor.menu_bar_height = 19;
    p = about_box_resident_position(layout, 8, 19, anchor);
    EXPECT_EQ(p.x, 698);
    EXPECT_EQ(p.y, 98);
}

TEST(AboutBoxPosition, FractionsTruncateTowardZeroBeforeTheSignTest) {
    const AboutBoxLayout layout = about_box_layout(8, 19, kAboutRows);
    AboutAnchor anchor;
    anchor.cursor = LayoutPoint{302, 205};
    anchor.menu_bar_height = 19;
    // y = trunc(205 - 205.65) = trunc(-0.65) = 0: not negative, no fallback.
    // x = 302 - 8 - 294 = 0: not negative either.
    const LayoutPoint p = about_box_resident_position(layout, 8, 19, anchor);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

const std::array<LayoutSize, kOpeningRowCount> kOpeningRows = {
    LayoutSize{170, 17}, LayoutSize{0, 17}, LayoutSize{290, 17}};

TEST(OpeningLayout, WindowAndRowsFromTheWidestAndTallestRow) {
    const OpeningLayout layout = opening_layout(8, 19, kOpeningRows);
    EXPECT_EQ(layout.row_width, 322);  // 290 + 4A
    EXPECT_EQ(layout.row_height, 23);  // trunc(17 x 1.4)
    EXPECT_EQ(layout.window.width, 354);
    EXPECT_EQ(layout.window.height, 147);  // 6 H + L / 2
    for (int k = 0; k < kOpeningRowCount; ++k) {
        EXPECT_EQ(layout.rows[k].x, 32);
        EXPECT_EQ(layout.rows[k].y, (k + 1) * 23);
    }
}

TEST(OpeningLayout, ButtonSitsRightBelowTheText) {
    const OpeningLayout layout = opening_layout(8, 19, kOpeningRows);
    // (322 / 10) * 7 = 224, not 225; trunc(108.1 - 23 / 8) = trunc(106.1).
    expect_rect(layout.button, 224, 106, 80, 23);
    EXPECT_GT(layout.button.y, layout.rows[2].y + 17);
    EXPECT_LE(layout.button.y + layout.button.height, layout.window.height);

    // At 19 pixels (EXPAND 1) everything grows with the font.
    const OpeningLayout big =
        opening_layout(9, 21, {LayoutSize{190, 19}, LayoutSize{0, 19}, LayoutSize{324, 19}});
    EXPECT_EQ(big.row_height, 26);  // trunc(26.6)
    EXPECT_EQ(big.window.width, 324 + 8 * 9);
    EXPECT_EQ(big.window.height, 6 * 26 + 10);
    expect_rect(big.button, (360 / 10) * 7, 119, 90, 26);  // trunc(122.2 - 3)
}

TEST(OpeningLayout, CentresOnTheDesktop) {
    const LayoutPoint p = centred_position(LayoutSize{354, 147}, 1920, 1080);
    EXPECT_EQ(p.x, 783);
    EXPECT_EQ(p.y, 466);
    const LayoutPoint odd = centred_position(LayoutSize{355, 148}, 1920, 1080);
    EXPECT_EQ(odd.x, 782);  // 1565 / 2
    EXPECT_EQ(odd.y, 466);
}

TEST(OpeningGradient, RunsFromPinkTowardsWhiteWithoutReachingIt) {
    EXPECT_EQ(opening_gradient_green(0, 354), 176);
    EXPECT_EQ(opening_gradient_green(50, 100), 215);   // trunc(215.5)
    EXPECT_EQ(opening_gradient_green(99, 100), 254);   // trunc(254.21)
    EXPECT_EQ(opening_gradient_green(1, 79), 177);     // exact steps stay exact
    EXPECT_EQ(opening_gradient_green(78, 79), 254);
    int previous = 0;
    for (int i = 0; i < 354; ++i) {
        const int g = opening_gradient_green(i, 354);
        EXPECT_GE(g, previous);
        EXPECT_LT(g, 255);
        previous = g;
    }
    EXPECT_EQ(opening_gradient_green(0, 0), 176);  // an empty window draws nothing
}

// ---- Keeping a host window within reach ----

TEST(HostPlacement, WorkspaceCoordinatesCountFromTheWorkAreaCorner) {
    const ScreenRect monitor{0, 0, 1920, 1080};
    // Taskbar 48 pixels high at the top: a window whose placement record
    // says (100, 100) stands at (100, 148) on the screen. Taken as screen
    // coordinates it would creep up by 48 pixels on every trip.
    LayoutPoint p = screen_from_workspace({100, 100}, monitor, ScreenRect{0, 48, 1920, 1080});
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 148);
    // Taskbar 60 pixels wide on the left.
    p = screen_from_workspace({100, 100}, monitor, ScreenRect{60, 0, 1920, 1080});
    EXPECT_EQ(p.x, 160);
    EXPECT_EQ(p.y, 100);
    // A monitor left of the primary one, its taskbar at the bottom: no shift.
    p = screen_from_workspace({-1500, 200}, ScreenRect{-1600, 0, 0, 900},
                              ScreenRect{-1600, 0, 0, 860});
    EXPECT_EQ(p.x, -1500);
    EXPECT_EQ(p.y, 200);
}

TEST(HostPlacement, AWindowThatCanBeReachedStaysWhereItIs) {
    const std::vector<ScreenRect> areas = {{0, 48, 1920, 1080}};
    // Wholly inside.
    LayoutPoint p = reachable_position({300, 200, 1000, 700}, areas, 24);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 200);
    // Hanging off the right and the bottom edge, its title bar still there.
    p = reachable_position({1700, 900, 2400, 1400}, areas, 24);
    EXPECT_EQ(p.x, 1700);
    EXPECT_EQ(p.y, 900);
}

TEST(HostPlacement, AWindowOutOfReachMovesOntoTheNearestWorkArea) {
    const std::vector<ScreenRect> primary = {{0, 0, 1920, 1040}};
    // Remembered on a monitor right of the primary one that is gone now:
    // into the primary's bottom-right corner, as little as it takes.
    LayoutPoint p = reachable_position({2500, 1200, 3200, 1700}, primary, 24);
    EXPECT_EQ(p.x, 1920 - 700);
    EXPECT_EQ(p.y, 1040 - 500);
    // Remembered on a monitor on the left: only x changes.
    p = reachable_position({-1500, 300, -800, 800}, primary, 24);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 300);
    // Only a sliver of the title bar in the work area, less than a grip.
    p = reachable_position({1910, 300, 2610, 800}, primary, 24);
    EXPECT_EQ(p.x, 1920 - 700);
    // Title bar above the work area (a taskbar at the top took its place).
    p = reachable_position({300, 10, 1000, 510}, {{0, 48, 1920, 1080}}, 24);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 48);
    // Larger than the work area: its top-left corner inside.
    p = reachable_position({-3000, -2000, -800, 0}, primary, 24);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    // No monitors known: nothing to go by.
    p = reachable_position({5000, 5000, 5700, 5500}, {}, 24);
    EXPECT_EQ(p.x, 5000);
    EXPECT_EQ(p.y, 5000);
}

TEST(HostPlacement, OfTwoWorkAreasTheNearerOneTakesTheWindow) {
    // The primary monitor, and a second one right of it whose taskbar sits
    // on its left; the window was on a third monitor further right.
    const std::vector<ScreenRect> areas = {{0, 0, 1920, 1040}, {1980, 0, 3840, 1080}};
    LayoutPoint p = reachable_position({4000, 100, 4700, 600}, areas, 24);
    EXPECT_EQ(p.x, 3840 - 700);
    EXPECT_EQ(p.y, 100);
    // Below the primary one only.
    p = reachable_position({200, 1300, 900, 1800}, areas, 24);
    EXPECT_EQ(p.x, 200);
    EXPECT_EQ(p.y, 1040 - 500);
}

}  // namespace
}  // namespace markomi
