// Whole stamp impressions drawn with real GDI+ and the IPA fonts.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>

#include "dates/era_table.h"
#include "render/layout_pass.h"
#include "render/row_fit.h"
#include "render/stamp_geometry.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "render/text_path_gdiplus.h"
#include "support/render_canvas.h"

namespace markomi {
namespace {

using testing::RenderCanvas;

constexpr int kCanvas = 400;
constexpr int kCx = 200;
constexpr int kCy = 200;
constexpr ColorRef kBlueFrame = 0xFF0000;  // COLORREF: blue
constexpr const wchar_t* kDesignNames[] = {L"normal", L"flower", L"star", L"insect",
                                           L"typhoon", L"diamond", L"animal"};

class StampRender : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        set_.date.year = 2025;
        set_.date.month = 5;
        set_.date.day = 1;
    }
    void TearDown() override { release_surfaces(); }

    // Text in red, frame and ornament in blue, so the two can be told apart.
    void separate_colours(int slot) {
        SlotSettings& s = set_.slots[static_cast<size_t>(slot)];
        s.frame.color = kBlueFrame;
        s.busho.color = s.date.color = s.name.color = 0x0000FF;
    }

    SettingsSet set_;
};

bool is_red(std::uint32_t rgb) { return ((rgb >> 16) & 0xFF) > 160 && (rgb & 0xFF) < 120; }
bool is_blue(std::uint32_t rgb) { return (rgb & 0xFF) > 160 && ((rgb >> 16) & 0xFF) < 120; }

double distance(int x, int y) { return std::hypot(x - kCx, y - kCy); }

TEST_F(StampRender, EveryDesignDrawsItsFrameTextAndOrnamentInPlace) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        separate_colours(slot);
        RenderCanvas canvas(kCanvas, kCanvas);
        render_stamp(canvas.graphics(), set_, slot, kCx, kCy, 0, 1);
        canvas.save_png(std::wstring(L"default-") + kDesignNames[slot]);

        const FrameSpec& frame = set_.slots[static_cast<size_t>(slot)].frame;
        int s = chord_offset(frame.hankei);
        // Both chords cross the vertical centre line near their rows, left of the text.
        int probe_x = kCx - static_cast<int>(chord_half_length(frame.hankei)) + 6;
        auto chord_at = [&](int y) {
            for (int dy = -1; dy <= 1; ++dy)
                if (is_blue(canvas.pixel(probe_x, y + dy))) return true;
            return false;
        };
        EXPECT_TRUE(chord_at(kCy - s));
        EXPECT_TRUE(chord_at(kCy + s));

        int red = 0;
        for (int y = 0; y < kCanvas; ++y)
            for (int x = 0; x < kCanvas; ++x) {
                std::uint32_t p = canvas.pixel(x, y);
                if (testing::is_white(p)) continue;
                // Ornaments reach out to about twice the radius, never further.
                EXPECT_LE(distance(x, y), 2.0 * frame.hankei + frame.thick + 2) << x << "," << y;
                if (is_red(p)) {
                    ++red;
                    EXPECT_LT(distance(x, y), frame.hankei) << "text outside the ring at " << x << "," << y;
                }
            }
        EXPECT_GT(red, 100);  // three rows of text
    }
}

TEST_F(StampRender, FittedHeightsAreTheLargestThatFitAndStable) {
    GdiplusTextMeasurer measurer;
    StampPoint centre = fit_reference_centre();
    for (int slot : {0, 2, 6}) {
        SCOPED_TRACE(slot);
        SlotSettings& s = set_.slots[static_cast<size_t>(slot)];
        auto_fit_slot(set_, slot, g_era_table, centre, measurer);
        int busho = -s.busho.height, date = -s.date.height, name = -s.name.height;
        EXPECT_GT(busho, 5);
        EXPECT_GT(date, 5);
        EXPECT_GT(name, 5);

        StampGeometry g = stamp_geometry(centre.x, centre.y, s.frame.hankei, s.frame.thick);
        EXPECT_TRUE(row_fits(g, font_at_size(s.busho, busho), set_.global.busho.view(),
                             RowBand::kDepartment, measurer));
        EXPECT_FALSE(row_fits(g, font_at_size(s.busho, busho + 1), set_.global.busho.view(),
                              RowBand::kDepartment, measurer));
        EXPECT_TRUE(row_fits(g, font_at_size(s.name, name), set_.global.name.view(), RowBand::kName,
                             measurer));
        EXPECT_FALSE(row_fits(g, font_at_size(s.name, name + 1), set_.global.name.view(),
                              RowBand::kName, measurer));
        std::u16string date_text = slot_date_text(s, set_.date, g_era_table);
        EXPECT_TRUE(date_fits(g, font_at_size(s.date, date), date_text, measurer));
        EXPECT_FALSE(date_fits(g, font_at_size(s.date, date + 1), date_text, measurer));

        auto_fit_slot(set_, slot, g_era_table, centre, measurer);
        EXPECT_EQ(-s.busho.height, busho);
        EXPECT_EQ(-s.date.height, date);
        EXPECT_EQ(-s.name.height, name);
    }
}

TEST_F(StampRender, EmptyDepartmentAndNameLeaveOnlyDateAndFrame) {
    set_.global.busho = u"";
    set_.global.name = u"";
    separate_colours(0);
    int before = set_.slots[0].busho.height;
    RenderCanvas canvas(kCanvas, kCanvas);
    render_stamp(canvas.graphics(), set_, 0, kCx, kCy, 0, 1);
    canvas.save_png(L"empty-rows");
    EXPECT_EQ(set_.slots[0].busho.height, before);  // not fitted either
    int s = chord_offset(set_.slots[0].frame.hankei);
    int red_outside_middle = 0, red_middle = 0;
    for (int y = 0; y < kCanvas; ++y)
        for (int x = 0; x < kCanvas; ++x)
            if (is_red(canvas.pixel(x, y))) (std::abs(y - kCy) < s ? red_middle : red_outside_middle)++;
    EXPECT_EQ(red_outside_middle, 0);
    EXPECT_GT(red_middle, 30);
}

TEST_F(StampRender, ExtremeFramesAndShadeModesDrawSomething) {
    int image = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        for (auto [hankei, thick, bunkatu] : {std::tuple{20, 1, 3}, std::tuple{80, 10, 20}}) {
            for (int mode = 0; mode <= 3; ++mode) {
                SettingsSet set = set_;
                FrameSpec& f = set.slots[static_cast<size_t>(slot)].frame;
                f.hankei = hankei;
                f.thick = thick;
                f.bunkatu = bunkatu;
                RenderCanvas canvas(kCanvas, kCanvas);
                render_stamp(canvas.graphics(), set, slot, kCx, kCy, mode, 1);
                int ink = 0;
                for (int y = 0; y < kCanvas; y += 2)
                    for (int x = 0; x < kCanvas; x += 2) ink += !testing::is_white(canvas.pixel(x, y));
                EXPECT_GT(ink, 10) << slot << " r" << hankei << " mode " << mode;
                if (mode == 0)
                    canvas.save_png(std::wstring(L"extreme-") + kDesignNames[slot] + L"-r" +
                                    std::to_wstring(hankei));
                ++image;
            }
        }
    }
    EXPECT_EQ(image, 7 * 2 * 4);
}

TEST_F(StampRender, HostileSettingsDoNotBreakTheImpression) {
    std::u16string long_text(600, u'長');
    const std::u16string texts[] = {long_text, u"//", u"   ", u"\U0001F600\U00020BB7", u"////a//"};
    for (const std::u16string& text : texts) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            SettingsSet set = set_;
            set.global.busho = text;
            set.global.name = text;
            SlotSettings& s = set.slots[static_cast<size_t>(slot)];
            s.busho.face_name = u"存在しない書体";
            s.frame.shadow = 9;
            RenderCanvas canvas(kCanvas, kCanvas);
            render_stamp(canvas.graphics(), set, slot, kCx, kCy, 9, 1);
            EXPECT_LE(-s.busho.height, s.frame.hankei);
            EXPECT_GE(-s.busho.height, 1);
        }
    }
    for (int height : {0, 10000, -10000}) {
        SettingsSet set = set_;
        set.slots[0].busho.height = set.slots[0].date.height = set.slots[0].name.height = height;
        RenderCanvas canvas(kCanvas, kCanvas);
        render_stamp(canvas.graphics(), set, 0, kCx, kCy, 0, 0);  // drawn as stored
        EXPECT_FALSE(testing::is_white(canvas.pixel(kCx - set.slots[0].frame.hankei, kCy)));
    }
}

TEST_F(StampRender, LayoutPassFitsEverySlotButKeepsFrames) {
    SettingsSet set = set_;
    for (SlotSettings& s : set.slots) s.busho.height = s.date.height = s.name.height = -1;
    set.slots[3].frame.hankei = 60;
    GdiplusTextMeasurer measurer;
    run_layout_pass(set, g_era_table, fit_reference_centre(), measurer, true);
    for (const SlotSettings& s : set.slots) {
        EXPECT_LT(s.busho.height, -5);
        EXPECT_LT(s.date.height, -5);
    }
    EXPECT_EQ(set.slots[3].frame.hankei, 60);
    EXPECT_LT(set.slots[3].name.height, set.slots[0].name.height);  // larger stamp, larger text
    EXPECT_GT(g_measure_cache.registrations(), 7);

    set.global.ajust = 0;
    for (SlotSettings& s : set.slots) s.busho.height = -3;
    run_layout_pass(set, g_era_table, fit_reference_centre(), measurer, true);
    for (const SlotSettings& s : set.slots) EXPECT_EQ(s.busho.height, -3);
}

}  // namespace
}  // namespace markomi

namespace markomi {
namespace {

TEST_F(StampRender, ShadowPassLiesBehindTheStampInItsTint) {
    for (int shadow : {0, 1, 3}) {
        SCOPED_TRACE(shadow);
        SettingsSet set = set_;
        set.slots[0].frame.shadow = shadow;
        set.slots[0].frame.thick = 1;
        RenderCanvas canvas(kCanvas, kCanvas);
        render_stamp_with_shadow(canvas.graphics(), set, 0, kCx, kCy, 1, 4);
        canvas.save_png(L"shadow-" + std::to_wstring(shadow));
        int r = set.slots[0].frame.hankei;
        // The ring's rightmost column is the stamp's; four pixels further right
        // lies the shadow's, in the shade of the mode (or nothing without one).
        std::uint32_t ring = canvas.pixel(kCx + r, kCy);
        std::uint32_t beyond = canvas.pixel(kCx + r + 4, kCy + 4);
        EXPECT_EQ(ring, 0xFF0000u);
        if (shadow == 0) {
            EXPECT_TRUE(testing::is_white(beyond));
        } else if (shadow == 1) {
            EXPECT_EQ(beyond, 0xFFCBCBu);
        } else if (shadow == 3) {
            EXPECT_EQ(beyond, 0x7F0000u);
        }
    }
}

}  // namespace
}  // namespace markomi
