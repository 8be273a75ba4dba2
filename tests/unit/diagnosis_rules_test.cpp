#include <gtest/gtest.h>

#include <vector>

#include "emf_builder.h"
#include "tools/diagnosis_rules.h"

namespace markomi {
namespace {

using testing::EmfBuilder;

// EMF+ records hide inside comments: they are counted there, a comment of
// other data adds none, and a broken record ends the walk with what came
// before it kept.
TEST(DiagnosisRules, TalliesRecordsAndTheEmfPlusRecordsInsideComments) {
    // One EMF+ comment: "EMF+", a header record (0x4001, 28 bytes) and two
    // 0x4008 records of 12 bytes each; the type's flags are in the high half.
    EmfBuilder emf;
    emf.move(1, 2).move(3, 4);
    emf.record(kEmrComment, {56, kEmfPlusCommentId, 0x00014001, 28, 16, 0, 0, 0, 0, 0x00024008, 12, 0,
                             0x00004008, 12, 0});
    emf.record(kEmrComment, {4, 0x12345678});
    emf.eof();
    const std::vector<std::uint8_t>& bytes = emf.bytes();
    const EmfRecordTally tally = tally_emf_records(bytes.data(), bytes.size());
    EXPECT_TRUE(tally.complete);
    EXPECT_EQ(tally.records, (std::map<std::uint32_t, std::uint32_t>{
                                 {kEmrHeader, 1}, {kEmrEof, 1}, {kEmrMoveToEx, 2}, {kEmrComment, 2}}));
    EXPECT_EQ(tally.emf_plus, (std::map<std::uint16_t, std::uint32_t>{{0x4001, 1}, {0x4008, 2}}));

    EmfBuilder broken;
    broken.move(1, 2).sized(kEmrLineTo, 10).eof();
    const EmfRecordTally cut = tally_emf_records(broken.bytes().data(), broken.bytes().size());
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.records, (std::map<std::uint32_t, std::uint32_t>{{kEmrHeader, 1}, {kEmrMoveToEx, 1}}));
    EXPECT_FALSE(tally_emf_records(nullptr, 0).complete);  // nothing to walk is no metafile

    // A last record of 8 bytes without EOF is walked to the end; records after
    // EOF are not read, and leave the chain incomplete.
    EmfBuilder open_end, after_eof;
    open_end.move(1, 2).record(kEmrSaveDc);
    after_eof.eof().record(kEmrSaveDc);
    const EmfRecordTally open = tally_emf_records(open_end.bytes().data(), open_end.bytes().size());
    EXPECT_TRUE(open.complete);
    EXPECT_EQ(open.records, (std::map<std::uint32_t, std::uint32_t>{
                                {kEmrHeader, 1}, {kEmrMoveToEx, 1}, {kEmrSaveDc, 1}}));
    const EmfRecordTally trailing =
        tally_emf_records(after_eof.bytes().data(), after_eof.bytes().size());
    EXPECT_FALSE(trailing.complete);
    EXPECT_EQ(trailing.records,
              (std::map<std::uint32_t, std::uint32_t>{{kEmrHeader, 1}, {kEmrEof, 1}}));

    EXPECT_EQ(std::u16string(emf_record_name(kEmrPolyBezierTo16)), u"POLYBEZIERTO16");
    EXPECT_EQ(std::u16string(emf_record_name(kEmrComment)), u"COMMENT");
    EXPECT_EQ(emf_record_name(123), nullptr);
}

std::vector<std::uint8_t> png_chunk(const char* type, std::vector<std::uint8_t> data) {
    std::vector<std::uint8_t> chunk;
    const auto length = static_cast<std::uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<std::uint8_t>(length >> shift));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    chunk.insert(chunk.end(), 4, 0);  // the CRC, not checked
    return chunk;
}

std::vector<std::uint8_t> png_of(std::initializer_list<std::vector<std::uint8_t>> chunks) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const auto& c : chunks) png.insert(png.end(), c.begin(), c.end());
    return png;
}

// The resolution counts only from a pHYs chunk ahead of the image data, read
// big-endian, per metre when its unit says so.
TEST(DiagnosisRules, PngResolutionComesFromThePhysChunkBeforeTheImage) {
    const std::vector<std::uint8_t> ihdr(13, 0);
    const std::vector<std::uint8_t> phys = {0, 0, 0x0E, 0xC4, 0, 0, 0x17, 0x62, 1};  // 3780, 5986 per metre
    const auto good = png_of({png_chunk("IHDR", ihdr), png_chunk("pHYs", phys), png_chunk("IDAT", {1, 2})});
    const std::optional<PngPhysical> p = png_physical(good.data(), good.size());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->x, 3780u);
    EXPECT_EQ(p->y, 5986u);
    EXPECT_NEAR(p->dpi_x(), 96.012, 1e-9);
    EXPECT_NEAR(p->dpi_y(), 152.0444, 1e-9);

    std::vector<std::uint8_t> no_unit = phys;
    no_unit[8] = 0;
    const auto aspect = png_of({png_chunk("IHDR", ihdr), png_chunk("pHYs", no_unit)});
    ASSERT_TRUE(png_physical(aspect.data(), aspect.size()));
    EXPECT_EQ(png_physical(aspect.data(), aspect.size())->dpi_x(), 0.0);

    const auto late = png_of({png_chunk("IHDR", ihdr), png_chunk("IDAT", {1}), png_chunk("pHYs", phys)});
    EXPECT_FALSE(png_physical(late.data(), late.size()));
    std::vector<std::uint8_t> not_png = good;
    not_png[1] = 'J';
    EXPECT_FALSE(png_physical(not_png.data(), not_png.size()));
    const auto truncated = std::vector<std::uint8_t>(good.begin(), good.begin() + 40);
    EXPECT_FALSE(png_physical(truncated.data(), truncated.size()));
    EXPECT_FALSE(png_physical(good.data(), 53));  // the pHYs chunk's CRC a byte short
    const auto after_end =
        png_of({png_chunk("IHDR", ihdr), png_chunk("IEND", {}), png_chunk("pHYs", phys)});
    EXPECT_FALSE(png_physical(after_end.data(), after_end.size()));

    // Chunk types are all four letters; each byte of the values counts.
    const auto named_alike =
        png_of({png_chunk("IHDR", ihdr), png_chunk("IDAt", {}), png_chunk("IENd", {}),
                png_chunk("pHYs", {1, 2, 3, 4, 5, 6, 7, 8, 1})});
    const std::optional<PngPhysical> wide = png_physical(named_alike.data(), named_alike.size());
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->x, 0x01020304u);
    EXPECT_EQ(wide->y, 0x05060708u);
}

}  // namespace
}  // namespace markomi
