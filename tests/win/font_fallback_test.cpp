// Rows whose face is missing or has no Japanese glyphs, measured and drawn
// with real GDI+: the row must come out in a face that has its characters.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>

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

}  // namespace
}  // namespace markomi
