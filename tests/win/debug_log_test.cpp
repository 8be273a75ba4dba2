#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <cwchar>
#include <regex>
#include <string>
#include <vector>

#include "base/gdi_handles_win.h"
#include "base/process_globals_win.h"
#include "base/u16_format.h"
#include "diag/debug_log.h"
#include "diag/debug_log_win.h"
#include "render/line_record.h"
#include "render/line_record_log_win.h"
#include "support/test_files.h"

namespace markomi {
namespace {

// The UTF-16LE units after the byte-order mark, as UTF-8 for readable failures.
std::string body_after_bom(const std::vector<unsigned char>& bytes) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return u16_to_utf8(units);
}

// Each test logs into a fresh temporary folder, set as the settings folder,
// and leaves the switch and the settings folder as it found them.
class DebugLog : public ::testing::Test {
protected:
    void SetUp() override {
        saved_enabled_ = g_debug_enabled;
        std::wcscpy(saved_folder_, g_settings_folder);
        g_debug_enabled = false;
        ASSERT_FALSE(temp_.path().empty());
        use_folder(temp_.path());
    }

    void TearDown() override {
        g_debug_enabled = saved_enabled_;
        std::wcscpy(g_settings_folder, saved_folder_);
    }

    void use_folder(const std::wstring& folder) {
        ASSERT_LT(folder.size(), std::size(g_settings_folder));
        std::wcscpy(g_settings_folder, folder.c_str());
    }

    std::wstring log_path() const { return std::wstring(g_settings_folder) + L"\\debug.log"; }

    bool saved_enabled_ = false;
    wchar_t saved_folder_[261] = {};
    markomi::testing::TempFolder temp_;
};

void log_with_every_formatter() {
    LineRecord line;
    line.text = std::u16string(u"営業部");
    write_log_line(u"direct");
    log_message(L"message");
    log_bool(L"b", 1);
    log_text(L"t", L"text");
    log_text(L"t", u"text");
    log_int(L"i", 1);
    log_long(L"l", 2);
    log_unsigned(L"u", 3u);
    log_two_ints(L"x", 1, L"y", 2);
    log_four_ints(L"a", 1, L"b", 2, L"c", 3, L"d", 4);
    log_float(L"f", 1.5f);
    log_two_floats(L"f", 1.5f, L"g", 2.5f);
    log_double(L"d", 1.5);
    log_two_doubles(L"d", 1.5, L"e", 2.5);
    log_line_record(L"row", line);
    log_size(L"size", 3, 4);
}

TEST_F(DebugLog, DisabledLogWritesNoFile) {
    log_with_every_formatter();
    EXPECT_FALSE(PathFileExistsW(log_path().c_str()));
}

TEST_F(DebugLog, FirstLineCreatesTheFileWithAByteOrderMarkLaterLinesAppend) {
    g_debug_enabled = true;
    log_bool(L"found", 2);
    std::vector<unsigned char> bytes = markomi::testing::read_bytes(log_path());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    const std::regex stamp_line(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} found = true\n)");
    std::string first = body_after_bom(bytes);
    EXPECT_TRUE(std::regex_match(first, stamp_line)) << first;

    log_float(L"幅", 87.0f);
    log_line_record(L"row", LineRecord{});
    bytes = markomi::testing::read_bytes(log_path());
    std::string all = body_after_bom(bytes);
    ASSERT_EQ(all.compare(0, first.size(), first), 0) << all;
    const std::regex appended(
        R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} 幅 = 87\.000000\n)"
        R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} row text = '', point\(x, y\) = \(0, 0\), )"
        R"(size\(x, y\) = \(0, 0\), top_space = 0, bottom_space = 0, right_space = 0, )"
        R"(left_space = 0\n)");
    std::string rest = all.substr(first.size());
    EXPECT_TRUE(std::regex_match(rest, appended)) << rest;  // no second mark, no CR
}

TEST_F(DebugLog, EveryFormatterWritesOneLineWhenEnabled) {
    g_debug_enabled = true;
    log_with_every_formatter();
    std::string all = body_after_bom(markomi::testing::read_bytes(log_path()));
    std::size_t lines = 0;
    for (char c : all) lines += c == '\n';
    EXPECT_EQ(lines, 16u) << all;
}

TEST_F(DebugLog, PathLongerThan249UnitsWritesNothing) {
    g_debug_enabled = true;
    // "\debug.log" adds 10 units: a 240-unit folder is one unit too long.
    const std::wstring prefix = temp_.path() + L"\\";
    ASSERT_LT(prefix.size(), 230u);
    const std::wstring too_long = prefix + std::wstring(240 - prefix.size(), L'x');
    ASSERT_TRUE(CreateDirectoryW(too_long.c_str(), nullptr));
    use_folder(too_long);
    log_message(L"lost");
    EXPECT_FALSE(PathFileExistsW(log_path().c_str()));

    const std::wstring longest = prefix + std::wstring(239 - prefix.size(), L'y');
    ASSERT_TRUE(CreateDirectoryW(longest.c_str(), nullptr));
    use_folder(longest);
    log_message(L"kept");
    EXPECT_EQ(log_path().size(), 249u);
    EXPECT_TRUE(PathFileExistsW(log_path().c_str()));
}

TEST_F(DebugLog, EnvironmentSwitchTurnsTheLogOnOnlyForExactlyOne) {
    for (const wchar_t* value : {L"0", L"11", L"", L"true"}) {
        SetEnvironmentVariableW(L"MARKOMI2_DEBUG_LOG", value);
        enable_debug_log_from_environment();
        EXPECT_FALSE(g_debug_enabled) << "value of length " << std::wcslen(value);
    }
    SetEnvironmentVariableW(L"MARKOMI2_DEBUG_LOG", nullptr);
    enable_debug_log_from_environment();
    EXPECT_FALSE(g_debug_enabled);
    SetEnvironmentVariableW(L"MARKOMI2_DEBUG_LOG", L"1");
    enable_debug_log_from_environment();
    EXPECT_TRUE(g_debug_enabled);
    SetEnvironmentVariableW(L"MARKOMI2_DEBUG_LOG", nullptr);
}

// A 40 x 40 white surface with a red pen selected, so that a marker that
// forgets to restore the pen shows.
class MarkerSurface {
public:
    MarkerSurface()
        : dc_(CreateCompatibleDC(nullptr)), red_pen_(CreatePen(PS_SOLID, 1, RGB(255, 0, 0))) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kSize;
        info.bmiHeader.biHeight = -kSize;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (bits != nullptr) std::memset(bits, 0xFF, kSize * kSize * 4);
        old_bitmap_ = SelectObject(dc_, bitmap_.get());
        old_pen_ = SelectObject(dc_, red_pen_.get());
    }
    ~MarkerSurface() {
        SelectObject(dc_, old_pen_);
        SelectObject(dc_, old_bitmap_);
        DeleteDC(dc_);
    }
    MarkerSurface(const MarkerSurface&) = delete;
    MarkerSurface& operator=(const MarkerSurface&) = delete;

    HDC dc() const { return dc_; }
    HGDIOBJ red_pen() const { return red_pen_.get(); }
    bool ready() const { return dc_ != nullptr && bitmap_ && red_pen_; }
    int non_white_pixels() const {
        int n = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) n += GetPixel(dc_, x, y) != RGB(255, 255, 255);
        return n;
    }

    static constexpr int kSize = 40;

private:
    HDC dc_;
    GdiBitmap bitmap_;
    GdiPen red_pen_;
    HGDIOBJ old_bitmap_ = nullptr;
    HGDIOBJ old_pen_ = nullptr;
};

void draw_every_marker(HDC dc) {
    debug_black_line(dc, 2, 5, 30, 5);
    debug_blue_line(dc, 2, 10, 30, 10);
    debug_box(dc, 5, 15, 25, 30);
    debug_cross(dc, 20, 36);
}

TEST_F(DebugLog, DisabledMarkersDrawNothing) {
    MarkerSurface surface;
    ASSERT_TRUE(surface.ready());
    draw_every_marker(surface.dc());
    EXPECT_EQ(surface.non_white_pixels(), 0);
    EXPECT_EQ(GetCurrentObject(surface.dc(), OBJ_PEN), surface.red_pen());
}

TEST_F(DebugLog, EnabledMarkersDrawOnePixelLinesAndRestoreThePen) {
    g_debug_enabled = true;
    MarkerSurface surface;
    ASSERT_TRUE(surface.ready());
    HDC dc = surface.dc();
    draw_every_marker(dc);

    const COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);
    EXPECT_EQ(GetPixel(dc, 2, 5), kBlack);
    EXPECT_EQ(GetPixel(dc, 17, 5), kBlack);
    EXPECT_EQ(GetPixel(dc, 17, 4), kWhite);  // one pixel wide
    EXPECT_EQ(GetPixel(dc, 17, 6), kWhite);
    EXPECT_EQ(GetPixel(dc, 17, 10), COLORREF{0xFF0000});

    EXPECT_EQ(GetPixel(dc, 15, 15), kBlack);  // top edge
    EXPECT_EQ(GetPixel(dc, 15, 30), kBlack);  // bottom edge
    EXPECT_EQ(GetPixel(dc, 5, 22), kBlack);   // left edge
    EXPECT_EQ(GetPixel(dc, 25, 22), kBlack);  // right edge
    EXPECT_EQ(GetPixel(dc, 15, 22), kWhite);  // inside

    EXPECT_EQ(GetPixel(dc, 18, 34), kBlack);  // both diagonals through (20, 36)
    EXPECT_EQ(GetPixel(dc, 20, 36), kBlack);
    EXPECT_EQ(GetPixel(dc, 21, 37), kBlack);
    EXPECT_EQ(GetPixel(dc, 18, 38), kBlack);
    EXPECT_EQ(GetPixel(dc, 21, 35), kBlack);
    EXPECT_EQ(GetPixel(dc, 20, 34), kWhite);
    EXPECT_EQ(GetPixel(dc, 18, 36), kWhite);

    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), surface.red_pen());
}

}  // namespace
}  // namespace markomi
