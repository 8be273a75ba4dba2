// Whether a GDI+ recording may be used: the checks that send a recording of
// a wrong size, or an empty one, to the project's own writer.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "emf_builder.h"
#include "output/emf/recording_check.h"

namespace markomi {
namespace {

// A recording of a 200 x 100 pixel frame on a device of 1000 x 500 pixels
// whose header reports `device_mm_x` by `device_mm_y` millimetres (100 by
// 50: 254 dpi) and `um_x` by `um_y` micrometres (0: none given), the frame's
// top left corner at `frame_left`, `frame_top`.
std::vector<std::uint8_t> recording(std::int32_t frame_right, std::int32_t device_mm_x, bool paints,
                                    std::int32_t frame_bottom, std::int32_t device_mm_y,
                                    std::int32_t um_x, std::int32_t um_y, std::int32_t frame_left,
                                    std::int32_t frame_top) {
    testing::EmfBuilder b(frame_right, frame_bottom);
    b.record(kEmrSaveDc).move(0, 0).record(kEmrRestoreDc, {0xFFFFFFFFu});
    if (paints) b.poly16(kEmrPolygon16, {0, 0, 10, 10, 0, 10});
    std::vector<std::uint8_t> bytes = b.eof().bytes();
    const std::pair<std::size_t, std::int32_t> fields[] = {{24, frame_left},  {28, frame_top},
                                                           {80, device_mm_x}, {84, device_mm_y},
                                                           {100, um_x},       {104, um_y}};
    for (const auto& [at, v] : fields)
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return bytes;
}

TEST(RecordingCheck, RefusesEmptyMisframedAndMisSizedRecordings) {
    // 2000 hundredths is 75.6 pixels at 96 dpi, 1000 is 37.8.
    const RecordingRequest asked{200, 100, 76, 38};
    struct Case {
        const char* name;
        std::int32_t frame_right, device_mm_x;
        bool paints;
        RecordingRequest asked;
        const char* fault;  // the start of the reason, or "" for a recording to use
        std::int32_t frame_bottom = 1000, device_mm_y = 50, um_x = 0, um_y = 0, frame_left = 0,
                     frame_top = 0;
    } cases[] = {
        {"sound", 2000, 100, true, asked, ""},
        {"header and EOF only, as a GDI+ that records nothing", 2000, 100, false, asked,
         "no painting"},
        {"frame two pixels off", 2000, 100, true, RecordingRequest{202, 100, 76, 38},
         "frame width"},
        {"frame a pixel off each way", 2000, 100, true, RecordingRequest{201, 101, 76, 38}, ""},
        // The device's millimetres from the monitor, a third more than its
        // resolution gives, and the frame sized from them: the frame is the
        // pixels asked for, the stamp a third larger on paper.
        {"monitor millimetres", 2660, 133, true, asked, "physical width"},
        // The same 200 pixels at other millimetres: 2011 hundredths are
        // wanted, give or take 3 percent and a pixel (86).
        {"3.4 % larger on paper", 2080, 104, true, asked, ""},
        {"4.4 % larger on paper", 2100, 105, true, asked, "physical width"},
        {"3.5 % smaller on paper", 1940, 97, true, asked, ""},
        {"4.5 % smaller on paper", 1920, 96, true, asked, "physical width"},
        {"no device size (a header read too early)", 2000, 0, true, asked, "the header gives no"},
        // Down the same rules at the height's own resolution: 1005 hundredths
        // wanted, give or take 56.
        {"frame two pixels off down", 2000, 100, true, asked, "frame height", 1020},
        {"no device size down", 2000, 100, true, asked, "the header gives no", 1000, 0},
        {"5.5 % taller on paper", 2000, 100, true, asked, "", 1060, 53},
        {"7.5 % taller on paper", 2000, 100, true, asked, "physical height", 1080, 54},
        // Micrometres, where the header has them, rule over the millimetres.
        {"micrometres over monitor millimetres", 2000, 133, true, asked, "", 1000, 66, 100000,
         50000},
        {"frame away from the origin", 2100, 100, true, asked, "", 1060, 50, 0, 0, 100, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes =
            recording(c.frame_right, c.device_mm_x, c.paints, c.frame_bottom, c.device_mm_y, c.um_x,
                      c.um_y, c.frame_left, c.frame_top);
        const std::string fault = recording_fault(bytes.data(), bytes.size(), c.asked);
        EXPECT_EQ(fault.substr(0, std::string(c.fault).size()), c.fault) << fault;
        EXPECT_EQ(fault.empty(), std::string(c.fault).empty()) << fault;
    }
    EXPECT_EQ(recording_fault(nullptr, 0, asked), "not a sound metafile");
}

}  // namespace
}  // namespace markomi
