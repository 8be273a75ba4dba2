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
        {"5.5 % shorter on paper", 2000, 100, true, asked, "", 950, 47},
        {"7.5 % taller on paper", 2000, 100, true, asked, "physical height", 1080, 54},
        // Micrometres, where the header has them, rule over the millimetres.
        {"micrometres over monitor millimetres", 2000, 133, true, asked, "", 1000, 66, 100000,
         50000},
        {"frame away from the origin", 2100, 100, true, asked, "", 1060, 50, 0, 0, 100, 60},
        // One pixel per inch is a size, if a useless one: the frame is wrong.
        {"one pixel per inch", 2000, 25400, true, asked, "frame width"},
        {"one pixel per inch down", 2000, 100, true, asked, "frame height", 1000, 12700},
        // 200.495 and 199.503 pixels: a pixel off after rounding, not two.
        {"frame just under half a pixel over", 2000, 100, true, RecordingRequest{199, 100, 76, 38},
         "", 1000, 50, 99753},
        {"frame just over half a pixel under", 2000, 100, true, RecordingRequest{201, 100, 76, 38},
         "", 1000, 50, 100249},
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
    std::vector<std::uint8_t> no_eof = recording(2000, 100, true, 1000, 50, 0, 0, 0, 0);
    no_eof.resize(no_eof.size() - 20);
    EXPECT_EQ(recording_fault(no_eof.data(), no_eof.size(), asked), "not a sound metafile");
}

// The reference device as either header size gives it: an 88-byte header has
// no micrometres, whatever bytes follow it.
TEST(RecordingCheck, ReadsTheDeviceOfEitherHeaderSize) {
    struct Case {
        const char* name;
        std::size_t kept;  // bytes of the metafile kept, 0 for all
        std::uint32_t type, header_size;
        std::int32_t pixels_x, mm_x, um_x;
        bool valid;
        std::int32_t read_um_x;
        double dpi_x;
    } cases[] = {
        {"108-byte header", 0, kEmrHeader, 108, 1000, 200, 100000, true, 100000, 254},
        {"108-byte header alone", 108, kEmrHeader, 108, 1000, 200, 100000, true, 100000, 254},
        {"88-byte header, records after it", 0, kEmrHeader, 88, 1000, 200, 100000, true, 0, 127},
        {"88-byte header alone", 88, kEmrHeader, 88, 1000, 200, 100000, true, 0, 127},
        {"cut in the millimetres", 87, kEmrHeader, 88, 1000, 200, 0, false, 0, 0},
        {"not a header record", 0, kEmrPolygon16, 108, 1000, 200, 100000, false, 0, 0},
        {"a device of one pixel", 0, kEmrHeader, 108, 1, 1, 0, true, 0, 25.4},
        {"one micrometre", 0, kEmrHeader, 108, 1, 200, 1, true, 1, 25400},
        {"no pixels", 0, kEmrHeader, 108, 0, 200, 100000, true, 100000, 0},
        {"pixels below zero", 0, kEmrHeader, 108, -1000, 200, 100000, true, 100000, 0},
        {"no size given", 0, kEmrHeader, 108, 1000, 0, 0, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = testing::EmfBuilder().eof().bytes();
        const std::pair<std::size_t, std::uint32_t> fields[] = {
            {0, c.type},
            {4, c.header_size},
            {72, static_cast<std::uint32_t>(c.pixels_x)},
            {80, static_cast<std::uint32_t>(c.mm_x)},
            {100, static_cast<std::uint32_t>(c.um_x)}};
        for (const auto& [at, v] : fields)
            for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        if (c.kept) bytes.resize(c.kept);
        const EmfDeviceInfo d = emf_device_info(bytes.data(), bytes.size());
        EXPECT_EQ(d.valid, c.valid);
        EXPECT_EQ(d.micrometres_x, c.read_um_x);
        EXPECT_DOUBLE_EQ(d.dpi_x(), c.dpi_x);
    }
    // Pixels at a resolution as hundredths of a millimetre; none at no resolution.
    const struct {
        double pixels, dpi;
        std::int32_t hundredths;
    } at_dpi[] = {{96, 96, 2540}, {1, 0.5, 5080}, {1, -96, 0}, {1, 0, 0}};
    for (const auto& c : at_dpi)
        EXPECT_EQ(hundredths_at_dpi(c.pixels, c.dpi), c.hundredths) << c.pixels << " at " << c.dpi;
}

}  // namespace
}  // namespace markomi
