// Measuring and drawing stamp lines with real GDI+ and the IPA fonts.
#include <gtest/gtest.h>
#include <windows.h>

#include "render/font_fallback_win.h"
#include "render/measure_cache.h"
#include "render/surfaces_gdiplus.h"
#include "render/text_path_gdiplus.h"

namespace markomi {
namespace {

class TextPath : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
    }
    void TearDown() override { release_surfaces(); }

    static FontDescription gothic(int height) {
        FontDescription f;
        f.height = height;
        f.face_name = u"ＭＳ Ｐゴシック";
        return f;
    }
    static LineRecord line(const char16_t* text) {
        LineRecord l;
        l.text = text;
        return l;
    }
};

TEST_F(TextPath, SurfacesHaveTheirFallbackSize) {
    EXPECT_EQ(g_surfaces.ink.width, 575);
    EXPECT_EQ(g_surfaces.ink.height, 530);
    EXPECT_EQ(g_surfaces.measuring.width, 575);
    ASSERT_NE(g_surfaces.measuring_graphics, nullptr);
    ASSERT_NE(g_surfaces.reference, nullptr);
    EXPECT_GT(g_surfaces.reference_dpi_x, 0);
}

TEST_F(TextPath, JapaneseTextHasAnInkBoxWithinItsFontSize) {
    LineRecord l = line(u"技術部");
    measure_line(gothic(-13), l);
    EXPECT_GT(l.width, 20);
    EXPECT_LE(l.width, 3 * 13 + 6);
    EXPECT_GT(l.height, 6);
    EXPECT_LE(l.height, 14);
    EXPECT_GE(l.top_margin, 0);
    EXPECT_GE(l.left_margin, 0);

    // Twice the size gives about twice the ink.
    LineRecord big = line(u"技術部");
    measure_line(gothic(-26), big);
    EXPECT_NEAR(big.width, 2 * l.width, 4);
    EXPECT_NEAR(big.height, 2 * l.height, 4);
}

TEST_F(TextPath, MeasurementsGoThroughTheCache) {
    LineRecord a = line(u"2025/05/01");
    measure_line(gothic(-13), a);
    LineRecord b = line(u"2025/05/01");
    measure_line(gothic(-13), b);
    EXPECT_EQ(g_measure_cache.accesses(), 2);
    EXPECT_EQ(g_measure_cache.registrations(), 1);
    EXPECT_EQ(g_measure_cache.hits(), 1);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);

    LineRecord empty = line(u"");
    measure_line(gothic(-13), empty);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
    EXPECT_EQ(g_measure_cache.accesses(), 2);
}

TEST_F(TextPath, UnknownFacesFallBackAndHostileInputSurvives) {
    FontDescription missing = gothic(-13);
    missing.face_name = u"存在しない書体";
    LineRecord l = line(u"山田");
    measure_line(missing, l);
    EXPECT_GT(l.width, 0);
    EXPECT_GT(l.height, 0);

    // A zero height makes no font: nothing to measure.
    LineRecord zero = line(u"印田");
    measure_line(gothic(0), zero);
    EXPECT_EQ(zero.width, 0);
    EXPECT_EQ(zero.height, 0);
    // Text far larger than the surface: the reads past its edge count as ink,
    // so the box is the typographic one; no crash, nothing negative.
    for (int height : {10000, -10000}) {
        LineRecord h = line(u"印田");
        measure_line(gothic(height), h);
        EXPECT_GT(h.width, g_surfaces.measuring.width);
        EXPECT_GE(h.height, 0);
    }
    LineRecord spaces = line(u"   ");
    measure_line(gothic(-13), spaces);
    EXPECT_EQ(spaces.width, 0);
    EXPECT_EQ(spaces.height, 0);
    LineRecord emoji = line(u"\U0001F600\U00020BB7");
    measure_line(gothic(-13), emoji);
    EXPECT_GE(emoji.width, 0);
}

TEST_F(TextPath, FaceUsableTellsDrawingFacesFromMissingOnes) {
    EXPECT_TRUE(face_usable(u"ＭＳ Ｐゴシック"));
    EXPECT_TRUE(face_usable(u"ＭＳ 明朝"));
    EXPECT_FALSE(face_usable(u"存在しない書体"));
}

TEST_F(TextPath, DrawnLineLandsOnItsCentre) {
    // Draw onto a white 32-bit bitmap and find the ink box.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 100);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 200, 100, WHITENESS);

    GraphicsWrapper g;
    ASSERT_EQ(gdip::GdipCreateFromHDC(dc, &g.graphics), Gdiplus::Ok);
    gdip::GdipSetPageUnit(g.graphics, Gdiplus::UnitPixel);
    FontDescription description = gothic(-26);
    LineRecord l = line(u"技術部");
    measure_line(description, l);
    l.x = 100;
    l.y = 50;
    GdipFamilyPtr family = create_font_family(description);
    GdipFontPtr font = create_font(description, family.get());
    Gdiplus::GpSolidFill* brush = nullptr;
    gdip::GdipCreateSolidFill(0xFFFF0000, &brush);
    draw_line(g, font.get(), brush, description, l);
    gdip::GdipDeleteBrush(brush);
    gdip::GdipDeleteGraphics(g.graphics);

    int min_x = 1000, max_x = -1, min_y = 1000, max_y = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                min_x = std::min(min_x, x);
                max_x = std::max(max_x, x);
                min_y = std::min(min_y, y);
                max_y = std::max(max_y, y);
            }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);

    ASSERT_GE(max_x, 0) << "nothing drawn";
    EXPECT_NEAR((min_x + max_x) / 2.0, 100.0, 2.0);
    EXPECT_NEAR((min_y + max_y) / 2.0, 50.0, 2.0);
    EXPECT_NEAR(max_x - min_x, l.width, 3);
    EXPECT_NEAR(max_y - min_y, l.height, 3);
}

}  // namespace
}  // namespace markomi

namespace markomi {
namespace {

TEST_F(TextPath, ReadingTheSurfaceBitsGivesWhatGetPixelGives) {
    const char16_t* texts[] = {u"技術部", u"印田", u"令和7/05/01", u"'25/Dec/24", u"営業部第二課",
                               u"ｱｲｳ", u"W", u"\U00020BB7", u"長い長い長い長い長い長い長い長い長い"};
    for (int height : {-8, -13, -16, -31, -120, -400}) {
        for (const char16_t* text : texts) {
            FontDescription font = gothic(height);
            font.italic = height == -31;
            g_surface_scan = SurfaceScan::kGetPixel;
            MeasuredSize by_pixel = measure_line_ink(font, text);
            g_surface_scan = SurfaceScan::kBits;
            MeasuredSize by_bits = measure_line_ink(font, text);
            EXPECT_EQ(by_pixel, by_bits) << height << " " << by_pixel.width << "x" << by_pixel.height
                                         << " vs " << by_bits.width << "x" << by_bits.height;
        }
    }
}

// What earlier lines left on the measuring surface never enters a line's
// measurement: everything its scans read is blank before the line is drawn.
TEST_F(TextPath, MeasuringIgnoresWhatTheSurfaceHeldBefore) {
    const MonochromeSurface& surface = g_surfaces.measuring;
    const char16_t* texts[] = {u"技術部", u"W", u"令和7/05/01", u"長い長い長い長い長い長い"};
    for (int height : {-8, -31, -120}) {
        for (const char16_t* text : texts) {
            PatBlt(surface.dc, 0, 0, surface.width, surface.height, WHITENESS);
            const MeasuredSize on_blank = measure_line_ink(gothic(height), text);
            PatBlt(surface.dc, 0, 0, surface.width, surface.height, BLACKNESS);
            const MeasuredSize on_ink = measure_line_ink(gothic(height), text);
            EXPECT_EQ(on_blank, on_ink) << height << " " << on_blank.width << "x" << on_blank.height << " vs "
                                        << on_ink.width << "x" << on_ink.height;
        }
    }
}

// Fonts are made once and kept: a line measures the same whichever fonts
// were made before it, the kept ones emptied at their limit included, so no
// line is ever set in a kept font of another size or style.
TEST_F(TextPath, AKeptFontIsTheFontAskedFor) {
    std::vector<FontDescription> fonts;
    for (int height = -10; height >= -80; --height) {
        FontDescription f = gothic(height);
        f.weight = height % 3 == 0 ? 700 : 400;
        f.italic = height % 5 == 0;
        fonts.push_back(f);
        FontDescription regular = gothic(height);  // the same size in the plain style
        fonts.push_back(regular);
    }
    const char16_t* kText = u"技W";
    std::vector<MeasuredSize> alone;
    for (const FontDescription& f : fonts) {
        reset_face_fallback();
        alone.push_back(measure_line_ink(f, kText));
    }
    reset_face_fallback();
    int styled_apart = 0;
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        EXPECT_EQ(measure_line_ink(fonts[i], kText), alone[i]) << fonts[i].height << " " << fonts[i].weight;
        if (i % 2 == 0 && !(alone[i] == alone[i + 1])) ++styled_apart;
    }
    // The styles draw differently, so a font kept for one style would show.
    EXPECT_GT(styled_apart, 10);
}

}  // namespace
}  // namespace markomi
