// The bitmap pipeline of every design: crop, halving, shadow, settings, the
// one picture's transparency, and the clipboard with the bitmap and the
// transparent PNG picture beside it. (Made only when read, as the resident
// program does: tests/win/app/resident_test.cpp.)
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dates/era_table.h"
#include "output/clipboard/stamp_copy_win.h"
#include "output/clipboard/transparent_formats_win.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/image_file_win.h"
#include "output/raster/stamp_picture_win.h"
#include "render/gdiplus_handles_gdiplus.h"
#include "render/shade.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "support/clipboard_image.h"
#include "support/decoded_image.h"
#include "support/render_canvas.h"
#include "support/test_files.h"

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

int alpha_of(std::uint32_t argb) { return static_cast<int>(argb >> 24); }
bool is_stamp_red(std::uint32_t argb) {
    return ((argb >> 16) & 0xFF) >= 200 && ((argb >> 8) & 0xFF) <= 80 && (argb & 0xFF) <= 80;
}

TEST_F(BitmapOutput, TheClipboardOffersTheBitmapAndThePngWritersTransparentPicture) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    const UINT png_format = RegisterClipboardFormatW(L"PNG");
    ASSERT_NE(png_format, 0u);
    testing::TempFolder folder;
    // The normal design and the animal, whose image files keep one more
    // doubled-size row than its bitmap.
    for (int slot : {2, 6}) {
        SCOPED_TRACE(slot);
        const std::wstring path = folder.file(L"stamp.png");
        ASSERT_TRUE(save_stamp_image(set_, slot, ImageWriter::kPng, path.c_str()));
        const std::vector<unsigned char> file = testing::read_bytes(path);
        const testing::DecodedImage expected =
            testing::decode_image_bytes(file.data(), file.size());
        ASSERT_GT(expected.width, 60);
        const StampBitmap bitmap = render(slot);

        ASSERT_TRUE(copy_bitmap_to_clipboard(set_, slot, owner));
        ASSERT_TRUE(OpenClipboard(nullptr));
        EXPECT_EQ(GetClipboardOwner(), owner);
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
        // Programs take the first format they can read: a reader of PNG or
        // of an alpha DIB must meet that before the opaque bitmap. Formats
        // the system adds (CF_DIB and the like) may come anywhere after.
        std::vector<UINT> order;
        for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
            if (f == png_format || f == CF_DIBV5 || f == CF_BITMAP) order.push_back(f);
        EXPECT_EQ(order, (std::vector<UINT>{png_format, CF_DIBV5, CF_BITMAP}));

        // The bitmap is the bitmap pipeline's, as ever.
        HBITMAP on_clipboard = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        BITMAP info{};
        EXPECT_NE(GetObject(on_clipboard, sizeof info, &info), 0);
        EXPECT_EQ(info.bmWidth, bitmap.width);
        EXPECT_EQ(info.bmHeight, bitmap.height);

        // "PNG": the very bytes of the file.
        const std::vector<unsigned char> png = testing::clipboard_block_bytes(GetClipboardData(png_format));
        ASSERT_GE(png.size(), file.size());
        EXPECT_TRUE(std::equal(file.begin(), file.end(), png.begin()));
        const testing::DecodedImage pasted = testing::decode_image_bytes(png.data(), png.size());
        ASSERT_EQ(pasted.width, expected.width);
        ASSERT_EQ(pasted.height, expected.height);
        EXPECT_TRUE(pasted.argb == expected.argb);
        for (auto [x, y] : {std::array<int, 2>{0, 0}, {pasted.width - 1, 0}, {0, pasted.height - 1},
                            {pasted.width - 1, pasted.height - 1}})
            EXPECT_EQ(alpha_of(pasted.at(x, y)), 0) << x << "," << y;
        int opaque_red = 0;
        for (std::uint32_t c : pasted.argb)
            if (alpha_of(c) == 255 && is_stamp_red(c)) ++opaque_red;
        EXPECT_GT(opaque_red, 50);

        // CF_DIBV5: the same picture, straight alpha, bottom-up.
        const std::vector<unsigned char> dib = testing::clipboard_block_bytes(GetClipboardData(CF_DIBV5));
        ASSERT_GE(dib.size(), sizeof(BITMAPV5HEADER));
        BITMAPV5HEADER header{};
        std::memcpy(&header, dib.data(), sizeof header);
        EXPECT_EQ(header.bV5Size, sizeof header);
        EXPECT_EQ(header.bV5Width, expected.width);
        EXPECT_EQ(header.bV5Height, expected.height);
        EXPECT_EQ(header.bV5BitCount, 32);
        EXPECT_EQ(header.bV5Compression, static_cast<DWORD>(BI_BITFIELDS));
        EXPECT_EQ(header.bV5RedMask, 0x00FF0000u);
        EXPECT_EQ(header.bV5GreenMask, 0x0000FF00u);
        EXPECT_EQ(header.bV5BlueMask, 0x000000FFu);
        EXPECT_EQ(header.bV5AlphaMask, 0xFF000000u);
        EXPECT_EQ(header.bV5CSType, 0x73524742u);  // LCS_sRGB
        EXPECT_EQ(testing::dib_v5_differences(dib, expected), 0);
        EXPECT_EQ(alpha_of(expected.at(0, 0)), 0);
        EmptyClipboard();
        CloseClipboard();
    }
    DestroyWindow(owner);
}

// The one rendering keeps the transparency right on either surface: an edge
// pixel that the ink covers in part has some alpha and, taken straight, the
// ink's own colour. Averaging straight pixels with the transparent white
// around them would pale it; a premultiplied value written as straight
// would darken it; a key colour blended in would tint it.
TEST_F(BitmapOutput, EdgePixelsOfThePngHavePartialAlphaAndTheInksColour) {
    SlotSettings& slot = set_.slots[0];
    const ColorRef ink = 0x00336699;  // settings order: blue 33, green 66, red 99
    slot.frame.color = slot.busho.color = slot.date.color = slot.name.color = ink;
    const std::uint32_t ink_rgb = argb_of(ink) & 0xFFFFFFu;
    for (PictureSurface surface : {PictureSurface::kAlphaBitmap, PictureSurface::kKeyedBitmap}) {
        SCOPED_TRACE(static_cast<int>(surface));
        const StampPng png = stamp_png_of(render_stamp_picture(set_, 0, surface));
        ASSERT_FALSE(png.file.empty());
        const testing::DecodedImage decoded = testing::decode_image_bytes(png.file.data(), png.file.size());
        ASSERT_GT(decoded.width, 60);
        EXPECT_EQ(alpha_of(decoded.at(0, 0)), 0);
        int partial = 0, off_colour = 0;
        for (std::uint32_t pixel : decoded.argb) {
            const int alpha = alpha_of(pixel);
            if (alpha == 0) continue;
            if (alpha < 255) ++partial;
            // What rounding a premultiplied channel can cost, taken straight.
            const int tolerance = 255 / alpha + 1;
            for (int shift : {0, 8, 16}) {
                const int got = static_cast<int>((pixel >> shift) & 0xFF);
                const int want = static_cast<int>((ink_rgb >> shift) & 0xFF);
                if (std::abs(got - want) > tolerance) {
                    ++off_colour;
                    break;
                }
            }
        }
        EXPECT_GT(partial, 100);
        EXPECT_EQ(off_colour, 0);
    }
}

TEST_F(BitmapOutput, TransparentFormatsTheClipboardRefusesStayTheCallers) {
    StampPng png;
    png.file = {0x89, 'P', 'N', 'G'};
    png.picture.width = 1;
    png.picture.height = 1;
    png.picture.pixels = {0xFFFF0000u};
    TransparentFormats formats = transparent_formats(png);
    ASSERT_NE(formats.png.get(), nullptr);
    ASSERT_NE(formats.dib_v5.get(), nullptr);
    // The clipboard is not open: both are refused and must not be lost.
    put_transparent_formats(formats);
    EXPECT_NE(GlobalSize(formats.png.get()), 0u);
    EXPECT_NE(GlobalSize(formats.dib_v5.get()), 0u);

    // A picture that could not be made gives no blocks at all.
    TransparentFormats none = transparent_formats(StampPng{});
    EXPECT_EQ(none.png.get(), nullptr);
    EXPECT_EQ(none.dib_v5.get(), nullptr);
}

}  // namespace
}  // namespace markomi
