// The preview in the settings window's box: centred, scaled to the screen,
// painting nothing outside the box.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "dates/era_table.h"
#include "output/preview/preview_output_win.h"
#include "render/preview_geometry.h"
#include "render/surfaces_gdiplus.h"

namespace markomi {
namespace {

constexpr COLORREF kBackground = RGB(0x30, 0x60, 0x90);

class PreviewOutput : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        g_ui_font_metrics = UiFontMetrics{7, 14};  // box (29, 16) - (239, 196), centre (134, 106)
        set_.date.year = 2025;
        set_.date.month = 5;
        set_.date.day = 1;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kSize;
        info.bmiHeader.biHeight = -kSize;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        HBRUSH brush = CreateSolidBrush(kBackground);
        RECT all{0, 0, kSize, kSize};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    void TearDown() override {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        g_ui_font_metrics = UiFontMetrics{};
        release_surfaces();
    }
    RECT ink_box() {
        GdiFlush();
        RECT box{kSize, kSize, -1, -1};
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                COLORREF c = GetPixel(dc_, x, y);
                if (c == kBackground || c == RGB(255, 255, 255)) continue;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        return box;
    }

    static constexpr int kSize = 300;
    SettingsSet set_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

TEST_F(PreviewOutput, CentredInTheBoxWhichIsRepaintedAndNothingElse) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        draw_preview_slot(dc_, set_, slot, 96);
        RECT ink = ink_box();
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 134, 2.5);
        EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 106, 6);  // ornaments may sit off-centre
        for (int y = 0; y < kSize; y += 3)
            for (int x = 0; x < kSize; x += 3) {
                bool inside = x >= 29 && x < 239 && y >= 16 && y < 196;
                COLORREF c = GetPixel(dc_, x, y);
                if (inside)
                    EXPECT_NE(c, kBackground) << x << "," << y;
                else
                    EXPECT_EQ(c, kBackground) << x << "," << y;
            }
    }
}

TEST_F(PreviewOutput, FollowsTheScreenResolution) {
    draw_preview_slot(dc_, set_, 0, 96);
    RECT at96 = ink_box();
    HBRUSH brush = CreateSolidBrush(kBackground);
    RECT all{0, 0, kSize, kSize};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
    draw_preview_slot(dc_, set_, 0, 144);
    RECT at144 = ink_box();
    EXPECT_NEAR(at144.right - at144.left, 1.5 * (at96.right - at96.left), 3);
    EXPECT_NEAR(at144.bottom - at144.top, 1.5 * (at96.bottom - at96.top), 3);
}

TEST_F(PreviewOutput, SettingsComeBack) {
    for (int ajust : {0, 1}) {
        set_.global.ajust = ajust;
        set_.slots[3].frame.shadow = 2;
        SlotSettings before = set_.slots[3];
        draw_preview_slot(dc_, set_, 3, 144);
        const SlotSettings& after = set_.slots[3];
        EXPECT_EQ(after.frame.hankei, before.frame.hankei);
        EXPECT_EQ(after.frame.thick, before.frame.thick);
        if (ajust == 0) {
            EXPECT_EQ(after.busho.height, before.busho.height);
            EXPECT_EQ(after.date.height, before.date.height);
            EXPECT_EQ(after.name.height, before.name.height);
        }
    }
}

// The box's pixels as they are now.
std::vector<COLORREF> box_pixels(HDC dc) {
    GdiFlush();
    std::vector<COLORREF> pixels;
    for (int y = 16; y < 196; ++y)
        for (int x = 29; x < 239; ++x) pixels.push_back(GetPixel(dc, x, y));
    return pixels;
}

// A redraw does not depend on what was drawn before it: neither on a larger
// stamp, nor on a larger box drawn on a DC of another kind (a device bitmap
// instead of this DIB section, which GDI+ may draw on differently) in between.
TEST_F(PreviewOutput, RedrawingGivesTheSamePixelsWhateverCameBefore) {
    set_.global.busho = u"技術部";
    draw_preview_slot(dc_, set_, 0, 96);
    const std::vector<COLORREF> first = box_pixels(dc_);

    SettingsSet other = set_;
    other.global.busho = u"営業本部/第二営業課";
    other.slots[3].frame.shadow = 2;
    draw_preview_slot(dc_, other, 3, 144);
    HDC screen = GetDC(nullptr);
    HDC device_dc = CreateCompatibleDC(screen);
    HBITMAP device_bitmap = CreateCompatibleBitmap(screen, kSize, kSize);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(device_dc, device_bitmap);
    g_ui_font_metrics = UiFontMetrics{14, 28};  // a box larger than any other test's
    draw_preview_slot(device_dc, other, 3, 96);
    g_ui_font_metrics = UiFontMetrics{7, 14};
    SelectObject(device_dc, old);
    DeleteObject(device_bitmap);
    DeleteDC(device_dc);

    draw_preview_slot(dc_, set_, 0, 96);
    EXPECT_TRUE(box_pixels(dc_) == first);
}

}  // namespace
}  // namespace markomi
