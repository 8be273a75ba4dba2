// Image files of every design: BMP bytes, PNG transparency, JPEG background,
// sizes against the bitmap pipeline, failures that leave no file, the dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "dates/era_table.h"
#include "output/canvas/output_common_win.h"
#include "output/canvas/stamp_canvas.h"
#include "output/clipboard/stamp_copy_win.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/bmp_writer.h"
#include "output/raster/image_file_rules.h"
#include "output/raster/image_file_win.h"
#include "output/vector/vector_output_win.h"
#include "render/preview_geometry.h"
#include "render/surfaces_gdiplus.h"
#include "support/decoded_image.h"
#include "support/test_files.h"

namespace markomi {
namespace {

using testing::TempFolder;

using testing::folder_entries;

using testing::DecodedImage;

int alpha_of(std::uint32_t argb) { return static_cast<int>(argb >> 24); }
int red_of(std::uint32_t argb) { return static_cast<int>((argb >> 16) & 0xFF); }
int green_of(std::uint32_t argb) { return static_cast<int>((argb >> 8) & 0xFF); }
int blue_of(std::uint32_t argb) { return static_cast<int>(argb & 0xFF); }

bool is_stamp_red(std::uint32_t argb) {
    return red_of(argb) >= 200 && green_of(argb) <= 80 && blue_of(argb) <= 80;
}

class ImageFile : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        set_.date.year = 2025;
        set_.date.month = 5;
        set_.date.day = 1;
        // Without auto-fit the heights stay as they are, so every writer and
        // the expectations measure the same ink box.
        set_.global.ajust = 0;
    }
    void TearDown() override { release_surfaces(); }

    // The layouts the two kinds of writer work with, taken as they take them.
    struct Layouts {
        BitmapLayout bitmap;
        BitmapLayout image;
    };
    Layouts layouts_of(int slot) {
        ScaledSlot scaled(set_, slot, kSupersampleFactor);
        const ScaledGeometry& sg = scaled.geometry();
        const SlotSettings& s = set_.slots[static_cast<size_t>(slot)];
        const WorkingCanvas canvas = working_canvas(canvas_shape_of_slot(slot), sg, s.frame.bunkatu);
        const InkMargins m =
            stamp_ink_box(set_, slot, canvas.cx, canvas.cy, 0, 0, canvas.width, canvas.height);
        const bool shadow = s.frame.shadow > 0;
        return {bitmap_layout(canvas, m, shadow, sg.shadow_distance, kSupersampleFactor),
                image_writer_layout(slot, canvas, m, shadow, sg.shadow_distance, kSupersampleFactor)};
    }

    SettingsSet set_;
    TempFolder folder_;
};

TEST_F(ImageFile, BmpHoldsTheBitmapPipelinesPictureByteForByte) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ original = GetCurrentObject(memory, OBJ_BITMAP);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const std::wstring path = folder_.file((L"stamp" + std::to_wstring(slot) + L".bmp").c_str());
        ASSERT_TRUE(save_stamp_bmp(set_, slot, nullptr, path.c_str()));
        const std::vector<unsigned char> bytes = testing::read_bytes(path);

        const BitmapLayout expected = layouts_of(slot).bitmap;
        StampBitmap reference = render_stamp_bitmap(set_, slot, screen, memory);
        ASSERT_EQ(reference.width, expected.width);
        ASSERT_EQ(reference.height, expected.height);
        const int w = reference.width, h = reference.height;
        const size_t stride = *bmp_row_stride(w);
        ASSERT_EQ(bytes.size(), 54 + stride * static_cast<size_t>(h));
        const auto headers = bmp_headers(w, h);
        ASSERT_TRUE(headers);
        EXPECT_TRUE(std::equal(headers->begin(), headers->end(), bytes.begin()));

        // Rows bottom-up, blue-green-red, zero padding: compared with the
        // pipeline's own bitmap pixel by pixel.
        int mismatches = 0, red = 0;
        for (int y = 0; y < h; ++y) {
            const unsigned char* row = bytes.data() + 54 + static_cast<size_t>(h - 1 - y) * stride;
            for (int x = 0; x < w; ++x) {
                const COLORREF c = GetPixel(memory, x, y);
                const unsigned char* p = row + 3 * x;
                if (p[0] != GetBValue(c) || p[1] != GetGValue(c) || p[2] != GetRValue(c)) ++mismatches;
                if (p[2] >= 200 && p[1] <= 80 && p[0] <= 80) ++red;
            }
            for (size_t pad = 3 * static_cast<size_t>(w); pad < stride; ++pad)
                if (row[pad] != 0) ++mismatches;
        }
        EXPECT_EQ(mismatches, 0);
        EXPECT_GT(red, 50);
        // The one-pixel blank border survives in the corners.
        EXPECT_EQ(bytes[54], 0xFF);
        SelectObject(memory, original);
        DeleteObject(reference.bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST_F(ImageFile, PngHasTheBitmapSizeAndIsTransparentOutsideTheInk) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const std::wstring path = folder_.file((L"stamp" + std::to_wstring(slot) + L".png").c_str());
        ASSERT_TRUE(save_stamp_image(set_, slot, ImageWriter::kPng, path.c_str()));
        const DecodedImage png = testing::decode_image_file(path);
        const Layouts l = layouts_of(slot);
        EXPECT_EQ(png.width, l.bitmap.width);
        if (slot == 6) {
            // The animal's image files keep one more doubled-size row before halving.
            EXPECT_EQ(png.height, (l.bitmap.work_height + 1) / 2);
        } else {
            EXPECT_EQ(png.height, l.bitmap.height);
        }
        EXPECT_EQ(png.height, l.image.height);
        ASSERT_GT(png.width, 10);
        ASSERT_GT(png.height, 10);

        for (auto [x, y] : {std::array<int, 2>{0, 0}, {png.width - 1, 0}, {0, png.height - 1},
                            {png.width - 1, png.height - 1}})
            EXPECT_EQ(alpha_of(png.at(x, y)), 0) << x << "," << y;
        // Along the middle row: transparent up to the ring, then opaque red on it.
        const int mid = png.height / 2;
        int x = 0;
        while (x < png.width && alpha_of(png.at(x, mid)) == 0) ++x;
        EXPECT_GE(x, 0);
        EXPECT_LT(x, png.width / 4);
        int opaque_red = 0;
        for (std::uint32_t c : png.argb)
            if (alpha_of(c) == 255 && is_stamp_red(c)) ++opaque_red;
        EXPECT_GT(opaque_red, 50);
    }
}

TEST_F(ImageFile, JpegHasTheSizeOfThePngAndAWhiteBackground) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const std::wstring path = folder_.file((L"stamp" + std::to_wstring(slot) + L".jpg").c_str());
        ASSERT_TRUE(save_stamp_image(set_, slot, ImageWriter::kJpeg, path.c_str()));
        const std::vector<unsigned char> bytes = testing::read_bytes(path);
        ASSERT_GE(bytes.size(), 3u);
        EXPECT_EQ(bytes[0], 0xFF);  // JPEG start-of-image marker
        EXPECT_EQ(bytes[1], 0xD8);
        const DecodedImage jpg = testing::decode_image_file(path);
        const Layouts l = layouts_of(slot);
        EXPECT_EQ(jpg.width, l.image.width);
        EXPECT_EQ(jpg.height, l.image.height);
        ASSERT_GT(jpg.width, 10);
        for (auto [x, y] : {std::array<int, 2>{0, 0}, {jpg.width - 1, 0}, {0, jpg.height - 1},
                            {jpg.width - 1, jpg.height - 1}}) {
            const std::uint32_t c = jpg.at(x, y);
            EXPECT_EQ(alpha_of(c), 255);
            // JPEG is lossy: white within a small margin.
            EXPECT_GE(std::min({red_of(c), green_of(c), blue_of(c)}), 235) << x << "," << y;
        }
        int reddish = 0;
        for (std::uint32_t c : jpg.argb)
            if (red_of(c) >= 180 && green_of(c) <= 110 && blue_of(c) <= 110) ++reddish;
        EXPECT_GT(reddish, 50);
    }
}

TEST_F(ImageFile, AShadowGrowsTheImageFilesRightAndDown) {
    set_.slots[0].frame.thick = 1;
    const std::wstring flat_png = folder_.file(L"flat.png"), flat_bmp = folder_.file(L"flat.bmp");
    ASSERT_TRUE(save_stamp_image(set_, 0, ImageWriter::kPng, flat_png.c_str()));
    ASSERT_TRUE(save_stamp_bmp(set_, 0, nullptr, flat_bmp.c_str()));
    set_.slots[0].frame.shadow = 2;
    const std::wstring shadow_png = folder_.file(L"shadow.png"),
                       shadow_bmp = folder_.file(L"shadow.bmp");
    ASSERT_TRUE(save_stamp_image(set_, 0, ImageWriter::kPng, shadow_png.c_str()));
    ASSERT_TRUE(save_stamp_bmp(set_, 0, nullptr, shadow_bmp.c_str()));
    // s = max(2 x 1 - 1, 2) = 2 doubled-size pixels: one after halving.
    const DecodedImage a = testing::decode_image_file(flat_png);
    const DecodedImage b = testing::decode_image_file(shadow_png);
    EXPECT_EQ(b.width, a.width + 1);
    EXPECT_EQ(b.height, a.height + 1);
    const DecodedImage c = testing::decode_image_file(flat_bmp);
    const DecodedImage d = testing::decode_image_file(shadow_bmp);
    EXPECT_EQ(c.width, a.width);
    EXPECT_EQ(d.width, c.width + 1);
    EXPECT_EQ(d.height, c.height + 1);
}

TEST_F(ImageFile, SettingsAreAsBeforeAfterEveryWriter) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const SlotSettings before = set_.slots[static_cast<size_t>(slot)];
        ASSERT_TRUE(save_stamp_bmp(set_, slot, nullptr, folder_.file(L"s.bmp").c_str()));
        ASSERT_TRUE(save_stamp_image(set_, slot, ImageWriter::kPng, folder_.file(L"s.png").c_str()));
        ASSERT_TRUE(save_stamp_image(set_, slot, ImageWriter::kJpeg, folder_.file(L"s.jpg").c_str()));
        ASSERT_TRUE(save_stamp_vector(set_, slot, VectorFormat::kPdf, folder_.file(L"s.pdf").c_str()));
        const SlotSettings& after = set_.slots[static_cast<size_t>(slot)];
        EXPECT_EQ(after.frame.hankei, before.frame.hankei);
        EXPECT_EQ(after.frame.thick, before.frame.thick);
        EXPECT_EQ(after.frame.color, before.frame.color);
        EXPECT_EQ(after.busho.height, before.busho.height);
        EXPECT_EQ(after.date.height, before.date.height);
        EXPECT_EQ(after.name.height, before.name.height);
        EXPECT_EQ(after.busho.color, before.busho.color);
        EXPECT_EQ(after.date.color, before.date.color);
        EXPECT_EQ(after.name.color, before.name.color);
    }
}

// The first bytes of each writer's files, by type list index (1 BMP, 2 PNG,
// 3 JPG, 4 EMF, 5 SVG, 6 PDF).
const std::vector<unsigned char>& file_signature(int index) {
    static const std::vector<unsigned char> kStarts[] = {
        {'B', 'M'}, {0x89, 'P', 'N', 'G'}, {0xFF, 0xD8}, {1, 0, 0, 0}, {'<', '?', 'x', 'm', 'l'},
        {'%', 'P', 'D', 'F', '-'}};
    return kStarts[index - 1];
}

bool starts_with(const std::vector<unsigned char>& bytes, const std::vector<unsigned char>& start) {
    return bytes.size() >= start.size() && std::equal(start.begin(), start.end(), bytes.begin());
}

TEST_F(ImageFile, AnExistingFileIsReplacedWholeAndAHiddenOneStaysHidden) {
    for (int index = 1; index <= 6; ++index) {
        SCOPED_TRACE(index);
        const std::wstring path = folder_.file(L"old.x");
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(testing::write_bytes(path, std::vector<unsigned char>(100000, 0x55)));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
        ASSERT_TRUE(save_stamp_file(set_, 1, nullptr, index, path.c_str()));
        const std::vector<unsigned char> bytes = testing::read_bytes(path);
        EXPECT_LT(bytes.size(), 100000u);
        EXPECT_TRUE(starts_with(bytes, file_signature(index)));
        EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
        // No staging file ("old.x.~<pid>-<n>.tmp") is left beside it.
        EXPECT_EQ(folder_entries(folder_.path()), std::vector<std::wstring>{L"old.x"});
    }
}

TEST_F(ImageFile, AnUnwritablePathFailsAndLeavesNoFile) {
    // Every writer, the EMF (4), SVG (5) and PDF (6) included, refuses a
    // read-only file alike, and one that another program holds open without
    // letting it be replaced, which fails only once the staging file is
    // written.
    for (int index = 1; index <= 6; ++index) {
        SCOPED_TRACE(index);
        const std::wstring missing = folder_.path() + L"\\no such folder\\stamp.x";
        EXPECT_FALSE(save_stamp_file(set_, 2, nullptr, index, missing.c_str()));
        EXPECT_EQ(GetFileAttributesW((folder_.path() + L"\\no such folder").c_str()),
                  INVALID_FILE_ATTRIBUTES);

        const std::wstring locked = folder_.file(L"locked.x");
        const std::vector<unsigned char> old_bytes{'o', 'l', 'd'};
        SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(testing::write_bytes(locked, old_bytes));
        ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_FALSE(save_stamp_file(set_, 2, nullptr, index, locked.c_str()));
        EXPECT_EQ(testing::read_bytes(locked), old_bytes);
        // No staging file is left beside it either.
        EXPECT_EQ(folder_entries(folder_.path()), std::vector<std::wstring>{L"locked.x"});

        ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL));
        HANDLE held = CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(save_stamp_file(set_, 2, nullptr, index, locked.c_str()));
        CloseHandle(held);
        EXPECT_EQ(testing::read_bytes(locked), old_bytes);
        EXPECT_EQ(folder_entries(folder_.path()), std::vector<std::wstring>{L"locked.x"});
    }
}

TEST_F(ImageFile, TypeIndicesOutsideTheListWriteNothing) {
    for (int index : {0, 7, -1}) {
        EXPECT_FALSE(save_stamp_file(set_, 0, nullptr, index, folder_.file(L"x.bmp").c_str()));
    }
    EXPECT_FALSE(save_stamp_bmp(set_, kSlotCount, nullptr, folder_.file(L"x.bmp").c_str()));
    EXPECT_TRUE(folder_entries(folder_.path()).empty());
}

TEST_F(ImageFile, TheTypeListIndexPicksTheWriter) {
    // Each file starts with its format's signature.
    for (int index = 1; index <= 6; ++index) {
        SCOPED_TRACE(index);
        const std::wstring path = folder_.file((L"typed" + std::to_wstring(index)).c_str());
        ASSERT_TRUE(save_stamp_file(set_, 3, nullptr, index, path.c_str()));
        const std::vector<unsigned char> bytes = testing::read_bytes(path);
        ASSERT_GE(bytes.size(), 44u);
        EXPECT_TRUE(starts_with(bytes, file_signature(index)));
        if (index == 4) {
            EXPECT_EQ(std::string(bytes.begin() + 40, bytes.begin() + 44), " EMF");
        }
    }
}

// The numbers of an SVG's path data, and the viewBox's width.
struct SvgNumbers {
    double view_width = 0;
    std::vector<double> path;
};

SvgNumbers svg_numbers(const std::string& svg) {
    SvgNumbers out;
    const std::size_t box = svg.find("viewBox=\"");
    if (box != std::string::npos) {
        double x = 0, y = 0;
        std::sscanf(svg.c_str() + box + 9, "%lf %lf %lf", &x, &y, &out.view_width);
    }
    for (std::size_t at = svg.find(" d=\""); at != std::string::npos; at = svg.find(" d=\"", at + 1)) {
        const char* p = svg.c_str() + at + 4;
        while (*p && *p != '"') {
            char* end = nullptr;
            const double value = std::strtod(p, &end);
            if (end != p) {
                out.path.push_back(value);
                p = end;
            } else {
                ++p;  // a command letter or a separator
            }
        }
    }
    return out;
}

// Outlines that lie on the screen's pixel grid bend small characters out of
// shape when the page is zoomed or printed; the vector files resolve finer.
TEST_F(ImageFile, VectorOutlinesResolveFinerThanTheScreensPixels) {
    const std::wstring path = folder_.file(L"fine.svg");
    int width = 0, height = 0;
    ASSERT_TRUE(save_stamp_vector(set_, 0, VectorFormat::kSvg, path.c_str(), &width, &height));
    const std::vector<unsigned char> bytes = testing::read_bytes(path);
    const SvgNumbers svg = svg_numbers(std::string(bytes.begin(), bytes.end()));
    ASSERT_GT(width, 0);
    ASSERT_GT(svg.path.size(), 500u);
    // The view box is in the frame's pixels, and the outlines keep the
    // drawing's own fractions of them: most coordinates fall between the
    // pixels' edges, none rounded onto the grid.
    EXPECT_NEAR(svg.view_width, width, 1e-9);
    const long between = std::count_if(svg.path.begin(), svg.path.end(), [&](double v) {
        return std::abs(v - std::round(v)) > 1e-6;
    });
    EXPECT_GT(between, static_cast<long>(svg.path.size() / 2)) << between << " of " << svg.path.size();
}

TEST_F(ImageFile, EncodersAreFoundByExactMimeType) {
    CLSID png{}, jpeg{};
    const int png_index = find_image_encoder(u"image/png", &png);
    const int jpeg_index = find_image_encoder(u"image/jpeg", &jpeg);
    EXPECT_GE(png_index, 0);
    EXPECT_GE(jpeg_index, 0);
    EXPECT_NE(png_index, jpeg_index);
    EXPECT_FALSE(IsEqualGUID(png, jpeg));
    CLSID untouched{};
    untouched.Data1 = 0x12345678;
    EXPECT_EQ(find_image_encoder(u"image/PNG", &untouched), -1);
    EXPECT_EQ(untouched.Data1, 0x12345678u);
}

// The resolution a file declares, read from its bytes: horizontal and
// vertical density and the unit as stored (PNG pHYs: per metre when 1; JFIF:
// per inch when 1; BMP and the DIB headers: always per metre, unit 0 here).
struct DeclaredResolution {
    long x = -1, y = -1;
    int unit = -1;
};

std::uint32_t big_endian_u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
std::uint32_t little_endian_u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

// The pHYs chunk of a PNG, found by walking the chunks; none: all -1.
DeclaredResolution png_resolution(const std::vector<unsigned char>& b) {
    size_t at = 8;
    while (at + 12 <= b.size()) {
        const size_t length = big_endian_u32(&b[at]);
        if (at + 12 + length > b.size()) break;
        if (std::equal(b.begin() + at + 4, b.begin() + at + 8, "pHYs") && length == 9)
            return {static_cast<long>(big_endian_u32(&b[at + 8])),
                    static_cast<long>(big_endian_u32(&b[at + 12])), b[at + 16]};
        at += 12 + length;
    }
    return {};
}

// The JFIF APP0 segment, which comes right after the start-of-image marker.
DeclaredResolution jfif_resolution(const std::vector<unsigned char>& b) {
    if (b.size() < 18 || b[2] != 0xFF || b[3] != 0xE0 || !std::equal(b.begin() + 6, b.begin() + 11, "JFIF"))
        return {};
    return {b[14] << 8 | b[15], b[16] << 8 | b[17], b[13]};
}

// biXPelsPerMeter / biYPelsPerMeter of an info header starting at `header`.
DeclaredResolution dib_resolution(const std::vector<unsigned char>& b, size_t header) {
    if (b.size() < header + 32) return {};
    return {static_cast<long>(little_endian_u32(&b[header + 24])),
            static_cast<long>(little_endian_u32(&b[header + 28])), 0};
}

// Every image the stamp leaves says 96 dpi, so that programs place it at the
// size the metafile has rather than at the screen's resolution.
TEST_F(ImageFile, EveryImageDeclaresNinetySixDpi) {
    const int slot = 2;
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(copy_bitmap_to_clipboard(set_, slot, owner));
    auto clipboard_block = [](UINT format) {
        std::vector<unsigned char> bytes;
        if (!OpenClipboard(nullptr)) return bytes;
        HANDLE block = GetClipboardData(format);
        const auto* at = static_cast<const unsigned char*>(block ? GlobalLock(block) : nullptr);
        if (at) {
            bytes.assign(at, at + GlobalSize(block));
            GlobalUnlock(block);
        }
        CloseClipboard();
        return bytes;
    };
    const std::vector<unsigned char> pasted_png = clipboard_block(RegisterClipboardFormatW(L"PNG"));
    const std::vector<unsigned char> pasted_dib = clipboard_block(CF_DIBV5);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    DestroyWindow(owner);

    auto file_of = [&](int filter_index, const wchar_t* name) {
        const std::wstring path = folder_.file(name);
        EXPECT_TRUE(save_stamp_file(set_, slot, nullptr, filter_index, path.c_str()));
        return testing::read_bytes(path);
    };
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        DeclaredResolution (*read)(const std::vector<unsigned char>&);
        DeclaredResolution expected;
    };
    const Case cases[] = {
        {"BMP file", file_of(1, L"r.bmp"), [](const auto& b) { return dib_resolution(b, 14); },
         {3780, 3780, 0}},
        {"PNG file", file_of(2, L"r.png"), png_resolution, {3780, 3780, 1}},
        {"JPEG file", file_of(3, L"r.jpg"), jfif_resolution, {96, 96, 1}},
        {"clipboard PNG", pasted_png, png_resolution, {3780, 3780, 1}},
        {"clipboard CF_DIBV5", pasted_dib, [](const auto& b) { return dib_resolution(b, 0); },
         {3780, 3780, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_GT(c.bytes.size(), 54u);
        const DeclaredResolution r = c.read(c.bytes);
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.unit, c.expected.unit);
    }
}

// ---- The save dialog, driven in-process ------------------------------------------

// What the driver does with one save dialog.
struct SaveStep {
    int type_list_index = -1;  // 0-based item to pick in the type list, -1 to leave it
    std::wstring name;         // typed into the file-name box after the type is picked
    bool cancel = false;
};

// Every dialog window the driver met, in order, with what it saw there.
struct SeenDialog {
    std::wstring title;
    std::wstring text;             // a message box's text
    std::wstring box_after_type_change;
    int type_on_arrival = -1;      // the type list's selection as the dialog opened
    std::wstring folder_on_arrival;
};

struct DialogScript {
    std::vector<SaveStep> saves;  // for the save dialogs, in turn
    std::vector<int> answers;     // buttons for the message boxes, in turn
    std::vector<SeenDialog> seen;
};

DialogScript g_script;

// The file-name box: the combo box of newer explorer-style dialogs (Wine's
// among them), else the plain edit box of older ones.
int name_box_id(HWND dialog) { return GetDlgItem(dialog, cmb13) ? cmb13 : edt1; }

// Windows documents CDM_GETSPEC as giving the file name without its folder;
// Wine gives the box's whole text. The driven dialog answers as Windows does,
// so a hook that leans on it shows here what it does there.
WNDPROC g_dialog_procedure = nullptr;
LRESULT CALLBACK windows_like_dialog(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == CDM_GETSPEC) {
        wchar_t text[300] = {};
        GetDlgItemTextW(dialog, name_box_id(dialog), text, 300);
        const std::wstring spec = PathFindFileNameW(text);
        lstrcpynW(reinterpret_cast<wchar_t*>(lparam), spec.c_str(), static_cast<int>(wparam));
        return static_cast<LRESULT>(spec.size() + 1);
    }
    return CallWindowProcW(g_dialog_procedure, dialog, msg, wparam, lparam);
}

void drive_save_dialog(HWND dialog, SeenDialog& seen, const SaveStep& step) {
    wchar_t text[300] = {};
    seen.type_on_arrival = static_cast<int>(SendDlgItemMessageW(dialog, cmb1, CB_GETCURSEL, 0, 0));
    SendMessageW(dialog, CDM_GETFOLDERPATH, 300, reinterpret_cast<LPARAM>(text));
    seen.folder_on_arrival = text;
    if (step.cancel) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    g_dialog_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windows_like_dialog)));
    if (!step.name.empty()) SetDlgItemTextW(dialog, name_box_id(dialog), step.name.c_str());
    if (step.type_list_index >= 0) {
        HWND types = GetDlgItem(dialog, cmb1);
        SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(step.type_list_index), 0);
        // As a user's pick ends: Wine's dialog acts on the end of the
        // selection, Windows' on the change.
        for (WORD note : {CBN_SELCHANGE, CBN_SELENDOK})
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, note), reinterpret_cast<LPARAM>(types));
    }
    GetDlgItemTextW(dialog, name_box_id(dialog), text, 300);
    seen.box_after_type_change = text;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// Runs inside the dialogs' own message loops. A dialog is acted on at the
// tick after the one that first saw it, once it has settled.
void CALLBACK drive_dialogs(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM out) -> BOOL {
        wchar_t name[16] = L"";
        GetClassNameW(w, name, 16);
        if (IsWindowVisible(w) && lstrcmpW(name, L"#32770") == 0 && !GetPropW(w, L"driven")) {
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    if (!GetPropW(dialog, L"settled")) {
        SetPropW(dialog, L"settled", reinterpret_cast<HANDLE>(1));
        return;
    }
    SetPropW(dialog, L"driven", reinterpret_cast<HANDLE>(1));
    SeenDialog seen;
    wchar_t text[1000] = {};
    GetWindowTextW(dialog, text, 1000);
    seen.title = text;
    const size_t saves = std::count_if(g_script.seen.begin(), g_script.seen.end(),
                                       [](const SeenDialog& d) { return d.title == L"印影保存"; });
    const size_t boxes = g_script.seen.size() - saves;
    if (seen.title == L"印影保存") {
        const SaveStep step = saves < g_script.saves.size() ? g_script.saves[saves] : SaveStep{{}, {}, true};
        drive_save_dialog(dialog, seen, step);
    } else {
        GetDlgItemTextW(dialog, 0xFFFF, text, 1000);  // a message box's text
        seen.text = text;
        const int answer = boxes < g_script.answers.size() ? g_script.answers[boxes] : IDCANCEL;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
    }
    g_script.seen.push_back(seen);
}

class ImageFileDialog : public ImageFile {
protected:
    bool run(std::vector<SaveStep> saves, std::vector<int> answers = {}) {
        g_script = DialogScript{};
        g_script.saves = std::move(saves);
        g_script.answers = std::move(answers);
        const UINT_PTR timer = SetTimer(nullptr, 0, 150, drive_dialogs);
        const bool saved = run_save_image_dialog(nullptr, set_, 0);
        KillTimer(nullptr, timer);
        return saved;
    }
    std::vector<std::wstring> titles() const {
        std::vector<std::wstring> out;
        for (const SeenDialog& d : g_script.seen) out.push_back(d.title);
        return out;
    }
};

TEST_F(ImageFileDialog, ANameWithoutExtensionGetsThePngTypesExtension) {
    EXPECT_TRUE(run({{1, folder_.path() + L"\\印影"}}));  // PNG
    ASSERT_EQ(titles(), std::vector<std::wstring>{L"印影保存"});
    // A name without a dot is left alone by the type change.
    EXPECT_EQ(g_script.seen[0].box_after_type_change, folder_.path() + L"\\印影");
    EXPECT_EQ(folder_entries(folder_.path()), std::vector<std::wstring>{L"印影.png"});
    const std::vector<unsigned char> bytes = testing::read_bytes(folder_.file(L"印影.png"));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[1], 'P');
}

TEST_F(ImageFileDialog, ChangingTheTypeSwapsTheExtensionAndKeepsTheTypedFolder) {
    EXPECT_TRUE(run({{2, folder_.path() + L"\\印影.bmp"}}));  // JPG
    ASSERT_EQ(titles().size(), 1u);
    EXPECT_EQ(g_script.seen[0].box_after_type_change, folder_.path() + L"\\印影.jpg");
    EXPECT_EQ(folder_entries(folder_.path()), std::vector<std::wstring>{L"印影.jpg"});
}

TEST_F(ImageFileDialog, SvgAndPdfFollowTheFourTypesAndTakeTheirExtensions) {
    // Type 5 over a name typed for EMF; type 6 over a bare name.
    EXPECT_TRUE(run({{4, folder_.path() + L"\\印影.emf"}}));
    ASSERT_EQ(titles().size(), 1u);
    EXPECT_EQ(g_script.seen[0].box_after_type_change, folder_.path() + L"\\印影.svg");
    EXPECT_TRUE(run({{5, folder_.path() + L"\\印影"}}));
    ASSERT_EQ(titles().size(), 1u);
    EXPECT_EQ(g_script.seen[0].type_on_arrival, 4);  // the SVG of the last save
    EXPECT_EQ(folder_entries(folder_.path()), (std::vector<std::wstring>{L"印影.pdf", L"印影.svg"}));
    const std::vector<unsigned char> svg = testing::read_bytes(folder_.file(L"印影.svg"));
    const std::vector<unsigned char> pdf = testing::read_bytes(folder_.file(L"印影.pdf"));
    EXPECT_NE(std::string(svg.begin(), svg.end()).find("<svg xmlns=\"http://www.w3.org/2000/svg\""),
              std::string::npos);
    ASSERT_GE(pdf.size(), 5u);
    EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 5), "%PDF-");
}

TEST_F(ImageFileDialog, CancellingWritesNothing) {
    SaveStep cancel;
    cancel.cancel = true;
    EXPECT_FALSE(run({cancel}));
    EXPECT_EQ(titles(), std::vector<std::wstring>{L"印影保存"});
    EXPECT_TRUE(folder_entries(folder_.path()).empty());
}

TEST_F(ImageFileDialog, AnExistingFileIsReplacedOnlyAfterAYes) {
    const std::wstring path = folder_.file(L"印影.png");
    const std::vector<unsigned char> old_bytes{'o', 'l', 'd'};
    ASSERT_TRUE(testing::write_bytes(path, old_bytes));
    SaveStep cancel;
    cancel.cancel = true;
    // No: back to the dialog, which is cancelled; the file is untouched.
    EXPECT_FALSE(run({{1, folder_.path() + L"\\印影"}, cancel}, {IDNO}));
    ASSERT_EQ(titles(), (std::vector<std::wstring>{L"印影保存", L"マルコミ２", L"印影保存"}));
    EXPECT_EQ(g_script.seen[1].text.find(L"「印影.png」"), 0u) << g_script.seen[1].text;
    EXPECT_EQ(testing::read_bytes(path), old_bytes);
    // Yes: replaced.
    EXPECT_TRUE(run({{1, folder_.path() + L"\\印影"}}, {IDYES}));
    ASSERT_EQ(titles(), (std::vector<std::wstring>{L"印影保存", L"マルコミ２"}));
    const std::vector<unsigned char> bytes = testing::read_bytes(path);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[1], 'P');
    EXPECT_EQ(folder_entries(folder_.path()), std::vector<std::wstring>{L"印影.png"});
}

TEST_F(ImageFileDialog, AFileThatCannotBeWrittenIsToldOnceAndKept) {
    const std::wstring path = folder_.file(L"locked.bmp");
    const std::vector<unsigned char> old_bytes{'o', 'l', 'd'};
    ASSERT_TRUE(testing::write_bytes(path, old_bytes));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(run({{0, folder_.path() + L"\\locked"}}, {IDOK}));
    // No question about replacing what cannot be replaced: one message.
    ASSERT_EQ(titles(), (std::vector<std::wstring>{L"印影保存", L"マルコミ２"}));
    EXPECT_NE(g_script.seen[1].text.find(path), std::wstring::npos) << g_script.seen[1].text;
    EXPECT_EQ(testing::read_bytes(path), old_bytes);
    EXPECT_EQ(folder_entries(folder_.path()), std::vector<std::wstring>{L"locked.bmp"});
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ImageFileDialog, TheNextDialogStartsInTheLastFolderWithTheLastType) {
    EXPECT_TRUE(run({{2, folder_.path() + L"\\first"}}));  // JPG
    SaveStep cancel;
    cancel.cancel = true;
    EXPECT_FALSE(run({cancel}));
    ASSERT_EQ(titles().size(), 1u);
    EXPECT_EQ(g_script.seen[0].type_on_arrival, 2);
    EXPECT_EQ(lstrcmpiW(g_script.seen[0].folder_on_arrival.c_str(), folder_.path().c_str()), 0)
        << g_script.seen[0].folder_on_arrival;
}

}  // namespace
}  // namespace markomi
