// The resources linked into Markomi2.exe: application icon, overlay cursor,
// manifest and version information, read back from the built program the way
// Windows reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

// Markomi2.exe sits in bin\ below the test program's folder; when the test
// program was itself put into bin\, it sits beside it.
std::wstring program_path() {
    std::vector<wchar_t> buffer(32768);
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    std::wstring dir(buffer.data(), n);
    dir.erase(dir.find_last_of(L"\\/") + 1);
    for (const std::wstring& candidate : {dir + L"bin\\Markomi2.exe", dir + L"Markomi2.exe"}) {
        if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
    }
    return {};
}

// Top-down 32-bit pixels of a bitmap, each 0xAARRGGBB.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;

    uint32_t at(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
    static int alpha(uint32_t p) { return static_cast<int>(p >> 24); }
    static int red(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
    static int green(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
    static int blue(uint32_t p) { return static_cast<int>(p & 0xFF); }
};

Pixels read_bitmap(HBITMAP bitmap) {
    Pixels px;
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return px;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> data(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC dc = GetDC(nullptr);
    int lines = GetDIBits(dc, bitmap, 0, bm.bmHeight, data.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (lines != bm.bmHeight) return px;
    px.width = bm.bmWidth;
    px.height = bm.bmHeight;
    px.argb = std::move(data);
    return px;
}

// Hotspot, icon flag and colour pixels of an icon or cursor handle.
struct IconFacts {
    bool ok = false;
    bool is_icon = false;
    DWORD hotspot_x = 0;
    DWORD hotspot_y = 0;
    Pixels pixels;
};

IconFacts icon_facts(HICON icon) {
    IconFacts facts;
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return facts;
    facts.ok = info.hbmColor != nullptr;
    facts.is_icon = info.fIcon != FALSE;
    facts.hotspot_x = info.xHotspot;
    facts.hotspot_y = info.yHotspot;
    facts.pixels = read_bitmap(info.hbmColor);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return facts;
}

bool is_stamp_red(uint32_t p) {
    return Pixels::red(p) > 2 * Pixels::green(p) && Pixels::red(p) > 2 * Pixels::blue(p);
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        path_ = program_path();
        if (!path_.empty()) {
            module_ = LoadLibraryExW(path_.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        }
    }
    static void TearDownTestSuite() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override {
        if (path_.empty()) GTEST_SKIP() << "Markomi2.exe has not been built next to the tests";
        ASSERT_NE(module_, nullptr) << "cannot open Markomi2.exe for its resources, error "
                                    << GetLastError();
    }

    // Bytes of one resource of the program, empty when it does not exist.
    static std::string resource_bytes(const wchar_t* name, const wchar_t* type) {
        HRSRC found = FindResourceW(module_, name, type);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return {};
        return std::string(static_cast<const char*>(data), SizeofResource(module_, found));
    }

    static std::wstring string_info(const std::vector<char>& block, const wchar_t* key) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + key;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value) return L"<missing>";
        return std::wstring(static_cast<const wchar_t*>(value));
    }

    static std::wstring path_;
    static HMODULE module_;
};

std::wstring Resources::path_;
HMODULE Resources::module_ = nullptr;

// ---- Application icon -------------------------------------------------------

TEST_F(Resources, IconGroupHoldsEverySizeIn32BitColour) {
    std::string group = resource_bytes(markomi::kAppIconName, RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u) << "no icon group \"MARKOMI\"";
    const auto* bytes = reinterpret_cast<const unsigned char*>(group.data());
    auto word = [&](size_t at) { return static_cast<unsigned>(bytes[at] | (bytes[at + 1] << 8)); };
    unsigned count = word(4);
    EXPECT_EQ(word(2), 1u) << "resource type field: 1 = icon";
    ASSERT_EQ(group.size(), 6u + 14u * count);

    std::set<int> sizes;
    for (unsigned i = 0; i < count; ++i) {
        size_t entry = 6 + 14 * i;
        int width = bytes[entry] ? bytes[entry] : 256;
        int height = bytes[entry + 1] ? bytes[entry + 1] : 256;
        SCOPED_TRACE("entry of " + std::to_string(width) + " pixels");
        EXPECT_EQ(width, height);
        EXPECT_EQ(word(entry + 6), 32u) << "bits per pixel";
        sizes.insert(width);

        // The image itself: PNG at 256 pixels, a 32-bit DIB of double height below.
        unsigned id = word(entry + 12);
        std::string image = resource_bytes(MAKEINTRESOURCEW(id), RT_ICON);
        ASSERT_GE(image.size(), 40u);
        if (width == 256) {
            EXPECT_EQ(image.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << "256-pixel entry is not PNG";
        } else {
            BITMAPINFOHEADER header;
            std::memcpy(&header, image.data(), sizeof header);
            EXPECT_EQ(header.biWidth, width);
            EXPECT_EQ(header.biHeight, 2 * width) << "colour and mask halves";
            EXPECT_EQ(header.biBitCount, 32);
            size_t mask_stride = ((width + 31) / 32) * 4;
            EXPECT_EQ(image.size(), 40u + 4u * width * width + mask_stride * width);
        }
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 128, 256}));
}

TEST_F(Resources, IconIsARedStampOnTransparentGroundAtSmallAndLargeSizes) {
    for (int size : {16, 32, 256}) {
        SCOPED_TRACE("icon size " + std::to_string(size));
        HICON icon = static_cast<HICON>(
            LoadImageW(module_, markomi::kAppIconName, IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << "LoadImageW error " << GetLastError();
        IconFacts facts = icon_facts(icon);
        DestroyIcon(icon);
        ASSERT_TRUE(facts.ok);
        EXPECT_TRUE(facts.is_icon);
        const Pixels& px = facts.pixels;
        ASSERT_EQ(px.width, size);
        ASSERT_EQ(px.height, size);

        // Corners outside the ring: fully transparent.
        for (int y : {0, 1, size - 2, size - 1}) {
            for (int x : {0, 1, size - 2, size - 1}) {
                EXPECT_EQ(Pixels::alpha(px.at(x, y)), 0) << "corner pixel " << x << "," << y;
            }
        }

        // Every inked pixel is stamp red: no stray colour, no swapped channels.
        int off_colour = 0;
        for (uint32_t p : px.argb) {
            if (Pixels::alpha(p) > 0 && !is_stamp_red(p)) ++off_colour;
        }
        EXPECT_EQ(off_colour, 0);

        // The middle half (chords, date) carries solid red ink ...
        int solid_red = 0;
        for (int y = size / 4; y < size * 3 / 4; ++y) {
            for (int x = size / 4; x < size * 3 / 4; ++x) {
                uint32_t p = px.at(x, y);
                if (Pixels::alpha(p) == 255 && is_stamp_red(p)) ++solid_red;
            }
        }
        EXPECT_GE(solid_red, size * size / 64);

        // ... and the ring crosses the middle row near both edges (nearly solid:
        // the curve may shave a little off its outermost pixel).
        auto inked_between = [&](int from, int to) {
            for (int x = from; x < to; ++x) {
                if (Pixels::alpha(px.at(x, size / 2)) >= 224) return true;
            }
            return false;
        };
        EXPECT_TRUE(inked_between(0, size / 8)) << "ring missing on the left";
        EXPECT_TRUE(inked_between(size - size / 8, size)) << "ring missing on the right";
    }
}

// ---- Overlay cursor ---------------------------------------------------------

TEST_F(Resources, HandCursorPointsWithItsHotspotAtTheFingertip) {
    struct Expected {
        int size;
        DWORD x, y;  // hotspots written by scripts/make_resources.py
    };
    for (Expected e : {Expected{32, 11, 0}, Expected{48, 16, 0}, Expected{64, 22, 0}}) {
        SCOPED_TRACE("cursor size " + std::to_string(e.size));
        HCURSOR cursor = static_cast<HCURSOR>(
            LoadImageW(module_, markomi::kOverlayCursorName, IMAGE_CURSOR, e.size, e.size, 0));
        ASSERT_NE(cursor, nullptr) << "LoadImageW error " << GetLastError();
        IconFacts facts = icon_facts(cursor);
        DestroyCursor(cursor);
        ASSERT_TRUE(facts.ok);
        EXPECT_FALSE(facts.is_icon);
        EXPECT_EQ(facts.hotspot_x, e.x);
        EXPECT_EQ(facts.hotspot_y, e.y);
        const Pixels& px = facts.pixels;
        ASSERT_EQ(px.width, e.size);
        ASSERT_EQ(px.height, e.size);

        // Black and white only (greys on the anti-aliased outline).
        int white = 0, dark = 0, coloured = 0;
        for (uint32_t p : px.argb) {
            if (Pixels::alpha(p) == 0) continue;
            if (Pixels::red(p) != Pixels::green(p) || Pixels::green(p) != Pixels::blue(p)) ++coloured;
            if (Pixels::alpha(p) == 255 && Pixels::red(p) == 255) ++white;
            if (Pixels::alpha(p) >= 128 && Pixels::red(p) <= 64) ++dark;
        }
        EXPECT_EQ(coloured, 0);
        EXPECT_GT(white, e.size * e.size / 5) << "a white hand";
        EXPECT_GT(dark, e.size * 2) << "with a black outline";

        // The hotspot is on the outline at the very top of the cursor, and the
        // white finger begins right below it.
        int hx = static_cast<int>(facts.hotspot_x), hy = static_cast<int>(facts.hotspot_y);
        ASSERT_LT(hx, px.width);
        ASSERT_LT(hy, px.height);
        EXPECT_GE(Pixels::alpha(px.at(hx, hy)), 128);
        for (int y = 0; y < hy; ++y) {
            for (int x = 0; x < px.width; ++x) EXPECT_EQ(Pixels::alpha(px.at(x, y)), 0);
        }
        bool finger_below = false;
        for (int y = hy + 1; y <= hy + e.size / 8 && y < px.height; ++y) {
            uint32_t p = px.at(hx, y);
            if (Pixels::alpha(p) == 255 && Pixels::red(p) == 255) finger_below = true;
        }
        EXPECT_TRUE(finger_below);
    }
}

// ---- Manifest -----------------------------------------------------------------

TEST_F(Resources, ManifestDeclaresDpiAwarenessRightsAndCompatibility) {
    std::string manifest = resource_bytes(MAKEINTRESOURCEW(IDR_MARKOMI2_MANIFEST), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";
    for (const char* needle :
         {"<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2<",
          "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm<",
          "level=\"asInvoker\"", "uiAccess=\"false\"",
          "name=\"Markomi2\" version=\"1.5.0.0\"",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10: OS version code 10
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
          "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
          "publicKeyToken=\"6595b64144ccf1df\""}) {
        EXPECT_NE(manifest.find(needle), std::string::npos) << "manifest lacks " << needle;
    }

    // The system's own manifest parser accepts it and resolves its dependency.
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path_.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(IDR_MARKOMI2_MANIFEST);
    HANDLE activation = CreateActCtxW(&context);
    EXPECT_NE(activation, INVALID_HANDLE_VALUE) << "CreateActCtxW error " << GetLastError();
    if (activation != INVALID_HANDLE_VALUE) ReleaseActCtx(activation);
}

// ---- Version information ----------------------------------------------------

TEST_F(Resources, VersionInformationIsJapaneseAndSaysOnePointFive) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource, error " << GetLastError();
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, block.data()));

    EXPECT_EQ(string_info(block, L"FileVersion"), L"1.5");
    EXPECT_EQ(string_info(block, L"ProductVersion"), L"1.5");
    EXPECT_EQ(string_info(block, L"ProductName"), L"マルコミ２");
    EXPECT_EQ(string_info(block, L"FileDescription"), L"マルコミ２ 日付印");
    EXPECT_EQ(string_info(block, L"InternalName"), L"Markomi2");
    EXPECT_EQ(string_info(block, L"OriginalFilename"), L"Markomi2.exe");
    EXPECT_NE(string_info(block, L"CompanyName"), L"<missing>");
    EXPECT_NE(string_info(block, L"LegalCopyright"), L"<missing>");

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const WORD* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0411);  // Japanese
    EXPECT_EQ(translation[1], 1200);    // Unicode

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(5, 1)) << "1.5";
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(5, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

}  // namespace
