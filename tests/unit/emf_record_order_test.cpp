#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "emf_builder.h"
#include "output/emf/emf_record_order.h"

namespace markomi {
namespace {

using testing::EmfBuilder;

constexpr std::uint32_t kRed = 0x000000E6;

void brush(EmfBuilder& e) { e.record(kEmrCreateBrushIndirect, {1, 0, kRed, 0}).record(kEmrSelectObject, {1}); }
void square(EmfBuilder& e) { e.move(1, 1).poly16(kEmrPolyLineTo16, {9, 1, 9, 9}).record(kEmrCloseFigure); }
// The object `handle` selected between BEGINPATH and ENDPATH, then FILLPATH at record 7.
void select_in_path(EmfBuilder& e, std::uint32_t handle) {
    e.record(kEmrBeginPath).record(kEmrSelectObject, {handle});
    square(e);
    e.record(kEmrEndPath).record(kEmrFillPath, {0, 0, 9, 9});
}
// An object of `type` made in slot 1 between BEGINPATH and ENDPATH, then FILLPATH at record 7.
void make_in_path(EmfBuilder& e, std::uint32_t type) {
    e.record(kEmrBeginPath).record(type, {1});
    square(e);
    e.record(kEmrEndPath).record(kEmrFillPath, {0, 0, 9, 9});
}

TEST(EmfRecordOrder, ReportsWhatReadersMisdrawAndNothingElse) {
    struct Case {
        const char* name;
        std::function<void(EmfBuilder&)> build;
        std::vector<std::uint32_t> fault_types;  // one per fault, in order
        std::uint32_t first_index;               // of the first fault
        const char* why = nullptr;               // of the first fault, when given
        std::uint32_t header_size = 108;         // as the header states it
        std::size_t size = 0;                    // the bytes checked; 0: all
    };
    const std::vector<Case> cases = {
        {"brush made and selected before BEGINPATH",
         [](EmfBuilder& e) {
             brush(e);
             e.record(kEmrBeginPath);
             square(e);
             e.record(kEmrEndPath).record(kEmrFillPath, {0, 0, 9, 9});
         },
         {}, 0},
        {"brush made and selected after ENDPATH",
         [](EmfBuilder& e) {
             e.record(kEmrBeginPath);
             square(e);
             e.record(kEmrEndPath);
             brush(e);
             e.record(kEmrFillPath, {0, 0, 9, 9});
         },
         {kEmrFillPath}, 8,
         "brush or pen created or selected at record 6, after BEGINPATH at record 1, before the path "
         "is painted"},
        {"stock pen selected inside the path",
         [](EmfBuilder& e) {
             e.record(kEmrBeginPath).record(kEmrSelectObject, {0x80000007u});
             square(e);
             e.record(kEmrEndPath).record(kEmrStrokePath, {0, 0, 9, 9});
         },
         {kEmrStrokePath}, 7},
        {"NULL_PEN selected inside the path",
         [](EmfBuilder& e) {
             e.record(kEmrBeginPath).record(kEmrSelectObject, {0x80000008u});
             square(e);
             e.record(kEmrEndPath).record(kEmrStrokePath, {0, 0, 9, 9});
         },
         {kEmrStrokePath}, 7},
        {"an object never created selected inside the path",
         [](EmfBuilder& e) {
             e.record(kEmrBeginPath).record(kEmrSelectObject, {5});
             square(e);
             e.record(kEmrEndPath).record(kEmrFillPath, {0, 0, 9, 9});
         },
         {kEmrFillPath}, 7},
        {"ABORTPATH ends the path: a brush chosen after it",
         [](EmfBuilder& e) {
             e.record(kEmrBeginPath);
             square(e);
             e.record(kEmrAbortPath);
             brush(e);
             e.record(kEmrFillPath, {0, 0, 9, 9});
         },
         {}, 0},
        {"a pen made inside the path, not selected",
         [](EmfBuilder& e) {
             e.record(kEmrBeginPath).record(kEmrCreatePen, {1, 0, 1, 0, 0});
             square(e);
             e.record(kEmrEndPath).record(kEmrStrokePath, {0, 0, 9, 9});
         },
         {kEmrStrokePath}, 7},
        {"a mono brush made inside the path", [](EmfBuilder& e) { make_in_path(e, kEmrCreateMonoBrush); },
         {kEmrFillPath}, 7},
        {"SELECTOBJECT too short for a handle reads nothing beyond itself",
         [](EmfBuilder& e) {
             e.record(kEmrBeginPath).record(kEmrSelectObject);
             square(e);
             e.record(kEmrEndPath).record(kEmrFillPath, {0, 0, 9, 9});
         },
         {}, 0},
        {"DC_BRUSH selected inside the path", [](EmfBuilder& e) { select_in_path(e, 0x80000012u); },
         {kEmrFillPath}, 7},
        {"DC_PEN selected inside the path", [](EmfBuilder& e) { select_in_path(e, 0x80000013u); },
         {kEmrFillPath}, 7},
        {"a font made before the path and selected inside it",
         [](EmfBuilder& e) {
             e.record(kEmrExtCreateFontIndirectW, {1});
             select_in_path(e, 1);
         },
         {}, 0},
        {"a palette and a colour space made before the path and selected inside it",
         [](EmfBuilder& e) {
             e.record(kEmrCreatePalette, {1}).record(kEmrCreateColorSpace, {2}).record(kEmrBeginPath);
             e.record(kEmrSelectObject, {1}).record(kEmrSelectObject, {2});
             square(e);
             e.record(kEmrEndPath).record(kEmrFillPath, {0, 0, 9, 9});
         },
         {}, 0},
        {"a font selected inside the path changes no brush or pen",
         [](EmfBuilder& e) {
             e.record(kEmrBeginPath).record(kEmrSelectObject, {0x8000000Du});  // SYSTEM_FONT
             square(e);
             e.record(kEmrEndPath).record(kEmrFillPath, {0, 0, 9, 9});
         },
         {}, 0},
        // Stock index 9 names no object: playing it back changes no brush or pen.
        {"a stock object that does not exist selected inside the path",
         [](EmfBuilder& e) { select_in_path(e, 0x80000009u); }, {}, 0},
        {"SETMAPMODE", [](EmfBuilder& e) { e.record(kEmrSetMapMode, {1}); }, {kEmrSetMapMode}, 1},
        {"INTERSECTCLIPRECT",
         [](EmfBuilder& e) { e.record(kEmrIntersectClipRect, {0, 0, 9, 9}); },
         {kEmrIntersectClipRect}, 1},
        {"clip reset and viewport origin",
         [](EmfBuilder& e) { e.record(kEmrExtSelectClipRgn, {0, 5}).record(kEmrSetViewportOrgEx, {0, 0}); },
         {kEmrExtSelectClipRgn, kEmrSetViewportOrgEx}, 1},
        {"POLYDRAW16", [](EmfBuilder& e) { e.polydraw({{1, 1}, {5, 5}}, {6, 2}); },
         {kEmrPolyDraw16}, 1},
        {"broken record chain, nothing after it read",
         [](EmfBuilder& e) { e.sized(kEmrSaveDc, 10).record(kEmrSetMapMode, {1}); }, {kEmrSaveDc}, 1},
        // The chain cut short: only the bytes up to `size` are given.
        {"the smallest header alone", [](EmfBuilder&) {}, {}, 0, nullptr, 88, 88},
        {"a header a byte short", [](EmfBuilder&) {}, {0}, 0, nullptr, 88, 87},
        {"the chain ends on an 8-byte record", [](EmfBuilder& e) { e.record(kEmrSaveDc); }, {}, 0,
         nullptr, 108, 116},
        {"the chain ends 7 bytes into a record", [](EmfBuilder& e) { e.record(kEmrSaveDc); }, {0}, 1,
         nullptr, 108, 115},
        {"a record longer than the bytes left", [](EmfBuilder& e) { e.record(kEmrSaveDc, {0}); },
         {kEmrSaveDc}, 1, nullptr, 108, 116},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EmfBuilder e;
        c.build(e);
        e.eof();
        std::vector<std::uint8_t> bytes = e.bytes();
        bytes[4] = static_cast<std::uint8_t>(c.header_size);
        const std::vector<EmfOrderFault> faults =
            emf_record_order_faults(bytes.data(), c.size ? c.size : bytes.size());
        ASSERT_EQ(faults.size(), c.fault_types.size());
        for (std::size_t i = 0; i < faults.size(); ++i) {
            EXPECT_EQ(faults[i].type, c.fault_types[i]);
            EXPECT_FALSE(faults[i].why.empty());
        }
        if (!faults.empty()) {
            EXPECT_EQ(faults[0].record_index, c.first_index);
            if (c.why) {
                EXPECT_EQ(faults[0].why, c.why);
            }
        }
    }
    // Not a metafile: one fault, and no walk.
    EmfBuilder unsigned_header(2000, 1000, 0);
    unsigned_header.record(kEmrSetMapMode, {1}).eof();
    const std::vector<EmfOrderFault> refused =
        emf_record_order_faults(unsigned_header.bytes().data(), unsigned_header.bytes().size());
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].why, "not an enhanced metafile");
    EXPECT_EQ(emf_record_order_faults(nullptr, 0).size(), 1u);
}

}  // namespace
}  // namespace markomi
