// The metafile pipeline of every design: playback against the bitmap
// pipeline, settings, clipboard, EMF files and the stamping switch.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/process_globals_win.h"
#include "dates/era_table.h"
#include "output/canvas/output_common_win.h"
#include "output/clipboard/stamp_copy_win.h"
#include "output/emf/emf_plus_converter_win.h"
#include "output/emf/emf_record_order.h"
#include "output/emf/emf_records.h"
#include "output/emf/emf_rewrite.h"
#include "output/emf/emf_rewrite_win.h"
#include "output/emf/emf_writer.h"
#include "output/emf/metafile_geometry.h"
#include "output/emf/metafile_output_win.h"
#include "output/emf/recording_check.h"
#include "output/raster/bitmap_output_win.h"
#include "output/vector/vector_output_win.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "support/render_canvas.h"
#include "support/test_files.h"
#include "tests/support/emf_reader.h"

namespace markomi {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kGreen = 0x00FF00;

// Tolerances between the metafile played back and the bitmap pipeline's
// halftone-reduced bitmap of the same slot:
// - size: the bitmap is the ink plus one blank pixel (two at the doubled
//   size, halved); the metafile frame is the ink plus its border b (3 for
//   the normal design, 2 for the others), so it is the bitmap's size
//   + (b - 1), within 2 pixels: the metafile's ink box is measured on a
//   drawing at the stored size, the bitmap's on one at the doubled size, and
//   the two differ by up to a pixel at each edge (the animal's ears);
constexpr int kSizeTolerance = 2;
// - ink bounding boxes (pixels not white), each edge within 3 pixels, both
//   measured from the picture's top-left corner (the metafile keeps a wider
//   blank border, and the bitmap's averaged halving lets faint ink reach its
//   outermost pixels);
constexpr int kInkBoxTolerance = 3;
// - ink placement, the two inks aligned on their boxes' top-left corners:
//   of the bitmap's pixels at least half covered (green channel below 128
//   for red ink), 98 percent have metafile ink within 2 pixels; of the
//   metafile's, 80 percent have bitmap ink within 2 pixels. The second is
//   lower because the halving of a one-pixel doubled-size line leaves a
//   dotted line where no anti-aliasing fills the doubled drawing, while the
//   metafile plays the same stroke back whole (flower and diamond: 85 and
//   90 percent, the others 99). Ink counts say little: they differ by 30
//   to 50 percent for the same reason.
constexpr double kBitmapInkMatched = 0.98;
constexpr double kMetafileInkMatched = 0.80;
constexpr int kInkReach = 2;

struct InkBox {
    int left = 0, top = 0, right = 0, bottom = 0;  // right/bottom exclusive
    bool empty() const { return right <= left || bottom <= top; }
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top-down

    std::uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    InkBox ink_box(std::uint32_t background) const {
        InkBox b{width, height, -1, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) != background) {
                    b.left = std::min(b.left, x);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x + 1);
                    b.bottom = std::max(b.bottom, y + 1);
                }
        return b;
    }
};

// The share of `a`'s strong-ink pixels that find ink of `b` within
// kInkReach pixels (a square) when `b` is read shifted by (sx, sy).
double ink_found_near(const Picture& a, const Picture& b, int sx, int sy) {
    int strong = 0;
    int found = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (((a.at(x, y) >> 8) & 0xFF) >= 128) continue;
            ++strong;
            bool close_by = false;
            for (int dy = -kInkReach; dy <= kInkReach && !close_by; ++dy)
                for (int dx = -kInkReach; dx <= kInkReach && !close_by; ++dx) {
                    const int u = x + sx + dx, v = y + sy + dy;
                    close_by = u >= 0 && v >= 0 && u < b.width && v < b.height && b.at(u, v) != kWhite;
                }
            if (close_by) ++found;
        }
    return strong > 0 ? static_cast<double>(found) / strong : 0.0;
}

std::vector<std::uint8_t> bits_of(HENHMETAFILE metafile) {
    std::vector<std::uint8_t> bits(GetEnhMetaFileBits(metafile, 0, nullptr));
    GetEnhMetaFileBits(metafile, static_cast<UINT>(bits.size()), bits.data());
    return bits;
}

// The picture's size in pixels of the reference surface at the resolution
// its header declares: the frame asked of the recording, whichever recorder
// made it and whatever the monitor says of its millimetres. GDI+ records on
// the surface itself; the project's writer declares a device finer by its
// steps per pixel.
SIZE frame_size(HENHMETAFILE metafile) {
    const std::vector<std::uint8_t> bits = bits_of(metafile);
    const EmfSummary s = summarize_emf(bits.data(), bits.size());
    const EmfDeviceInfo device = emf_device_info(bits.data(), bits.size());
    const int surface = GetDeviceCaps(g_surfaces.reference, HORZRES);
    const double steps = device.pixels_x == surface * kEmfStepsPerPixel ? kEmfStepsPerPixel : 1.0;
    return SIZE{static_cast<LONG>(std::lround((s.frame.right - s.frame.left) * device.dpi_x() / steps / 2540.0)),
                static_cast<LONG>(std::lround((s.frame.bottom - s.frame.top) * device.dpi_y() / steps / 2540.0))};
}

// The frame in hundredths of a millimetre: the size a document gives it.
SIZE physical_size(HENHMETAFILE metafile) {
    const std::vector<std::uint8_t> bits = bits_of(metafile);
    const EmfSummary s = summarize_emf(bits.data(), bits.size());
    return SIZE{s.frame.right - s.frame.left, s.frame.bottom - s.frame.top};
}

// PlayEnhMetaFile onto a 32-bit bitmap of the frame size filled with
// `background`; optionally kept as a PNG artifact.
Picture play(HENHMETAFILE metafile, std::uint32_t background, const std::wstring& artifact = L"") {
    Picture p;
    const SIZE size = frame_size(metafile);
    p.width = size.cx;
    p.height = size.cy;
    if (p.width <= 0 || p.height <= 0) return p;
    testing::RenderCanvas canvas(p.width, p.height);
    Gdiplus::GpGraphics* g = canvas.graphics().graphics;
    gdip::GdipGraphicsClear(g, 0xFF000000 | background);
    HDC dc = nullptr;
    if (gdip::GdipGetDC(g, &dc) == Gdiplus::Ok) {
        const RECT target{0, 0, p.width, p.height};
        PlayEnhMetaFile(dc, metafile, &target);
        gdip::GdipReleaseDC(g, dc);
    }
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.pixels.push_back(canvas.pixel(x, y));
    if (!artifact.empty()) canvas.save_png(artifact);
    return p;
}

bool clipboard_has(UINT format) {
    if (!OpenClipboard(nullptr)) return false;
    const bool has = IsClipboardFormatAvailable(format) != 0;
    CloseClipboard();
    return has;
}

// MARKOMI2_METAFILE_RECORDER set for one scope, and put back after it.
class RecorderForced {
public:
    explicit RecorderForced(const wchar_t* value) {
        const DWORD length = GetEnvironmentVariableW(kName, previous_, 32);
        had_ = length > 0 && length < 32;
        SetEnvironmentVariableW(kName, value);
    }
    ~RecorderForced() { SetEnvironmentVariableW(kName, had_ ? previous_ : nullptr); }
    RecorderForced(const RecorderForced&) = delete;
    RecorderForced& operator=(const RecorderForced&) = delete;

private:
    static constexpr const wchar_t* kName = L"MARKOMI2_METAFILE_RECORDER";
    wchar_t previous_[32] = {};
    bool had_ = false;
};

class MetafileOutput : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        g_startup_dpi = 96;
        set_.date.year = 2025;
        set_.date.month = 5;
        set_.date.day = 1;
        owner_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                 nullptr);
    }
    void TearDown() override {
        g_startup_dpi = 96;
        if (owner_) DestroyWindow(owner_);
        release_surfaces();
    }
    ~MetafileOutput() override {
        for (HENHMETAFILE m : metafiles_) DeleteEnhMetaFile(m);
    }

    HENHMETAFILE record(int slot, MetafileFrame* frame = nullptr) {
        HENHMETAFILE m = render_stamp_metafile(set_, slot, nullptr, frame);
        if (m) metafiles_.push_back(m);
        return m;
    }

    // The bitmap pipeline's output of the slot, on a copy of the settings.
    Picture bitmap_picture(int slot, SettingsSet* after = nullptr, const std::wstring& artifact = L"") {
        SettingsSet copy = set_;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ original = GetCurrentObject(memory, OBJ_BITMAP);
        StampBitmap b = render_stamp_bitmap(copy, slot, screen, memory);
        Picture p;
        p.width = b.width;
        p.height = b.height;
        if (b.bitmap && b.width > 0 && b.height > 0) {
            testing::RenderCanvas canvas(b.width, b.height);
            HDC dc = nullptr;
            if (gdip::GdipGetDC(canvas.graphics().graphics, &dc) == Gdiplus::Ok) {
                BitBlt(dc, 0, 0, b.width, b.height, memory, 0, 0, SRCCOPY);
                gdip::GdipReleaseDC(canvas.graphics().graphics, dc);
            }
            for (int y = 0; y < b.height; ++y)
                for (int x = 0; x < b.width; ++x) p.pixels.push_back(canvas.pixel(x, y));
            if (!artifact.empty()) canvas.save_png(artifact);
        }
        SelectObject(memory, original);
        if (b.bitmap) DeleteObject(b.bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        if (after) *after = copy;
        return p;
    }

    SettingsSet set_;
    HWND owner_ = nullptr;
    std::vector<HENHMETAFILE> metafiles_;
};

TEST_F(MetafileOutput, EveryDesignPlaysBackLikeTheBitmapPipeline) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        HENHMETAFILE m = record(slot);
        ASSERT_NE(m, nullptr);
        const Picture emf = play(m, kWhite, L"metafile_slot" + std::to_wstring(slot + 1));
        const Picture bmp =
            bitmap_picture(slot, nullptr, L"metafile_bitmap_slot" + std::to_wstring(slot + 1));
        ASSERT_GT(emf.width, 0);
        ASSERT_GT(bmp.width, 0);

        const InkBox e = emf.ink_box(kWhite);
        const InkBox b = bmp.ink_box(kWhite);
        ::testing::Message boxes;
        boxes << "metafile " << emf.width << "x" << emf.height << " ink " << e.left << "," << e.top
              << "-" << e.right << "," << e.bottom << "; bitmap " << bmp.width << "x" << bmp.height
              << " ink " << b.left << "," << b.top << "-" << b.right << "," << b.bottom;
        SCOPED_TRACE(boxes);

        const int grow = metafile_border(slot) - 1;
        EXPECT_NEAR(emf.width, bmp.width + grow, kSizeTolerance);
        EXPECT_NEAR(emf.height, bmp.height + grow, kSizeTolerance);
        ASSERT_FALSE(e.empty());
        EXPECT_NEAR(e.left, b.left, kInkBoxTolerance);
        EXPECT_NEAR(e.top, b.top, kInkBoxTolerance);
        EXPECT_NEAR(e.right, b.right, kInkBoxTolerance);
        EXPECT_NEAR(e.bottom, b.bottom, kInkBoxTolerance);

        // The same strokes in the same places, the inks aligned on their boxes.
        EXPECT_GE(ink_found_near(bmp, emf, e.left - b.left, e.top - b.top), kBitmapInkMatched);
        EXPECT_GE(ink_found_near(emf, bmp, b.left - e.left, b.top - e.top), kMetafileInkMatched);
    }
}

TEST_F(MetafileOutput, TheRecordingPaintsAndItsFrameIsTheComputedOne) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        MetafileFrame frame;
        HENHMETAFILE m = record(slot, &frame);
        ASSERT_NE(m, nullptr);
        const std::vector<std::uint8_t> bits = bits_of(m);
        const EmfSummary s = summarize_emf(bits.data(), bits.size());
        EXPECT_TRUE(s.valid);
        EXPECT_TRUE(s.ends_with_eof);
        // Whichever recorder ran, real drawing records are there.
        EXPECT_GT(s.painting_records, 0u);
        const SIZE size = frame_size(m);
        EXPECT_NEAR(size.cx, frame.width, 1);
        EXPECT_NEAR(size.cy, frame.height, 1);
    }
}

TEST_F(MetafileOutput, TheFrameDoesNotDependOnTheSizeFittedLast) {
    // With auto-fit the record keeps the heights of the last fit: after a
    // stamping those of the doubled size. The frame must not grow from them.
    set_.global.ajust = 1;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        MetafileFrame first;
        ASSERT_NE(record(slot, &first), nullptr);
        MetafileFrame again;
        ASSERT_NE(record(slot, &again), nullptr);
        EXPECT_EQ(again.width, first.width);
        EXPECT_EQ(again.height, first.height);
    }
}

TEST_F(MetafileOutput, NothingIsDrawnOutsideTheInk) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        set_.slots[static_cast<size_t>(slot)].frame.shadow = slot % 2 == 0 ? 2 : 0;
        HENHMETAFILE m = record(slot);
        ASSERT_NE(m, nullptr);
        const Picture on_white = play(m, kWhite);
        const Picture on_green = play(m, kGreen);
        ASSERT_EQ(on_white.pixels.size(), on_green.pixels.size());
        int untouched = 0;
        for (size_t i = 0; i < on_white.pixels.size(); ++i) {
            if (on_white.pixels[i] != kWhite) continue;
            ++untouched;
            // No white background was painted: the green shows through.
            ASSERT_EQ(on_green.pixels[i], kGreen) << i;
        }
        EXPECT_GT(untouched, static_cast<int>(on_white.pixels.size()) / 3);
    }
}

TEST_F(MetafileOutput, AShadowWidensTheFrameByTheStoredThickness) {
    for (int thick : {1, 3}) {
        SCOPED_TRACE(thick);
        set_.slots[0].frame.thick = thick;
        set_.slots[0].frame.shadow = 0;
        MetafileFrame flat;
        ASSERT_NE(record(0, &flat), nullptr);
        set_.slots[0].frame.shadow = 2;
        MetafileFrame shadow;
        HENHMETAFILE m = record(0, &shadow);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(shadow.width, flat.width + thick);
        EXPECT_EQ(shadow.height, flat.height + thick);
        play(m, kWhite, L"metafile_slot1_shadow_thick" + std::to_wstring(thick));
    }
}

TEST_F(MetafileOutput, TheStartUpResolutionScalesFrameAndDrawing) {
    MetafileFrame at96;
    HENHMETAFILE m96 = record(1, &at96);
    ASSERT_NE(m96, nullptr);
    g_startup_dpi = 144;
    MetafileFrame at144;
    HENHMETAFILE m144 = record(1, &at144);
    ASSERT_NE(m144, nullptr);
    // trunc(ww x 1.5) with a ratio of 1.
    EXPECT_EQ(at144.width, at96.width * 3 / 2);
    EXPECT_EQ(at144.height, at96.height * 3 / 2);
    // One physical size, the stored size at 96 dpi: more pixels, not a larger stamp.
    EXPECT_NEAR(physical_size(m144).cx, physical_size(m96).cx, 27);
    EXPECT_NEAR(physical_size(m144).cy, physical_size(m96).cy, 27);
    const InkBox small = play(m96, kWhite).ink_box(kWhite);
    const InkBox large = play(m144, kWhite, L"metafile_slot2_144dpi").ink_box(kWhite);
    EXPECT_NEAR(large.right - large.left, (small.right - small.left) * 1.5, 3);
    EXPECT_NEAR(large.bottom - large.top, (small.bottom - small.top) * 1.5, 3);
}

TEST_F(MetafileOutput, SettingsAreAsBeforeAfterwards) {
    for (int ajust : {0, 1}) {
        SCOPED_TRACE(ajust);
        set_.global.ajust = ajust;
        for (int slot = 0; slot < kSlotCount; ++slot) {
            SCOPED_TRACE(slot);
            SlotSettings& live = set_.slots[static_cast<size_t>(slot)];
            live.frame.shadow = slot % 3 == 0 ? 1 : 0;
            const SlotSettings before = live;
            SettingsSet after_bitmap;
            bitmap_picture(slot, &after_bitmap);
            ASSERT_NE(record(slot), nullptr);
            EXPECT_EQ(live.frame.hankei, before.frame.hankei);
            EXPECT_EQ(live.frame.thick, before.frame.thick);
            EXPECT_EQ(live.frame.bunkatu, before.frame.bunkatu);
            EXPECT_EQ(live.frame.shadow, before.frame.shadow);
            EXPECT_EQ(live.frame.color, before.frame.color);
            EXPECT_EQ(live.busho.color, before.busho.color);
            EXPECT_EQ(live.date.color, before.date.color);
            EXPECT_EQ(live.name.color, before.name.color);
            EXPECT_TRUE(live.busho.face_name == before.busho.face_name);
            if (ajust == 0) {
                EXPECT_EQ(live.busho.height, before.busho.height);
                EXPECT_EQ(live.date.height, before.date.height);
                EXPECT_EQ(live.name.height, before.name.height);
            } else {
                // The fit ran at the doubled size, as the bitmap pipeline's does
                // at 96 dpi, and its heights stay in the record.
                const SlotSettings& fitted = after_bitmap.slots[static_cast<size_t>(slot)];
                EXPECT_EQ(live.busho.height, fitted.busho.height);
                EXPECT_EQ(live.date.height, fitted.date.height);
                EXPECT_EQ(live.name.height, fitted.name.height);
                live.busho.height = before.busho.height;
                live.date.height = before.date.height;
                live.name.height = before.name.height;
            }
        }
    }
}

TEST_F(MetafileOutput, TheClipboardHoldsAnEnhancedMetafileOnly) {
    ASSERT_NE(owner_, nullptr);
    ASSERT_TRUE(copy_metafile_to_clipboard(set_, 3, owner_));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(GetClipboardOwner(), owner_);
    HENHMETAFILE on_clipboard = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    ASSERT_NE(on_clipboard, nullptr);
    HENHMETAFILE copy = CopyEnhMetaFileW(on_clipboard, nullptr);
    CloseClipboard();
    ASSERT_NE(copy, nullptr);
    metafiles_.push_back(copy);
    const Picture p = play(copy, kWhite, L"metafile_clipboard_slot4");
    EXPECT_FALSE(p.ink_box(kWhite).empty());
}

TEST_F(MetafileOutput, TheClipboardGetsACopyAndTheCallerKeepsItsHandle) {
    HENHMETAFILE mine = record(0);
    ASSERT_NE(mine, nullptr);
    const std::vector<std::uint8_t> before = bits_of(mine);
    ASSERT_TRUE(put_metafile_on_clipboard(mine, owner_));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HENHMETAFILE on_clipboard = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    EXPECT_NE(on_clipboard, mine);
    EXPECT_EQ(bits_of(on_clipboard), before);
    CloseClipboard();
    // Still the caller's and still whole.
    EXPECT_EQ(bits_of(mine), before);
}

TEST_F(MetafileOutput, AMetafileThatCannotBeCopiedLeavesTheClipboardAsItWas) {
    ASSERT_TRUE(OpenClipboard(owner_));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 4);
    SetClipboardData(CF_UNICODETEXT, text);
    CloseClipboard();
    ASSERT_TRUE(clipboard_has(CF_UNICODETEXT));
    ClipboardCopy outcome = ClipboardCopy::kPlaced;
    EXPECT_FALSE(put_metafile_on_clipboard(nullptr, owner_, &outcome));
    EXPECT_EQ(outcome, ClipboardCopy::kNotRendered);
    EXPECT_TRUE(clipboard_has(CF_UNICODETEXT));
    EXPECT_FALSE(clipboard_has(CF_ENHMETAFILE));
}

TEST_F(MetafileOutput, AnEmfFileStartsWithItsHeaderAndPlaysBack) {
    testing::TempFolder folder;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const std::wstring path = folder.file((L"stamp" + std::to_wstring(slot + 1) + L".emf").c_str());
        ASSERT_TRUE(save_stamp_emf(set_, slot, path.c_str()));
        const std::vector<unsigned char> bytes = testing::read_bytes(path);
        ASSERT_GE(bytes.size(), 88u);
        EXPECT_EQ(bytes[0], 1);
        EXPECT_EQ(bytes[1], 0);
        EXPECT_EQ(bytes[2], 0);
        EXPECT_EQ(bytes[3], 0);
        EXPECT_EQ(std::string(bytes.begin() + 40, bytes.begin() + 44), " EMF");
        const EmfSummary s = summarize_emf(bytes.data(), bytes.size());
        EXPECT_TRUE(s.valid);
        EXPECT_TRUE(s.ends_with_eof);

        HENHMETAFILE from_file = GetEnhMetaFileW(path.c_str());
        ASSERT_NE(from_file, nullptr);
        metafiles_.push_back(from_file);
        const Picture file_picture =
            play(from_file, kWhite, L"metafile_file_slot" + std::to_wstring(slot + 1));
        const Picture memory_picture = play(record(slot), kWhite);
        EXPECT_EQ(file_picture.width, memory_picture.width);
        EXPECT_EQ(file_picture.height, memory_picture.height);
        const InkBox f = file_picture.ink_box(kWhite);
        const InkBox mem = memory_picture.ink_box(kWhite);
        ASSERT_FALSE(f.empty());
        EXPECT_NEAR(f.left, mem.left, 1);
        EXPECT_NEAR(f.right, mem.right, 1);
        EXPECT_NEAR(f.top, mem.top, 1);
        EXPECT_NEAR(f.bottom, mem.bottom, 1);
    }
}

TEST_F(MetafileOutput, SavingReplacesAnEarlierFile) {
    testing::TempFolder folder;
    const std::wstring path = folder.file(L"old.emf");
    ASSERT_TRUE(testing::write_bytes(path, {'o', 'l', 'd'}));
    ASSERT_TRUE(save_stamp_emf(set_, 4, path.c_str()));
    const std::vector<unsigned char> bytes = testing::read_bytes(path);
    ASSERT_GT(bytes.size(), 88u);
    EXPECT_EQ(bytes[0], 1);
}

TEST_F(MetafileOutput, AnUnwritablePathLeavesNoFile) {
    testing::TempFolder folder;
    const std::wstring missing_folder = folder.file(L"no such folder\\stamp.emf");
    EXPECT_FALSE(save_stamp_emf(set_, 0, missing_folder.c_str()));
    EXPECT_FALSE(testing::file_exists(missing_folder));

    // A folder in the way: the recording succeeds, the replacement does not.
    const std::wstring blocked = folder.file(L"blocked.emf");
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_FALSE(save_stamp_emf(set_, 0, blocked.c_str()));
    EXPECT_NE(GetFileAttributesW(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    // Nothing but the folder in the way is left: no temporary file either.
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(folder.file(L"*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    int entries = 0;
    do {
        if (lstrcmpW(found.cFileName, L".") != 0 && lstrcmpW(found.cFileName, L"..") != 0) ++entries;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_EQ(entries, 1);

    EXPECT_FALSE(save_stamp_emf(set_, 0, L""));
    EXPECT_FALSE(save_stamp_emf(set_, 7, folder.file(L"slot8.emf").c_str()));
    EXPECT_FALSE(testing::file_exists(folder.file(L"slot8.emf")));
}

TEST_F(MetafileOutput, TheSwitchPicksThePipelineFromFormatAndCtrl) {
    struct Case {
        const char16_t* format;
        bool ctrl;
        UINT expected;
        UINT absent;
    };
    const Case cases[] = {{u"B", false, CF_BITMAP, CF_ENHMETAFILE},
                          {u"M", false, CF_ENHMETAFILE, CF_BITMAP},
                          {u"B", true, CF_ENHMETAFILE, CF_BITMAP},
                          {u"M", true, CF_BITMAP, CF_ENHMETAFILE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format[0] == u'B' ? "B" : "M") + (c.ctrl ? " ctrl" : ""));
        set_.global.format = c.format;
        ASSERT_TRUE(copy_stamp_to_clipboard(set_, 5, owner_, c.ctrl));
        EXPECT_TRUE(clipboard_has(c.expected));
        EXPECT_FALSE(clipboard_has(c.absent));
    }
}

// How many records of each type a metafile holds.
std::map<std::uint32_t, int> record_types(const std::vector<std::uint8_t>& bits) {
    std::map<std::uint32_t, int> types;
    auto u32 = [&](std::size_t at) {
        return bits[at] | (bits[at + 1] << 8) | (bits[at + 2] << 16) |
               (static_cast<std::uint32_t>(bits[at + 3]) << 24);
    };
    for (std::size_t at = 0; at + 8 <= bits.size();) {
        ++types[u32(at)];
        const std::uint32_t size = u32(at + 4);
        if (size < 8) break;
        at += size;
    }
    return types;
}

TEST_F(MetafileOutput, ClipboardAndFilesHoldPathsAsMovesLinesAndCurvesNeverPolyDraw) {
    // Several readers draw nothing for POLYDRAW records, and some fill a path
    // with the brush current at its end: the project's writer selects every
    // object before the path and writes no clip, mapping or origin records.
    testing::TempFolder folder;
    for (const wchar_t* recorder : {L"probe", L"gdi"})
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(recorder);
        RecorderForced forced(recorder);
        SCOPED_TRACE(slot);
        ASSERT_TRUE(copy_metafile_to_clipboard(set_, slot, owner_));
        ASSERT_TRUE(OpenClipboard(nullptr));
        const std::vector<std::uint8_t> clipboard =
            bits_of(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)));
        CloseClipboard();
        const std::wstring path =
            folder.file((L"paths" + std::to_wstring(slot + 1) + L".emf").c_str());
        ASSERT_TRUE(save_stamp_emf(set_, slot, path.c_str()));
        const std::vector<unsigned char> file = testing::read_bytes(path);

        for (const std::vector<std::uint8_t>* bits : {&clipboard, &file}) {
            SCOPED_TRACE(bits == &file ? "file" : "clipboard");
            std::map<std::uint32_t, int> types = record_types(*bits);
            EXPECT_EQ(types[kEmrPolyDraw16], 0);
            EXPECT_EQ(types[kEmrPolyDraw], 0);
            EXPECT_GT(types[kEmrMoveToEx], 0);
            EXPECT_GT(types[kEmrPolyLineTo16] + types[kEmrPolyBezierTo16] + types[kEmrPolyLineTo] +
                          types[kEmrPolyBezierTo],
                      0);
            const EmfSummary s = summarize_emf(bits->data(), bits->size());
            EXPECT_TRUE(s.valid);
            EXPECT_TRUE(s.ends_with_eof);
            if (recorder[0] == L'g' || !gdiplus_records_metafile_drawing()) {
                for (const EmfOrderFault& fault : emf_record_order_faults(bits->data(), bits->size()))
                    ADD_FAILURE() << "record " << fault.record_index << " (type " << fault.type
                                  << "): " << fault.why;
                // The project's record reader finds every captured path again.
                VectorDrawing captured;
                ASSERT_TRUE(capture_stamp_drawing(set_, slot, &captured));
                const VectorDrawing read = translate_emf(bits->data(), bits->size());
                EXPECT_TRUE(read.ok) << read.error;
                EXPECT_EQ(read.paths.size(), captured.paths.size());
            }
        }
    }
}

TEST_F(MetafileOutput, WithoutPolyDrawTheStampPlaysBackToTheSamePixels) {
    // The stamp as the GDI fallback records it (GDI+ drawing on a GDI metafile
    // DC), then rewritten: not one pixel may change.
    HDC ref = g_surfaces.reference;
    const int side = 200;
    const RECT frame{
        0, 0, emf_frame_hundredths(side, GetDeviceCaps(ref, HORZSIZE), GetDeviceCaps(ref, HORZRES)),
        emf_frame_hundredths(side, GetDeviceCaps(ref, VERTSIZE), GetDeviceCaps(ref, VERTRES))};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        set_.slots[static_cast<size_t>(slot)].frame.shadow = slot % 2 == 0 ? 2 : 0;
        HDC dc = CreateEnhMetaFileW(ref, nullptr, &frame, nullptr);
        ASSERT_NE(dc, nullptr);
        GraphicsWrapper g;
        if (gdip::GdipCreateFromHDC(dc, &g.graphics) == Gdiplus::Ok) {
            prepare_graphics(g);
            render_stamp_with_shadow(g, set_, slot, side / 2, side / 2, set_.global.ajust, 2);
            gdip::GdipDeleteGraphics(g.graphics);
        }
        HENHMETAFILE recorded = CloseEnhMetaFile(dc);
        ASSERT_NE(recorded, nullptr);
        metafiles_.push_back(recorded);
        const std::vector<std::uint8_t> before = bits_of(recorded);
        std::map<std::uint32_t, int> recorded_types = record_types(before);
        if (recorded_types[kEmrPolyDraw16] + recorded_types[kEmrPolyDraw] == 0)
            GTEST_SKIP() << "this GDI+ records its paths without POLYDRAW";

        HENHMETAFILE rewritten =
            without_polydraw_records(CopyEnhMetaFileW(recorded, nullptr), nullptr);
        ASSERT_NE(rewritten, nullptr);
        metafiles_.push_back(rewritten);
        const std::vector<std::uint8_t> after = bits_of(rewritten);
        EXPECT_EQ(record_types(after)[kEmrPolyDraw16], 0);

        const Picture original = play(recorded, kWhite);
        const Picture played =
            play(rewritten, kWhite, L"metafile_rewritten_slot" + std::to_wstring(slot + 1));
        ASSERT_FALSE(original.ink_box(kWhite).empty());
        ASSERT_EQ(played.pixels.size(), original.pixels.size());
        int differing = 0;
        for (size_t i = 0; i < played.pixels.size(); ++i)
            differing += played.pixels[i] != original.pixels[i];
        EXPECT_EQ(differing, 0);
    }
}

// EMF+ records travel in GDI comments that start with "EMF+".
int emf_plus_comments(const std::vector<std::uint8_t>& bits) {
    constexpr std::uint32_t kEmrGdiComment = 70;
    int found = 0;
    for (std::size_t at = 0; at + 16 <= bits.size();) {
        std::uint32_t type = 0, size = 0, identifier = 0;
        std::memcpy(&type, &bits[at], 4);
        std::memcpy(&size, &bits[at + 4], 4);
        std::memcpy(&identifier, &bits[at + 12], 4);
        if (type == kEmrGdiComment && identifier == 0x2B464D45) ++found;  // "EMF+"
        if (size < 8) break;
        at += size;
    }
    return found;
}

// What the pipeline asked of the EMF+ conversion and what it was told.
struct ConversionSeen {
    int calls = 0;
    Gdiplus::EmfType type = Gdiplus::EmfTypeEmfOnly;
    bool reference = false;
    bool failure_flag = false;
    bool description = false;
    Gdiplus::GpStatus status = Gdiplus::Ok;
};
ConversionSeen g_seen;
EmfPlusConverter g_gdiplus_converter = nullptr;
// The answer a fake conversion gives, and the metafile it hands back.
Gdiplus::GpStatus g_answer = Gdiplus::Ok;
bool g_hand_back = false;
std::vector<std::uint8_t> g_handed_bits;

void see(const Gdiplus::GpGraphics* reference, BOOL* failure_flag, Gdiplus::EmfType type,
         const WCHAR* description) {
    ++g_seen.calls;
    g_seen.type = type;
    g_seen.reference = reference != nullptr;
    g_seen.failure_flag = failure_flag != nullptr;
    g_seen.description = description != nullptr;
}

// GDI+'s own conversion, watched.
Gdiplus::GpStatus WINGDIPAPI watched_conversion(const Gdiplus::GpGraphics* reference,
                                                Gdiplus::GpMetafile* metafile, BOOL* failure_flag,
                                                Gdiplus::EmfType type, const WCHAR* description,
                                                Gdiplus::GpMetafile** converted) {
    see(reference, failure_flag, type, description);
    g_seen.status = g_gdiplus_converter(reference, metafile, failure_flag, type, description, converted);
    return g_seen.status;
}

// A conversion that answers g_answer and, when asked to, hands back a small
// metafile of its own (a filled square) whose bits are kept in g_handed_bits.
Gdiplus::GpStatus WINGDIPAPI fake_conversion(const Gdiplus::GpGraphics* reference,
                                             Gdiplus::GpMetafile*, BOOL* failure_flag,
                                             Gdiplus::EmfType type, const WCHAR* description,
                                             Gdiplus::GpMetafile** converted) {
    see(reference, failure_flag, type, description);
    *converted = nullptr;
    if (g_hand_back) {
        HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
        Rectangle(dc, 2, 2, 12, 12);
        HENHMETAFILE own = CloseEnhMetaFile(dc);
        g_handed_bits = bits_of(own);
        if (gdip::GdipCreateMetafileFromEmf(own, TRUE, converted) != Gdiplus::Ok) DeleteEnhMetaFile(own);
    }
    return g_answer;
}

// Puts GDI+'s conversion back whatever a test did.
class ConverterReplaced {
public:
    explicit ConverterReplaced(EmfPlusConverter converter) {
        g_gdiplus_converter = emf_plus_converter();
        g_seen = ConversionSeen{};
        override_emf_plus_converter(converter);
    }
    ~ConverterReplaced() { override_emf_plus_converter(nullptr); }
    ConverterReplaced(const ConverterReplaced&) = delete;
    ConverterReplaced& operator=(const ConverterReplaced&) = delete;
};

TEST_F(MetafileOutput, EitherRecorderGivesTheStampAndTheVectorFilesDoNotDependOnIt) {
    // Where GDI+ records nothing (a header and EOF only), its recording is
    // refused and the project's writer makes the metafile; where it records,
    // its recording passes the same check. Either way the clipboard and the
    // file show the stamp in the same place, and SVG and PDF are the same bytes.
    testing::TempFolder folder;
    std::map<std::wstring, InkBox> clipboard_ink, file_ink;
    std::map<std::wstring, std::vector<unsigned char>> svg, pdf;
    for (const wchar_t* recorder : {L"gdi", L"GDIPLUS"}) {
        SCOPED_TRACE(recorder[3] ? "gdiplus" : "gdi");
        RecorderForced forced(recorder);
        std::vector<std::uint8_t> bits;
        {
            ConverterReplaced watched(watched_conversion);
            if (!g_gdiplus_converter) override_emf_plus_converter(nullptr);  // a GDI+ without one
            ASSERT_TRUE(copy_metafile_to_clipboard(set_, 2, owner_));
            ASSERT_TRUE(OpenClipboard(nullptr));
            bits = bits_of(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)));
            CloseClipboard();
        }
        const EmfSummary s = summarize_emf(bits.data(), bits.size());
        EXPECT_TRUE(s.valid);
        EXPECT_TRUE(s.ends_with_eof);
        EXPECT_GT(s.painting_records, 0u);
        if (g_gdiplus_converter) {
            EXPECT_EQ(g_seen.calls, 1);
            EXPECT_EQ(g_seen.type, Gdiplus::EmfTypeEmfPlusDual);
            EXPECT_TRUE(g_seen.reference);
            // A conversion that worked gives EMF+ beside the GDI records.
            if (g_seen.status == Gdiplus::Ok) {
                EXPECT_GT(emf_plus_comments(bits), 0);
            }
        }
        HENHMETAFILE copy = SetEnhMetaFileBits(static_cast<UINT>(bits.size()), bits.data());
        ASSERT_NE(copy, nullptr);
        metafiles_.push_back(copy);
        clipboard_ink[recorder] = play(copy, kWhite, std::wstring(L"metafile_clipboard_") + recorder).ink_box(kWhite);
        ASSERT_FALSE(clipboard_ink[recorder].empty());

        const std::wstring emf = folder.file((std::wstring(recorder) + L".emf").c_str());
        ASSERT_TRUE(save_stamp_emf(set_, 2, emf.c_str()));
        HENHMETAFILE from_file = GetEnhMetaFileW(emf.c_str());
        ASSERT_NE(from_file, nullptr);
        metafiles_.push_back(from_file);
        file_ink[recorder] = play(from_file, kWhite).ink_box(kWhite);
        ASSERT_FALSE(file_ink[recorder].empty());

        const std::wstring svg_path = folder.file((std::wstring(recorder) + L".svg").c_str());
        const std::wstring pdf_path = folder.file((std::wstring(recorder) + L".pdf").c_str());
        ASSERT_TRUE(save_stamp_vector(set_, 2, VectorFormat::kSvg, svg_path.c_str()));
        ASSERT_TRUE(save_stamp_vector(set_, 2, VectorFormat::kPdf, pdf_path.c_str()));
        svg[recorder] = testing::read_bytes(svg_path);
        pdf[recorder] = testing::read_bytes(pdf_path);
    }
    for (auto* inks : {&clipboard_ink, &file_ink}) {
        const InkBox a = (*inks)[L"gdi"], b = (*inks)[L"GDIPLUS"];
        EXPECT_NEAR(b.left, a.left, 2);
        EXPECT_NEAR(b.top, a.top, 2);
        EXPECT_NEAR(b.right, a.right, 2);
        EXPECT_NEAR(b.bottom, a.bottom, 2);
    }
    EXPECT_FALSE(svg[L"gdi"].empty());
    EXPECT_EQ(svg[L"gdi"], svg[L"GDIPLUS"]);
    EXPECT_EQ(pdf[L"gdi"], pdf[L"GDIPLUS"]);
}

TEST_F(MetafileOutput, EveryMetafileHasTheStoredSizeAtNinetySixDpiAndItsFrameInPixels) {
    // The frame is the stored size at 96 dpi in hundredths of a millimetre,
    // whatever the start-up scale, the recorder or the monitor's reported
    // millimetres; at the header's own resolution it is the frame asked for.
    std::map<int, SIZE> written;
    for (const wchar_t* recorder : {L"gdi", L"gdiplus"}) {
        SCOPED_TRACE(recorder[3] ? "gdiplus" : "gdi");
        RecorderForced forced(recorder);
        for (int slot : {0, 3}) {
            SCOPED_TRACE(slot);
            set_.slots[static_cast<size_t>(slot)].frame.shadow = slot == 3 ? 2 : 0;
            MetafileFrame frames[2];
            HENHMETAFILE metafiles[2] = {};
            const int dpis[2] = {96, 144};
            for (int i = 0; i < 2; ++i) {
                g_startup_dpi = dpis[i];
                metafiles[i] = record(slot, &frames[i]);
                ASSERT_NE(metafiles[i], nullptr);
                const SIZE declared = frame_size(metafiles[i]);
                EXPECT_NEAR(declared.cx, frames[i].width, 1);
                EXPECT_NEAR(declared.cy, frames[i].height, 1);
            }
            g_startup_dpi = 96;
            EXPECT_NEAR(frames[1].width, frames[0].width * 1.5, 1);
            EXPECT_NEAR(frames[1].height, frames[0].height * 1.5, 1);
            const SIZE stored = physical_size(metafiles[0]);
            if (recorder[3] == 0) {
                // The project's writer at 96 dpi: the frame is the stored size itself.
                EXPECT_NEAR(stored.cx, hundredths_at_dpi(frames[0].width, 96.0), 1);
                EXPECT_NEAR(stored.cy, hundredths_at_dpi(frames[0].height, 96.0), 1);
                written[slot] = stored;
            } else {
                // A GDI+ recording (its own resolution ratio) within what its check lets through.
                EXPECT_NEAR(stored.cx, written[slot].cx, written[slot].cx * 3 / 100 + 27);
                EXPECT_NEAR(stored.cy, written[slot].cy, written[slot].cy * 3 / 100 + 27);
            }
            EXPECT_NEAR(physical_size(metafiles[1]).cx, stored.cx, 27);
            EXPECT_NEAR(physical_size(metafiles[1]).cy, stored.cy, 27);
        }
    }
}

TEST_F(MetafileOutput, TheConversionsAnswerDecidesWhatTheClipboardGets) {
    // AJUST 1: the fit leaves its heights in the record when the pipeline
    // ends normally, which it does whatever the conversion answers.
    set_.global.ajust = 1;
    const SlotSettings stored = set_.slots[4];
    for (const wchar_t* recorder : {L"gdi", L"gdiplus"}) {
        SCOPED_TRACE(recorder[3] ? "gdiplus" : "gdi");
        RecorderForced forced(recorder);
        ConverterReplaced fake(fake_conversion);
        auto clipboard = [&](Gdiplus::GpStatus answer, bool hand_back) {
            set_.slots[4] = stored;
            g_answer = answer;
            g_hand_back = hand_back;
            g_handed_bits.clear();
            std::vector<std::uint8_t> bits;
            ClipboardCopy outcome = ClipboardCopy::kPlaced;
            if (copy_metafile_to_clipboard(set_, 4, owner_, &outcome) && OpenClipboard(nullptr)) {
                bits = bits_of(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)));
                CloseClipboard();
            }
            return bits;
        };
        // NotImplemented and nothing handed back: the recording as it is.
        const std::vector<std::uint8_t> recording = clipboard(Gdiplus::NotImplemented, false);
        ASSERT_FALSE(recording.empty());
        EXPECT_EQ(g_seen.calls, 1);
        EXPECT_EQ(g_seen.type, Gdiplus::EmfTypeEmfPlusDual);
        EXPECT_TRUE(g_seen.reference);
        EXPECT_FALSE(g_seen.failure_flag);
        EXPECT_FALSE(g_seen.description);
        EXPECT_NE(set_.slots[4].date.height, stored.date.height) << "the fit changed nothing";

        // OK with a conversion: the clipboard gets the converted metafile.
        EXPECT_EQ(clipboard(Gdiplus::Ok, true), g_handed_bits);
        ASSERT_FALSE(g_handed_bits.empty());
        // OK without one, or any failure even with one: the recording. That
        // includes InvalidParameter, which Windows answers for good
        // recordings: the stamp still reaches the clipboard, replacing what
        // it held, and the pipeline ends as normally as with a conversion.
        EXPECT_EQ(clipboard(Gdiplus::Ok, false), recording);
        EXPECT_EQ(clipboard(Gdiplus::Win32Error, true), recording);
        for (bool hand_back : {false, true}) {
            SCOPED_TRACE(hand_back);
            ASSERT_TRUE(OpenClipboard(owner_));
            EmptyClipboard();
            SetClipboardData(CF_UNICODETEXT, GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4));
            CloseClipboard();
            const int calls = g_seen.calls;
            EXPECT_EQ(clipboard(Gdiplus::InvalidParameter, hand_back), recording);
            EXPECT_EQ(g_seen.calls, calls + 1);
            EXPECT_TRUE(clipboard_has(CF_ENHMETAFILE));
            EXPECT_FALSE(clipboard_has(CF_UNICODETEXT));
            EXPECT_EQ(set_.slots[4].frame.hankei, stored.frame.hankei);
            EXPECT_EQ(set_.slots[4].frame.thick, stored.frame.thick);
            // The fit's heights stay, as after any finished stamping.
            EXPECT_NE(set_.slots[4].date.height, stored.date.height);
        }
        // A file is never converted.
        const int calls = g_seen.calls;
        testing::TempFolder folder;
        save_stamp_emf(set_, 4, folder.file(L"unconverted.emf").c_str());
        EXPECT_EQ(g_seen.calls, calls);
    }
}

}  // namespace
}  // namespace markomi
