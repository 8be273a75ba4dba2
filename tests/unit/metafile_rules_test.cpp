#include <gtest/gtest.h>

#include "output/emf/metafile_rules.h"

namespace markomi {
namespace {

TEST(ConversionOutcome, OkGoesOnWithTheConversionWhenOneCameBack) {
    EXPECT_EQ(conversion_outcome(kGdiplusOk, true), ConversionOutcome::kUseConverted);
    EXPECT_EQ(conversion_outcome(kGdiplusOk, false), ConversionOutcome::kUseRecording);
}

TEST(ConversionOutcome, InvalidParameterKeepsTheRecordingEvenWithAResult) {
    EXPECT_EQ(conversion_outcome(kGdiplusInvalidParameter, false), ConversionOutcome::kUseRecording);
    EXPECT_EQ(conversion_outcome(kGdiplusInvalidParameter, true), ConversionOutcome::kUseRecording);
}

TEST(ConversionOutcome, OtherFailuresKeepTheRecording) {
    // GenericError, OutOfMemory, NotImplemented (as where GDI+ 1.1 is missing), Win32Error.
    for (int status : {1, 3, 6, 7, 18}) {
        EXPECT_EQ(conversion_outcome(status, false), ConversionOutcome::kUseRecording) << status;
        EXPECT_EQ(conversion_outcome(status, true), ConversionOutcome::kUseRecording) << status;
    }
}

TEST(StampOutputFor, FormatLetterAndCtrlKey) {
    GlobalOptions options;
    options.format = u"M";
    EXPECT_EQ(stamp_output_for(options, false), StampOutput::kMetafile);
    EXPECT_EQ(stamp_output_for(options, true), StampOutput::kBitmap);
    options.format = u"B";
    EXPECT_EQ(stamp_output_for(options, false), StampOutput::kBitmap);
    EXPECT_EQ(stamp_output_for(options, true), StampOutput::kMetafile);
}

TEST(StampOutputFor, AnythingButAnUpperCaseMIsTheBitmap) {
    GlobalOptions options;
    options.format = u"";
    EXPECT_EQ(stamp_output_for(options, false), StampOutput::kBitmap);
    EXPECT_EQ(stamp_output_for(options, true), StampOutput::kMetafile);
    options.format = u"m";
    EXPECT_EQ(stamp_output_for(options, false), StampOutput::kBitmap);
}

}  // namespace
}  // namespace markomi
