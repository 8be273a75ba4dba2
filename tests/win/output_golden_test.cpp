// The clipboard bitmap of each design's default stamp at 96 DPI against a
// reviewed golden image (rendered under this project's Wine; see support/golden.h
// for the tolerance). Each rendering is also left in render-artifacts/.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "dates/era_table.h"
#include "output/raster/bitmap_output_win.h"
#include "render/surfaces_gdiplus.h"
#include "support/golden.h"
#include "support/wine_detect.h"

namespace markomi {
namespace {

const wchar_t* const kDesigns[] = {L"normal", L"flower", L"star", L"insect",
                                   L"typhoon", L"diamond", L"animal"};

TEST(OutputGolden, DefaultBitmapOfEveryDesignMatchesItsReviewedImage) {
    MARKOMI2_SKIP_UNLESS_WINE("the reviewed images are Wine's rendering");
    init_measure_cache();
    create_surfaces();
    g_era_table = builtin_era_table();
    SettingsSet set;
    set.date.year = 2025;
    set.date.month = 5;
    set.date.day = 1;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ original = GetCurrentObject(memory, OBJ_BITMAP);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        StampBitmap b = render_stamp_bitmap(set, slot, screen, memory);
        ASSERT_NE(b.bitmap, nullptr);
        std::wstring name = std::wstring(L"bitmap-") + kDesigns[slot];
        testing::GoldenComparison c = testing::compare_with_golden(
            name + L".png", b.width, b.height,
            [&](int x, int y) {
                COLORREF p = GetPixel(memory, x, y);
                return static_cast<std::uint32_t>(GetRValue(p) << 16 | GetGValue(p) << 8 | GetBValue(p));
            });
        SelectObject(memory, original);
        testing::save_bitmap_artifact(b.bitmap, name);
        DeleteObject(b.bitmap);
        EXPECT_TRUE(c.loaded) << "no golden image yet; see render-artifacts";
        EXPECT_TRUE(c.same_size);
        EXPECT_GT(c.inked, 300);
        EXPECT_TRUE(c.within_tolerance()) << c.differing << " of " << c.inked << " pixels differ";
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    release_surfaces();
}

}  // namespace
}  // namespace markomi
