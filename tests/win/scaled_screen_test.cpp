// Outputs on a scaled screen. The preview fits the rows at the screen's
// scale and leaves those heights in the settings; the bitmap, BMP, PNG and
// JPEG made after it must still be what they are at 96 dpi. ctest also runs
// this suite with MARKOMI2_WINE_DPI 120 and 144, where the screen itself is
// scaled and the bitmap is held against the reviewed 96-dpi images.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program_paths_win.h"
#include "dates/era_table.h"
#include "output/preview/preview_output_win.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/image_file_win.h"
#include "render/surfaces_gdiplus.h"
#include "support/golden.h"
#include "support/test_files.h"
#include "support/wine_detect.h"
#include "uninstaller/uninstall_rules.h"
#include "uninstaller/uninstall_window_win.h"

namespace markomi {
namespace {

using testing::TempFolder;

const wchar_t* const kDesigns[] = {L"normal", L"flower", L"star", L"insect",
                                   L"typhoon", L"diamond", L"animal"};

// One output of a slot: its pixels (bitmap) or its file's bytes.
struct Output {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;
};

class ScaledScreen : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        base_.date.year = 2025;
        base_.date.month = 5;
        base_.date.day = 1;
        ASSERT_EQ(base_.global.ajust, 1);
        if (const char* wanted = std::getenv("MARKOMI2_WINE_DPI")) {
            ASSERT_EQ(read_screen_dpi(), std::atoi(wanted)) << "the screen was not scaled";
        }
        screen_ = GetDC(nullptr);
        preview_dc_ = CreateCompatibleDC(screen_);
        preview_bitmap_ = CreateCompatibleBitmap(screen_, 600, 600);
        old_preview_ = SelectObject(preview_dc_, preview_bitmap_);
    }
    void TearDown() override {
        SelectObject(preview_dc_, old_preview_);
        DeleteObject(preview_bitmap_);
        DeleteDC(preview_dc_);
        ReleaseDC(nullptr, screen_);
        release_surfaces();
    }

    // The clipboard bitmap, made right after a preview at `dpi`.
    Output bitmap_after_preview(SettingsSet& set, int slot, int dpi) {
        draw_preview_slot(preview_dc_, set, slot, dpi);
        HDC memory = CreateCompatibleDC(screen_);
        HGDIOBJ original = GetCurrentObject(memory, OBJ_BITMAP);
        StampBitmap b = render_stamp_bitmap(set, slot, screen_, memory);
        SelectObject(memory, original);
        Output out;
        out.width = b.width;
        out.height = b.height;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = b.width;
        info.bmiHeader.biHeight = -b.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        out.bytes.resize(static_cast<std::size_t>(b.width) * b.height * 4);
        if (b.bitmap && GetDIBits(memory, b.bitmap, 0, b.height, out.bytes.data(), &info,
                                  DIB_RGB_COLORS) != b.height)
            out.bytes.clear();
        if (b.bitmap) DeleteObject(b.bitmap);
        DeleteDC(memory);
        return out;
    }

    // The file of `writer` (BMP, PNG or JPEG), written right after a preview at `dpi`.
    Output file_after_preview(SettingsSet& set, int slot, int dpi, ImageWriter writer) {
        draw_preview_slot(preview_dc_, set, slot, dpi);
        const std::wstring path = folder_.file(L"stamp");
        const bool written = writer == ImageWriter::kBmp
                                 ? save_stamp_bmp(set, slot, nullptr, path.c_str())
                                 : save_stamp_image(set, slot, writer, path.c_str());
        Output out;
        if (written) out.bytes = testing::read_bytes(path);
        DeleteFileW(path.c_str());
        return out;
    }

    SettingsSet base_;
    TempFolder folder_;
    HDC screen_ = nullptr;
    HDC preview_dc_ = nullptr;
    HBITMAP preview_bitmap_ = nullptr;
    HGDIOBJ old_preview_ = nullptr;
};

// The resolutions whose preview may come before an output: the usual
// scaled screens and the screen this runs on.
std::vector<int> scaled_dpis() {
    std::vector<int> dpis{120, 144};
    const int screen = read_screen_dpi();
    if (screen != 96 && screen != 120 && screen != 144) dpis.push_back(screen);
    return dpis;
}

TEST_F(ScaledScreen, BitmapAfterAScaledPreviewIsTheOneOf96Dpi) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(kDesigns[slot]);
        SettingsSet at96 = base_;
        const Output expected = bitmap_after_preview(at96, slot, 96);
        ASSERT_FALSE(expected.bytes.empty());
        // Whatever the screen, the 96-dpi bitmap is the reviewed one: one
        // pixel of border around the ink, the stamp centred. (The reviewed
        // images are Wine's rendering.)
        if (testing::running_under_wine()) {
            const testing::GoldenComparison golden = testing::compare_with_golden(
                std::wstring(L"bitmap-") + kDesigns[slot] + L".png", expected.width, expected.height,
                [&](int x, int y) {
                    const std::size_t at = (static_cast<std::size_t>(y) * expected.width + x) * 4;
                    const std::uint8_t* p = &expected.bytes[at];
                    return static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
                });
            EXPECT_TRUE(golden.same_size) << "screen at " << read_screen_dpi() << " dpi";
            EXPECT_TRUE(golden.within_tolerance()) << golden.differing << " of " << golden.inked;
        }
        for (int dpi : scaled_dpis()) {
            SCOPED_TRACE(dpi);
            SettingsSet set = base_;
            const Output scaled = bitmap_after_preview(set, slot, dpi);
            EXPECT_EQ(scaled.width, expected.width);
            EXPECT_EQ(scaled.height, expected.height);
            EXPECT_TRUE(scaled.bytes == expected.bytes);
        }
    }
}

TEST_F(ScaledScreen, ImageFilesAfterAScaledPreviewAreTheOnesOf96Dpi) {
    const ImageWriter writers[] = {ImageWriter::kBmp, ImageWriter::kPng, ImageWriter::kJpeg};
    // The round design, the widest ornament and the tallest canvas.
    for (int slot : {0, 1, 6}) {
        SCOPED_TRACE(kDesigns[slot]);
        for (ImageWriter writer : writers) {
            SCOPED_TRACE(static_cast<int>(writer));
            SettingsSet at96 = base_;
            const Output expected = file_after_preview(at96, slot, 96, writer);
            ASSERT_FALSE(expected.bytes.empty());
            for (int dpi : scaled_dpis()) {
                SCOPED_TRACE(dpi);
                SettingsSet set = base_;
                const Output scaled = file_after_preview(set, slot, dpi, writer);
                EXPECT_EQ(scaled.bytes.size(), expected.bytes.size());
                EXPECT_TRUE(scaled.bytes == expected.bytes);
            }
        }
    }
}

// The uninstaller's buttons are measured in the units of the system font,
// which follows the screen; its text must grow with them.
TEST_F(ScaledScreen, UninstallerTextGrowsWithItsButtons) {
    const int dpi = read_screen_dpi();
    ASSERT_TRUE(register_uninstall_window_class(GetModuleHandleW(nullptr)));
    HWND window = create_uninstall_window(GetModuleHandleW(nullptr));
    // Once in a full suite run this first window of the process was refused
    // (the scaled screens' Wine desktop was busy); a second try tells that
    // apart from a window that cannot be made at all.
    const DWORD first_error = window ? 0 : GetLastError();
    if (!window) {
        Sleep(500);
        window = create_uninstall_window(GetModuleHandleW(nullptr));
    }
    ASSERT_NE(window, nullptr) << "error " << GetLastError() << ", first try " << first_error;
    if (first_error) std::printf("the first window was refused with error %lu\n", first_error);
    HWND cancel = GetDlgItem(window, kUninstallIdCancel);
    ASSERT_NE(cancel, nullptr);
    LOGFONTW font{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(cancel, WM_GETFONT, 0, 0)), sizeof font,
                         &font),
              0);
    EXPECT_EQ(font.lfHeight, MulDiv(-14, dpi, 96)) << "screen at " << dpi << " dpi";
    // The caption fits its button at any scale.
    HDC dc = GetDC(cancel);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(cancel, WM_GETFONT, 0, 0)));
    SIZE text{};
    GetTextExtentPoint32W(dc, L"キャンセル", 5, &text);
    SelectObject(dc, old);
    ReleaseDC(cancel, dc);
    RECT button{};
    GetClientRect(cancel, &button);
    EXPECT_LT(text.cx, button.right);
    EXPECT_LT(text.cy, button.bottom);
    // Closing posts the quit message of the uninstaller's loop; this thread has none.
    DestroyWindow(window);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace
}  // namespace markomi
