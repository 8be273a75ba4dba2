// Whether a GDI+ recording may be used: the checks that send a recording of
// a wrong size, or an empty one, to the project's own writer.
#include <gtest/gtest.h>

#include <string>

#include "emf_builder.h"
#include "output/emf/recording_check.h"

namespace markomi {
namespace {

// A recording of a 200 x 100 pixel frame on a device of 1000 x 500 pixels
// whose header reports `device_mm_x` millimetres across (100: 254 dpi).
std::vector<std::uint8_t> recording(std::int32_t frame_right, std::int32_t device_mm_x, bool paints) {
    testing::EmfBuilder b(frame_right, 1000);
    b.record(kEmrSaveDc).move(0, 0).record(kEmrRestoreDc, {0xFFFFFFFFu});
    if (paints) b.poly16(kEmrPolygon16, {0, 0, 10, 10, 0, 10});
    std::vector<std::uint8_t> bytes = b.eof().bytes();
    for (int i = 0; i < 4; ++i) bytes[80 + i] = static_cast<std::uint8_t>(device_mm_x >> (8 * i));
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
    } cases[] = {
        {"sound", 2000, 100, true, asked, ""},
        {"header and EOF only, as a GDI+ that records nothing", 2000, 100, false, asked, "no painting"},
        {"frame two pixels off", 2000, 100, true, RecordingRequest{202, 100, 76, 38}, "frame width"},
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes = recording(c.frame_right, c.device_mm_x, c.paints);
        const std::string fault = recording_fault(bytes.data(), bytes.size(), c.asked);
        EXPECT_EQ(fault.substr(0, std::string(c.fault).size()), c.fault) << fault;
        EXPECT_EQ(fault.empty(), std::string(c.fault).empty()) << fault;
    }
    EXPECT_EQ(recording_fault(nullptr, 0, asked), "not a sound metafile");
}

}  // namespace
}  // namespace markomi
