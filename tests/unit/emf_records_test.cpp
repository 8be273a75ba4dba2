#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "emf_builder.h"
#include "output/emf/emf_records.h"

namespace markomi {
namespace {

using testing::EmfBuilder;

EmfSummary summary_of(const EmfBuilder& emf) {
    return summarize_emf(emf.bytes().data(), emf.bytes().size());
}

constexpr std::uint32_t kEmrRectangle = 43;
constexpr std::uint32_t kEmrGdiComment = 70;

TEST(EmfSummary, CountsRecordsAndPaintingRecordsAndReadsTheFrame) {
    EmfBuilder emf(2646, 1270);
    emf.sized(kEmrSelectObject, 12).sized(kEmrRectangle, 24).eof();
    const EmfSummary s = summary_of(emf);
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(s.record_count, 4u);
    EXPECT_EQ(s.painting_records, 1u);
    EXPECT_TRUE(s.ends_with_eof);
    EXPECT_EQ(s.frame.right, 2646);
    EXPECT_EQ(s.frame.bottom, 1270);
}

TEST(EmfSummary, ARecordingOfOnlyHeaderCommentsAndEofPaintsNothing) {
    // What a GDI+ that cannot record drawing leaves behind.
    EmfBuilder emf(100, 100);
    emf.sized(kEmrGdiComment, 40).eof();
    const EmfSummary s = summary_of(emf);
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(s.record_count, 3u);
    EXPECT_EQ(s.painting_records, 0u);
}

TEST(EmfSummary, RejectsWhatIsNotASoundMetafile) {
    EXPECT_FALSE(summarize_emf(nullptr, 0).valid);
    EmfBuilder wrong_signature(1, 1, 0x20464D45);
    wrong_signature.eof();
    EXPECT_FALSE(summary_of(wrong_signature).valid);

    EmfBuilder good(1, 1);
    good.sized(kEmrRectangle, 24).eof();
    std::vector<std::uint8_t> bytes = good.bytes();
    // Cut inside the last record: the chain runs past the end.
    EXPECT_FALSE(summarize_emf(bytes.data(), bytes.size() - 4).valid);
    // Too short to hold a header at all.
    EXPECT_FALSE(summarize_emf(bytes.data(), 87).valid);
    EXPECT_FALSE(summarize_emf(bytes.data(), 40).valid);
    // A record size of 0 or one not a multiple of 4 stops the walk.
    EmfBuilder zero(1, 1);
    std::vector<std::uint8_t> z = zero.bytes();
    z.insert(z.end(), {43, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(summarize_emf(z.data(), z.size()).valid);
    EmfBuilder odd(1, 1);
    odd.sized(kEmrRectangle, 22);
    EXPECT_FALSE(summary_of(odd).valid);
}

TEST(EmfSummary, NoticesAMissingEof) {
    EmfBuilder emf(1, 1);
    emf.sized(kEmrRectangle, 24);
    const EmfSummary s = summary_of(emf);
    EXPECT_TRUE(s.valid);
    EXPECT_FALSE(s.ends_with_eof);
}

TEST(EmfRecordPaints, ShapesPathsBlitsAndTextPaintStateDoesNot) {
    for (std::uint32_t type : {2u, 3u, 8u, 15u, 41u, 42u, 43u, 47u, 53u, 56u, 62u, 63u, 64u, 71u,
                               74u, 76u, 81u, 83u, 84u, 85u, 92u, 96u, 97u, 114u, 116u, 118u})
        EXPECT_TRUE(emf_record_paints(type)) << type;
    // Header, window and viewport setup, objects, path brackets, comments, EOF.
    for (std::uint32_t type : {0u, 1u, 9u, 14u, 37u, 39u, 40u, 48u, 52u, 59u, 60u, 70u, 75u, 82u,
                               93u, 95u, 115u, 117u, 119u})
        EXPECT_FALSE(emf_record_paints(type)) << type;
}

TEST(EmfFrameUnits, HundredthsOfAMillimetreFromTheDeviceSize) {
    // A 1920-pixel screen reported as 508 mm: 96 dpi.
    EXPECT_EQ(emf_frame_hundredths(1, 508, 1920), 26);    // 26.46
    EXPECT_EQ(emf_frame_hundredths(2, 508, 1920), 53);    // 52.92, not truncated to 52
    EXPECT_EQ(emf_frame_hundredths(100, 508, 1920), 2646);
    EXPECT_EQ(emf_frame_hundredths(73, 320, 1280), 1825);  // exactly 1825
    EXPECT_EQ(emf_frame_hundredths(10, 0, 1920), 0);
    EXPECT_EQ(emf_frame_hundredths(10, 508, 0), 0);
    // Every whole pixel size survives the trip to hundredths and back.
    for (int px = 1; px <= 700; ++px)
        ASSERT_EQ(emf_frame_side_pixels(emf_frame_hundredths(px, 508, 1920), 508, 1920), px) << px;
}

TEST(EmfFrameUnits, PixelsBackFromTheDeviceSizeOfAnyScreen) {
    // Screens whose size in millimetres is not a whole number of inches at
    // their resolution (1920 pixels at 120 and 144 dpi) still give every
    // frame its pixels back, offset frames too.
    for (int mm : {508, 406, 339})
        for (int px = 1; px <= 700; ++px) {
            const int left = emf_frame_hundredths(37, mm, 1920);
            const int right = emf_frame_hundredths(37 + px, mm, 1920);
            ASSERT_EQ(emf_frame_side_pixels(right - left, mm, 1920), px) << mm << " mm, " << px;
        }
    EXPECT_EQ(emf_frame_side_pixels(2646, 0, 1920), 0);
    EXPECT_EQ(emf_frame_side_pixels(2646, 508, 0), 0);
    // Sides from a stranger's header saturate instead of wrapping.
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(emf_frame_side_pixels(kMax, 1, kMax), kMax);
    EXPECT_EQ(emf_frame_side_pixels(-kMax, 1, kMax), -kMax - 1);
    EXPECT_EQ(emf_frame_hundredths(kMax, kMax, 1), kMax);
}

}  // namespace
}  // namespace markomi
