#include <gtest/gtest.h>

#include "output/emf/metafile_recorder.h"

namespace markomi {
namespace {

TEST(MetafileRecorder, TheTwoNamesForceARecorderAnythingElseLeavesTheProbe) {
    EXPECT_EQ(metafile_recorder_from(u"gdiplus"), MetafileRecorder::kGdiplus);
    EXPECT_EQ(metafile_recorder_from(u"GdiPlus"), MetafileRecorder::kGdiplus);
    EXPECT_EQ(metafile_recorder_from(u"gdi"), MetafileRecorder::kGdi);
    EXPECT_EQ(metafile_recorder_from(u"GDI"), MetafileRecorder::kGdi);
    for (const char16_t* other : {u"", u"gd", u"gdi+", u"gdi ", u" gdiplus", u"gdiplus1", u"auto"})
        EXPECT_EQ(metafile_recorder_from(other), MetafileRecorder::kProbe);
}

}  // namespace
}  // namespace markomi
