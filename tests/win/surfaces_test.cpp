// The sunken frame about the preview box, drawn with the frame pens made at start.
#include <gtest/gtest.h>
#include <windows.h>

#include "render/preview_geometry.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {
namespace {

TEST(Surfaces, SunkenFrameUsesItsFourPensAndRestoresTheOldOne) {
    init_measure_cache();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 80, 60);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    RECT all{0, 0, 80, 60};
    HBRUSH grey = CreateSolidBrush(RGB(0x40, 0x80, 0x20));
    FillRect(dc, &all, grey);
    DeleteObject(grey);
    HPEN mine = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HGDIOBJ before = SelectObject(dc, mine);

    draw_sunken_frame(dc, 10, 10, 50, 40);

    FramePenColours c = frame_pen_colours(static_cast<ColorRef>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(GetPixel(dc, 10, 25), c.shadow);        // outer left
    EXPECT_EQ(GetPixel(dc, 30, 10), c.shadow);        // outer top
    EXPECT_EQ(GetPixel(dc, 50, 25), c.highlight);     // outer right
    EXPECT_EQ(GetPixel(dc, 30, 40), c.highlight);     // outer bottom
    EXPECT_EQ(GetPixel(dc, 11, 25), c.dark_shadow);   // inner left
    EXPECT_EQ(GetPixel(dc, 30, 11), c.dark_shadow);   // inner top
    EXPECT_EQ(GetPixel(dc, 49, 25), c.light);         // inner right
    EXPECT_EQ(GetPixel(dc, 30, 39), c.light);         // inner bottom
    EXPECT_EQ(GetPixel(dc, 30, 25), RGB(0x40, 0x80, 0x20));  // inside untouched
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), mine);

    SelectObject(dc, before);
    DeleteObject(mine);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    release_surfaces();
    EXPECT_EQ(g_frame_pens.shadow, nullptr);
    release_surfaces();  // a second release finds nothing left to free
}

}  // namespace
}  // namespace markomi
