// Rows whose face is missing or has no Japanese glyphs, measured and drawn
// with real GDI+: the row must come out in a face that has its characters.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "base/process_globals_win.h"
#include "base/u16_format.h"
#include "diag/debug_log.h"
#include "render/font_fallback.h"
#include "render/font_fallback_win.h"
#include "render/measure_cache.h"
#include "render/surfaces_gdiplus.h"
#include "render/text_path_gdiplus.h"
#include "support/render_canvas.h"
#include "support/test_files.h"

namespace markomi {
namespace {

constexpr char16_t kMissingFace[] = u"存在しない書体XYZ";
constexpr char16_t kJapanese[] = u"技術部 山田";
constexpr char16_t kLatin[] = u"Abc 2025/05/01";

struct Ink {
    int pixels = 0;
    int min_x = 1 << 20, max_x = -1, min_y = 1 << 20, max_y = -1;
    int width() const { return max_x - min_x; }
    int height() const { return max_y - min_y; }
};

class FontFallback : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        reset_face_fallback();
        saved_enabled_ = g_debug_enabled;
        std::wcscpy(saved_folder_, g_settings_folder);
    }
    void TearDown() override {
        g_debug_enabled = saved_enabled_;
        std::wcscpy(g_settings_folder, saved_folder_);
        reset_face_fallback();
        release_surfaces();
    }

    static FontDescription font(std::u16string_view face) {
        FontDescription d;
        d.height = -40;
        d.face_name = face;
        return d;
    }

    // Measures the row and draws it centred on a canvas the way the stamp
    // renderer does: one font made from the row's face for all its lines,
    // the family taken per line.
    static Ink draw_row(const FontDescription& d, std::u16string_view text, LineRecord& line) {
        testing::RenderCanvas canvas(400, 120);
        line.text = text;
        measure_line(d, line);
        line.x = 200;
        line.y = 60;
        GdipFamilyPtr family = create_font_family(d);
        GdipFontPtr gp_font = create_font(d, family.get());
        Gdiplus::GpSolidFill* raw = nullptr;
        gdip::GdipCreateSolidFill(0xFF000000, &raw);
        GdipBrushPtr brush(raw);
        draw_line(canvas.graphics(), gp_font.get(), brush.get(), d, line);
        Ink ink;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) {
                if (testing::is_white(canvas.pixel(x, y))) continue;
                ++ink.pixels;
                ink.min_x = std::min(ink.min_x, x);
                ink.max_x = std::max(ink.max_x, x);
                ink.min_y = std::min(ink.min_y, y);
                ink.max_y = std::max(ink.max_y, y);
            }
        return ink;
    }

    bool saved_enabled_ = false;
    wchar_t saved_folder_[261] = {};
};

// An installed face with Latin letters and no Japanese ones, found on the
// running system; empty when it has none of these.
std::u16string latin_only_face() {
    for (const char16_t* face : {u"Tahoma", u"Arial", u"Segoe UI", u"Verdana", u"Courier New",
                                 u"DejaVu Sans", u"Liberation Sans"}) {
        if (missing_glyphs(face, glyphs_needed(kJapanese)) > 0 &&
            missing_glyphs(face, glyphs_needed(kLatin)) == 0)
            return face;
    }
    return {};
}

// A face the system does not have: the row still shows, in a face that has
// every glyph, and the drawing lands on the measured box.
TEST_F(FontFallback, MissingFaceDrawsTheRowInAFaceWithItsGlyphs) {
    ASSERT_EQ(missing_glyphs(kMissingFace, glyphs_needed(kJapanese)), -1);
    std::u16string used = resolve_face(kMissingFace, kJapanese);
    ASSERT_FALSE(used.empty());
    EXPECT_EQ(missing_glyphs(used, glyphs_needed(kJapanese)), 0) << u16_to_utf8(used);

    LineRecord line;
    Ink ink = draw_row(font(kMissingFace), kJapanese, line);
    ASSERT_GT(ink.pixels, 0) << "the row was left empty";
    EXPECT_NEAR(ink.width(), line.width, 3);
    EXPECT_NEAR(ink.height(), line.height, 3);
}

// A face that exists but has no Japanese glyphs: GDI+ would fill the row with
// empty boxes. The Japanese row is measured and drawn in a face with the
// glyphs, at the row's size (the drawn box is the measured one); Latin text
// in that face keeps it.
TEST_F(FontFallback, FaceWithoutJapaneseGlyphsGivesWayOnlyForJapaneseText) {
    std::u16string latin = latin_only_face();
    if (latin.empty()) GTEST_SKIP() << "no installed face without Japanese glyphs";
    SCOPED_TRACE(u16_to_utf8(latin));

    EXPECT_EQ(resolve_face(latin, kLatin), latin);
    std::u16string used = resolve_face(latin, kJapanese);
    EXPECT_NE(used, latin);
    EXPECT_EQ(missing_glyphs(used, glyphs_needed(kJapanese)), 0) << u16_to_utf8(used);

    // The row's ink is that of the text set in the face with the glyphs.
    EXPECT_EQ(measure_line_ink(font(latin), kJapanese), measure_line_ink(font(used), kJapanese));

    LineRecord line;
    Ink ink = draw_row(font(latin), kJapanese, line);
    ASSERT_GT(ink.pixels, 0);
    EXPECT_NEAR(ink.width(), line.width, 3);
    EXPECT_NEAR(ink.height(), line.height, 3);
    EXPECT_NEAR((ink.min_x + ink.max_x) / 2.0, line.x, 2.0);
    EXPECT_NEAR((ink.min_y + ink.max_y) / 2.0, line.y, 2.0);
}

// Stamping the same rows again names the substitute in the debug log once,
// not once per stamp or per text.
TEST_F(FontFallback, DebugLogNamesEachSubstitutionOnce) {
    testing::TempFolder temp;
    ASSERT_LT(temp.path().size(), std::size(g_settings_folder));
    std::wcscpy(g_settings_folder, temp.path().c_str());
    g_debug_enabled = true;

    std::u16string used = resolve_face(kMissingFace, kJapanese);
    for (int stamp = 0; stamp < 3; ++stamp) {
        EXPECT_EQ(resolve_face(kMissingFace, kJapanese), used);
        resolve_face(kMissingFace, u"印");  // another text, the same substitute
        resolve_face(used, kJapanese);      // no substitution at all
    }
    g_debug_enabled = false;

    std::wstring log = testing::utf16_file_text(temp.file(L"debug.log"));
    std::wstring named = L"used = '" + std::wstring(used.begin(), used.end()) + L"'";
    int mentions = 0;
    for (const std::wstring& l : testing::split_lines(log))
        if (l.find(named) != std::wstring::npos) ++mentions;
    EXPECT_EQ(mentions, 1) << u16_to_utf8(std::u16string(log.begin(), log.end()));
}

// ---- A face that comes and goes ---------------------------------------------

std::uint16_t big16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}
std::uint32_t big32(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint32_t>(big16(b, at)) << 16 | big16(b, at + 2);
}

// A TrueType file of the system with its names rewritten letter for letter
// (same lengths, so nothing moves), so that its family is one no other font
// has; `family` is the new name. Empty bytes when no usable file was found.
struct RenamedFont {
    std::vector<unsigned char> bytes;
    std::u16string family;
};

RenamedFont renamed_system_font() {
    wchar_t windows[MAX_PATH] = L"";
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring candidates[] = {std::wstring(windows) + L"\\Fonts\\arial.ttf",
                                       std::wstring(windows) + L"\\Fonts\\tahoma.ttf",
                                       L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf"};
    for (const std::wstring& path : candidates) {
        RenamedFont font;
        font.bytes = testing::read_bytes(path);
        std::vector<unsigned char>& b = font.bytes;
        if (b.size() < 12 || big32(b, 0) != 0x00010000u) continue;  // a single TrueType font
        const std::size_t tables = big16(b, 4);
        std::size_t name = 0;
        for (std::size_t t = 0; t < tables && 12 + 16 * t + 16 <= b.size(); ++t)
            if (big32(b, 12 + 16 * t) == 0x6E616D65u) name = big32(b, 12 + 16 * t + 8);  // 'name'
        if (name == 0 || name + 6 > b.size()) continue;
        const std::size_t count = big16(b, name + 2);
        const std::size_t strings = name + big16(b, name + 4);
        for (std::size_t r = 0; r < count && name + 6 + 12 * r + 12 <= b.size(); ++r) {
            const std::size_t record = name + 6 + 12 * r;
            const std::uint16_t platform = big16(b, record), id = big16(b, record + 6);
            if (id != 1 && id != 3 && id != 4 && id != 6 && id != 16 && id != 17) continue;
            const std::size_t length = big16(b, record + 8), at = strings + big16(b, record + 10);
            if (at + length > b.size()) continue;
            const std::size_t unit = platform == 1 ? 1 : 2;
            std::u16string renamed;
            for (std::size_t i = 0; i + unit <= length; i += unit) {
                const std::size_t low = at + i + unit - 1;
                const unsigned char c = b[low];
                if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
                    b[low] = static_cast<unsigned char>("QZXJKVWqzxjkvw"[(i / unit + c) % 14]);
                renamed.push_back(static_cast<char16_t>(unit == 1 ? b[low] : big16(b, at + i)));
            }
            if (id == 1 && platform == 3) font.family = renamed;
        }
        if (!font.family.empty()) return font;
    }
    return {};
}

// Fonts come and go while the program runs (the main window hears of it and
// resets the face checks): a face that went must not stay known, nor its
// GDI+ family kept, or rows would be set in a face that is gone.
TEST_F(FontFallback, AFaceRemovedIsForgottenAtTheReset) {
    RenamedFont font = renamed_system_font();
    if (font.family.empty()) GTEST_SKIP() << "no TrueType file of the system to make a face from";
    testing::TempFolder temp;
    const std::wstring path = temp.file(L"renamed.ttf");
    ASSERT_TRUE(testing::write_bytes(path, font.bytes));
    ASSERT_GT(AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr), 0);
    reset_face_fallback();
    if (missing_glyphs(font.family, u"A") != 0) {
        RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr);
        // Wine's GDI+ lists the installed fonts once, at its first font
        // lookup; run alone, this test makes the first.
        GTEST_SKIP() << "GDI+ does not list a font added after its first font lookup";
    }
    EXPECT_NE(installed_family(font.family), nullptr);
    EXPECT_EQ(resolve_face(font.family, kLatin), font.family);

    ASSERT_TRUE(RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr));
    reset_face_fallback();
    EXPECT_EQ(installed_family(font.family), nullptr);
    EXPECT_EQ(missing_glyphs(font.family, u"A"), -1);
    EXPECT_NE(resolve_face(font.family, kLatin), font.family);
}

}  // namespace
}  // namespace markomi
