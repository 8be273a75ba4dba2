// The bitmap pipeline of every design: crop, halving, shadow, settings, clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "dates/era_table.h"
#include "output/bitmap_output_win.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "support/render_canvas.h"

namespace markomi {
namespace {

class BitmapOutput : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        set_.date.year = 2025;
        set_.date.month = 5;
        set_.date.day = 1;
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        original_ = GetCurrentObject(memory_, OBJ_BITMAP);
    }
    void TearDown() override {
        SelectObject(memory_, original_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
        release_surfaces();
    }
    StampBitmap render(int slot) {
        StampBitmap b = render_stamp_bitmap(set_, slot, screen_, memory_);
        SelectObject(memory_, original_);
        bitmaps_.push_back(b.bitmap);
        return b;
    }
    // The ink bounding box of the slot drawn at the doubled size (fitted as
    // the pipeline fits) on a large white canvas.
    RECT doubled_ink_box(int slot) {
        SettingsSet s = set_;
        FrameSpec& f = s.slots[static_cast<size_t>(slot)].frame;
        f.hankei *= 2;
        f.thick = f.thick * 2 - 1;
        testing::RenderCanvas canvas(800, 800);
        render_stamp(canvas.graphics(), s, slot, 400, 400, 0, 1);
        RECT box{800, 800, -1, -1};
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 800; ++x)
                if (!testing::is_white(canvas.pixel(x, y))) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
    ~BitmapOutput() override {
        for (HBITMAP b : bitmaps_) DeleteObject(b);
    }

    SettingsSet set_;
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    HGDIOBJ original_ = nullptr;
    std::vector<HBITMAP> bitmaps_;
};

TEST_F(BitmapOutput, EveryDesignIsCroppedToItsInkPlusABorderAndHalved) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        RECT ink = doubled_ink_box(slot);
        StampBitmap b = render(slot);
        ASSERT_NE(b.bitmap, nullptr);
        // Ink box + one blank pixel each side at the doubled size, halved.
        EXPECT_NEAR(b.width, (ink.right - ink.left + 2) / 2, 1);
        EXPECT_NEAR(b.height, (ink.bottom - ink.top + 2) / 2, 1);
        BITMAP info{};
        GetObject(b.bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, b.width);
        EXPECT_EQ(info.bmHeight, b.height);
    }
}

TEST_F(BitmapOutput, AShadowGrowsTheBitmapRightAndDown) {
    set_.slots[0].frame.thick = 1;
    StampBitmap flat = render(0);
    set_.slots[0].frame.shadow = 2;
    StampBitmap shadow = render(0);
    // s = max(2 x 1 - 1, 2) = 2 pixels at the doubled size: one after halving.
    EXPECT_EQ(shadow.width, flat.width + 1);
    EXPECT_EQ(shadow.height, flat.height + 1);
}

TEST_F(BitmapOutput, SettingsAreAsBeforeAfterwards) {
    for (int ajust : {0, 1}) {
        SCOPED_TRACE(ajust);
        set_.global.ajust = ajust;
        for (int slot = 0; slot < kSlotCount; ++slot) {
            SlotSettings before = set_.slots[static_cast<size_t>(slot)];
            render(slot);
            const SlotSettings& after = set_.slots[static_cast<size_t>(slot)];
            EXPECT_EQ(after.frame.hankei, before.frame.hankei);
            EXPECT_EQ(after.frame.thick, before.frame.thick);
            EXPECT_EQ(after.frame.color, before.frame.color);
            EXPECT_EQ(after.busho.color, before.busho.color);
            EXPECT_EQ(after.date.color, before.date.color);
            EXPECT_EQ(after.name.color, before.name.color);
            if (ajust == 0) {
                EXPECT_EQ(after.busho.height, before.busho.height);
                EXPECT_EQ(after.date.height, before.date.height);
                EXPECT_EQ(after.name.height, before.name.height);
            } else {
                // Fitted at the doubled size: about twice the stored size.
                EXPECT_LT(after.name.height, before.name.height);
            }
        }
    }
}

TEST_F(BitmapOutput, TheClipboardHoldsABitmapOnly) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(copy_bitmap_to_clipboard(set_, 2, owner));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    EXPECT_EQ(GetClipboardOwner(), owner);
    HBITMAP on_clipboard = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info{};
    EXPECT_NE(GetObject(on_clipboard, sizeof info, &info), 0);
    EXPECT_GT(info.bmWidth, 60);
    EmptyClipboard();
    CloseClipboard();
    DestroyWindow(owner);
}

}  // namespace
}  // namespace markomi
