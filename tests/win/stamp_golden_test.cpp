// Reviewed impressions kept as golden images. They were rendered under this
// project's Wine with the IPA fonts (which draws paths without anti-aliasing),
// so they pin that environment's output; a changed impression fails here and
// leaves the new image in render-artifacts/ beside the test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <ostream>
#include <string>

#include "dates/era_table.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "support/render_canvas.h"

namespace markomi {
namespace {

// Tolerance: a pixel differs when a channel is off by more than 64; at most
// 1% of the golden image's inked pixels may differ.
constexpr int kChannelTolerance = 64;
constexpr double kDifferingShare = 0.01;

struct Golden {
    const wchar_t* name;
    int slot;
    int shadow;
};

// Names the case in test listings.
void PrintTo(const Golden& golden, std::ostream* os) {
    for (const wchar_t* p = golden.name; *p; ++p) *os << static_cast<char>(*p);
}

class StampGolden : public ::testing::TestWithParam<Golden> {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
    }
    void TearDown() override { release_surfaces(); }
};

bool channels_close(std::uint32_t a, std::uint32_t b) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            kChannelTolerance)
            return false;
    return true;
}

TEST_P(StampGolden, MatchesTheReviewedImage) {
    const Golden& golden = GetParam();
    SettingsSet set;
    set.date.year = 2025;
    set.date.month = 5;
    set.date.day = 1;
    set.slots[static_cast<size_t>(golden.slot)].frame.shadow = golden.shadow;
    testing::RenderCanvas canvas(200, 200);
    render_stamp_with_shadow(canvas.graphics(), set, golden.slot, 100, 100, 1, 4);
    std::wstring name = std::wstring(L"golden-") + golden.name;
    canvas.save_png(name);

    std::wstring path = std::wstring(MARKOMI2_GOLDEN) + L"\\stamp-" + golden.name + L".png";
    Gdiplus::GpBitmap* expected = nullptr;
    ASSERT_EQ(gdip::GdipCreateBitmapFromFile(path.c_str(), &expected), Gdiplus::Ok)
        << "missing golden image; the rendered one is render-artifacts\\" << name.size();
    UINT w = 0, h = 0;
    gdip::GdipGetImageWidth(expected, &w);
    gdip::GdipGetImageHeight(expected, &h);
    ASSERT_EQ(w, 200u);
    ASSERT_EQ(h, 200u);
    int inked = 0, differing = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            Gdiplus::ARGB want = 0;
            gdip::GdipBitmapGetPixel(expected, x, y, &want);
            std::uint32_t got = canvas.pixel(x, y);
            if ((want & 0xFFFFFF) != 0xFFFFFF) ++inked;
            if (!channels_close(want & 0xFFFFFF, got)) ++differing;
        }
    gdip::GdipDisposeImage(expected);
    EXPECT_GT(inked, 500);
    EXPECT_LE(differing, inked * kDifferingShare) << differing << " of " << inked << " pixels differ";
}

INSTANTIATE_TEST_SUITE_P(Designs, StampGolden,
                         ::testing::Values(Golden{L"normal", 0, 0}, Golden{L"flower", 1, 0},
                                           Golden{L"star", 2, 0}, Golden{L"insect", 3, 0},
                                           Golden{L"typhoon", 4, 0}, Golden{L"diamond", 5, 0},
                                           Golden{L"animal", 6, 0}, Golden{L"normal-shadow1", 0, 1},
                                           Golden{L"normal-shadow3", 0, 3}),
                         [](const ::testing::TestParamInfo<Golden>& info) {
                             std::string n;
                             for (const wchar_t* p = info.param.name; *p; ++p)
                                 n.push_back(*p == L'-' ? '_' : static_cast<char>(*p));
                             return n;
                         });

}  // namespace
}  // namespace markomi
