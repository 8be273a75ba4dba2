// The resources linked into Markomi2.exe: application icon, notification-area
// icons, cursors, the settings menu bar, manifest and version information, read
// back from the built program the way Windows reads them; and the uninstaller's
// manifest, which is not built into anything yet, read from its file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/fixture_paths.h"

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

// Differing pixels of two images of one size; colour counts only where a
// pixel is not fully transparent.
int differing_pixels(const Pixels& a, const Pixels& b) {
    int n = 0;
    for (size_t i = 0; i < a.argb.size() && i < b.argb.size(); ++i) {
        uint32_t p = a.argb[i], q = b.argb[i];
        if (Pixels::alpha(p) == 0 && Pixels::alpha(q) == 0) continue;
        if (p != q) ++n;
    }
    return n;
}

// The supportedOS identifiers of a manifest, in lower case.
std::set<std::string> supported_os_ids(const std::string& manifest) {
    std::set<std::string> ids;
    const std::string key = "<supportedOS Id=\"";
    for (size_t at = manifest.find(key); at != std::string::npos; at = manifest.find(key, at + 1)) {
        size_t begin = at + key.size();
        size_t end = manifest.find('"', begin);
        if (end == std::string::npos) break;
        std::string id = manifest.substr(begin, end - begin);
        for (char& c : id) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        ids.insert(id);
    }
    return ids;
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

    // Width and RT_ICON id of each image of a named icon group.
    static std::vector<std::pair<int, unsigned>> icon_group_entries(const wchar_t* name) {
        std::vector<std::pair<int, unsigned>> entries;
        std::string group = resource_bytes(name, RT_GROUP_ICON);
        if (group.size() < 6) return entries;
        const auto* bytes = reinterpret_cast<const unsigned char*>(group.data());
        unsigned count = bytes[4] | (bytes[5] << 8);
        for (unsigned i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i) {
            const unsigned char* e = bytes + 6 + 14 * i;
            entries.emplace_back(e[0] ? e[0] : 256, static_cast<unsigned>(e[12] | (e[13] << 8)));
        }
        return entries;
    }

    // The colour pixels of the `size` image of an icon group exactly as stored
    // (a 32-bit DIB, rows bottom-up); empty when there is no such image.
    static Pixels stored_icon_image(const wchar_t* name, int size) {
        Pixels px;
        for (auto [width, id] : icon_group_entries(name)) {
            if (width != size) continue;
            std::string image = resource_bytes(MAKEINTRESOURCEW(id), RT_ICON);
            BITMAPINFOHEADER header{};
            if (image.size() < sizeof header) return px;
            std::memcpy(&header, image.data(), sizeof header);
            size_t row_bytes = 4u * size;
            if (header.biBitCount != 32 || image.size() < header.biSize + row_bytes * size) return px;
            px.width = px.height = size;
            px.argb.resize(static_cast<size_t>(size) * size);
            for (int y = 0; y < size; ++y) {
                std::memcpy(&px.argb[static_cast<size_t>(y) * size],
                            image.data() + header.biSize + row_bytes * (size - 1 - y), row_bytes);
            }
        }
        return px;
    }

    // Loads a named icon or cursor at an explicit size, as the program does.
    static IconFacts load_facts(const wchar_t* name, UINT type, int size) {
        HANDLE image = LoadImageW(module_, name, type, size, size, 0);
        if (!image) return {};
        IconFacts facts = icon_facts(static_cast<HICON>(image));
        if (type == IMAGE_CURSOR) {
            DestroyCursor(static_cast<HCURSOR>(image));
        } else {
            DestroyIcon(static_cast<HICON>(image));
        }
        return facts;
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

// ---- Notification-area icons -------------------------------------------------

// Both sets, base icon first, then the three animation frames and the spare.
std::vector<const wchar_t*> tray_icon_names() {
    std::vector<const wchar_t*> names(std::begin(markomi::kTrayIconNamesClassic),
                                      std::end(markomi::kTrayIconNamesClassic));
    names.insert(names.end(), std::begin(markomi::kTrayIconNamesModern),
                 std::end(markomi::kTrayIconNamesModern));
    return names;
}

std::string narrow(const wchar_t* name) { return std::string(name, name + wcslen(name)); }

TEST_F(Resources, TrayIconsLoadByNameAtTheirOwnSmallAndLargeImages) {
    for (const wchar_t* name : tray_icon_names()) {
        SCOPED_TRACE(narrow(name));
        std::set<int> sizes;
        for (auto entry : icon_group_entries(name)) sizes.insert(entry.first);
        EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 48}));

        for (int size : {32, 16}) {
            SCOPED_TRACE("size " + std::to_string(size));
            IconFacts facts = load_facts(name, IMAGE_ICON, size);
            ASSERT_TRUE(facts.ok) << "LoadImageW error " << GetLastError();
            EXPECT_TRUE(facts.is_icon);
            ASSERT_EQ(facts.pixels.width, size);
            ASSERT_EQ(facts.pixels.height, size);
            // The hand-hinted image of that size, pixel for pixel: not another
            // size scaled down or up.
            Pixels stored = stored_icon_image(name, size);
            ASSERT_EQ(stored.width, size);
            EXPECT_EQ(differing_pixels(facts.pixels, stored), 0);
        }
    }
}

TEST_F(Resources, TrayIconsAreRedInkOnTransparencyAndEveryFrameDiffers) {
    const std::vector<const wchar_t*> names = tray_icon_names();
    for (int size : {32, 16}) {
        SCOPED_TRACE("size " + std::to_string(size));
        std::vector<Pixels> images;
        for (size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(narrow(names[i]));
            IconFacts facts = load_facts(names[i], IMAGE_ICON, size);
            ASSERT_TRUE(facts.ok);
            const Pixels& px = facts.pixels;
            ASSERT_EQ(px.width, size);

            int inked = 0, strong = 0, off_colour = 0, max_alpha = 0;
            for (uint32_t p : px.argb) {
                int a = Pixels::alpha(p);
                if (a == 0) continue;
                ++inked;
                if (a >= 128) ++strong;
                if (!is_stamp_red(p)) ++off_colour;
                max_alpha = std::max(max_alpha, a);
            }
            EXPECT_EQ(off_colour, 0) << "all of it red";
            for (int y : {0, size - 1}) {
                for (int x : {0, size - 1}) {
                    EXPECT_EQ(Pixels::alpha(px.at(x, y)), 0) << "corner pixel " << x << "," << y;
                }
            }
            bool spare = i % 5 == 4;
            if (spare) {
                // The spare is a faded impression: plenty of ink, none of it solid.
                EXPECT_GE(inked, size * size / 8);
                EXPECT_LE(max_alpha, 160);
            } else {
                EXPECT_GE(strong, size * size / 8) << "too little solid ink";
                EXPECT_EQ(max_alpha, 255);
            }
            images.push_back(px);
        }
        // Within each set, the base, the three frames and the spare all differ
        // clearly, so that the animation moves.
        for (size_t set = 0; set < names.size(); set += 5) {
            for (size_t a = set; a < set + 5; ++a) {
                for (size_t b = a + 1; b < set + 5; ++b) {
                    EXPECT_GE(differing_pixels(images[a], images[b]), size * size / 8)
                        << narrow(names[a]) << " and " << narrow(names[b]) << " look alike";
                }
            }
        }
        // The flat set of Windows 10 and 11 really is flat (a few solid colours,
        // anti-aliased only through alpha); the classic set is shaded.
        for (size_t i = 0; i < names.size(); ++i) {
            std::set<uint32_t> colours;
            for (uint32_t p : images[i].argb) {
                if (Pixels::alpha(p) > 0) colours.insert(p & 0xFFFFFFu);
            }
            bool flat = i >= 5;
            if (flat) {
                EXPECT_LE(colours.size(), 4u) << narrow(names[i]) << " has gradients";
            } else if (size == 32) {
                EXPECT_GE(colours.size(), 12u) << narrow(names[i]) << " has no shading";
            }
        }
    }
}

// ---- Drag-stamping cursors ----------------------------------------------------

TEST_F(Resources, DragCursorsAreHandsSharingOneHotspotInThePalm) {
    const wchar_t* const names[] = {markomi::kDragHoverCursorName, markomi::kDragGrabCursorName,
                                    markomi::kDragNoDropCursorName, markomi::kDragDropCursorName};
    struct Expected {
        int size;
        DWORD x, y;  // hotspots written by scripts/make_resources.py
    };
    for (Expected e : {Expected{32, 15, 18}, Expected{48, 23, 27}, Expected{64, 30, 36}}) {
        SCOPED_TRACE("cursor size " + std::to_string(e.size));
        std::vector<Pixels> images;
        for (const wchar_t* name : names) {
            SCOPED_TRACE(narrow(name));
            IconFacts facts = load_facts(name, IMAGE_CURSOR, e.size);
            ASSERT_TRUE(facts.ok) << "LoadImageW error " << GetLastError();
            EXPECT_FALSE(facts.is_icon);
            const Pixels& px = facts.pixels;
            ASSERT_EQ(px.width, e.size);
            ASSERT_EQ(px.height, e.size);
            // The same hotspot in all four, so the hand does not jump when the
            // cursor changes; it lies on the white of the palm.
            EXPECT_EQ(facts.hotspot_x, e.x);
            EXPECT_EQ(facts.hotspot_y, e.y);
            ASSERT_LT(facts.hotspot_x, static_cast<DWORD>(e.size));
            ASSERT_LT(facts.hotspot_y, static_cast<DWORD>(e.size));
            uint32_t at_hotspot = px.at(static_cast<int>(facts.hotspot_x), static_cast<int>(facts.hotspot_y));
            EXPECT_EQ(at_hotspot, 0xFFFFFFFFu) << "hotspot not on the hand";

            // A white hand with a black outline; only the drop cursor carries
            // colour: its red stamp, in the lower right quarter.
            int white = 0, dark = 0, coloured = 0, coloured_lower_right = 0, red = 0;
            for (int y = 0; y < e.size; ++y) {
                for (int x = 0; x < e.size; ++x) {
                    uint32_t p = px.at(x, y);
                    if (Pixels::alpha(p) == 0) continue;
                    bool grey = Pixels::red(p) == Pixels::green(p) && Pixels::green(p) == Pixels::blue(p);
                    if (!grey) {
                        ++coloured;
                        if (x >= e.size / 2 && y >= e.size / 2) ++coloured_lower_right;
                        if (is_stamp_red(p)) ++red;
                    }
                    if (p == 0xFFFFFFFFu) ++white;
                    if (Pixels::alpha(p) >= 128 && grey && Pixels::red(p) <= 64) ++dark;
                }
            }
            EXPECT_GT(white, e.size * e.size / 8) << "a white hand";
            EXPECT_GT(dark, e.size * 2) << "with a black outline";
            if (name == markomi::kDragDropCursorName) {
                EXPECT_EQ(coloured, coloured_lower_right);
                EXPECT_GE(red, e.size * e.size / 40) << "no red stamp";
            } else {
                EXPECT_EQ(coloured, 0);
            }
            images.push_back(px);
        }
        for (size_t a = 0; a < images.size(); ++a) {
            for (size_t b = a + 1; b < images.size(); ++b) {
                EXPECT_GE(differing_pixels(images[a], images[b]), e.size)
                    << narrow(names[a]) << " and " << narrow(names[b]) << " look alike";
            }
        }
    }
}

// ---- Menu bar of the stamp settings window ----------------------------------

TEST_F(Resources, SettingsMenuBarHasTheSixCommandsInOrder) {
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDM_SETTINGS_MENU_BAR));
    ASSERT_NE(menu, nullptr) << "no menu 110, error " << GetLastError();
    struct Item {
        UINT id;
        const wchar_t* text;
    };
    const Item expected[] = {{112, L"印影保存"}, {117, L"PDFに捺印…"}, {113, L"環境設定"},
                             {114, L"ヘルプ"}, {115, L"バージョン情報"}, {116, L"終了"}};
    EXPECT_EQ(GetMenuItemCount(menu), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        wchar_t text[64] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = static_cast<UINT>(std::size(text));
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        EXPECT_EQ(info.wID, expected[i].id);
        EXPECT_EQ(std::wstring(text), expected[i].text);
        EXPECT_EQ(info.hSubMenu, nullptr) << "a drop-down menu";
        EXPECT_EQ(info.fType, static_cast<UINT>(MFT_STRING));
    }
    // The macros the settings window switches on name the same numbers.
    EXPECT_EQ((std::vector<int>{IDM_SAVE_IMAGE, IDM_STAMP_PDF, IDM_PREFERENCES, IDM_HELP, IDM_ABOUT, IDM_EXIT}),
              (std::vector<int>{112, 117, 113, 114, 115, 116}));
    DestroyMenu(menu);
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
          // GDI+ 1.1, the only one with the EMF+ conversion of the clipboard's metafile
          "name=\"Microsoft.Windows.GdiPlus\" version=\"1.1.0.0\"",
          "publicKeyToken=\"6595b64144ccf1df\""}) {
        EXPECT_NE(manifest.find(needle), std::string::npos) << "manifest lacks " << needle;
    }

    // The system's own manifest parser accepts it and resolves its dependencies.
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path_.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(IDR_MARKOMI2_MANIFEST);
    HANDLE activation = CreateActCtxW(&context);
    EXPECT_NE(activation, INVALID_HANDLE_VALUE) << "CreateActCtxW error " << GetLastError();
    if (activation != INVALID_HANDLE_VALUE) ReleaseActCtx(activation);
}

// The uninstaller's manifest runs it as the user who starts it (only its
// machine-wide stage is elevated, through "runas": a manifest asking for
// elevation would make an administrator's password remove the administrator's
// settings and icons) and otherwise declares what the program's own does;
// Wine's manifest parser must accept it.
TEST_F(Resources, UninstallerManifestRunsAsInvokerForTheSameSystems) {
    const std::wstring path = markomi::testing::fixture_path(MARKOMI2_RESOURCES, L"resources") +
                              L"\\markomi2_uninstaller.manifest";
    std::ifstream in(path.c_str(), std::ios::binary);
    ASSERT_TRUE(in) << "cannot read markomi2_uninstaller.manifest";
    std::string manifest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* needle :
         {"level=\"asInvoker\"", "uiAccess=\"false\"",
          "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2<",
          "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm<",
          "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
          "publicKeyToken=\"6595b64144ccf1df\""}) {
        EXPECT_NE(manifest.find(needle), std::string::npos) << "manifest lacks " << needle;
    }
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);

    // Vista, 7, 8, 8.1 and 10: exactly the list of Markomi2.exe.
    const std::set<std::string> systems{"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                                        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"};
    EXPECT_EQ(supported_os_ids(manifest), systems);
    EXPECT_EQ(supported_os_ids(resource_bytes(MAKEINTRESOURCEW(IDR_MARKOMI2_MANIFEST), RT_MANIFEST)),
              systems);

    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.lpSource = path.c_str();
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
