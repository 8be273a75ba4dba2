// Reviewed impressions kept as golden images. They were rendered under this
// project's Wine with the IPA fonts (which draws paths without anti-aliasing),
// so they pin that environment's output; a changed impression fails here and
// leaves the new image in render-artifacts/ beside the test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>

#include "dates/era_table.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "support/golden.h"
#include "support/render_canvas.h"
#include "support/wine_detect.h"

namespace markomi {
namespace {

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

TEST_P(StampGolden, MatchesTheReviewedImage) {
    MARKOMI2_SKIP_UNLESS_WINE("the reviewed images are Wine's rendering");
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

    // Tolerance as support/golden.h states it.
    testing::GoldenComparison c = testing::compare_with_golden(
        L"stamp-" + std::wstring(golden.name) + L".png", 200, 200,
        [&](int x, int y) { return canvas.pixel(x, y); });
    ASSERT_TRUE(c.loaded) << "missing golden image; the rendered one is in render-artifacts";
    ASSERT_TRUE(c.same_size);
    EXPECT_GT(c.inked, 500);
    EXPECT_TRUE(c.within_tolerance()) << c.differing << " of " << c.inked << " pixels differ";
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
