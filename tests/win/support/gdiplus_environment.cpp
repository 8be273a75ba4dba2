// GDI+ is started once for each test program, before any test and after
// every GDI+ object of the tests is gone, as the program itself does.
#include <gtest/gtest.h>
#include <windows.h>
#include <gdiplus.h>

namespace {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

const ::testing::Environment* const g_gdiplus_environment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace
