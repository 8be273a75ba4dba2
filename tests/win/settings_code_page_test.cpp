// The settings files on a system whose ANSI code page is not 932 (Windows in
// another language, or Japanese Windows with the UTF-8 option). ctest runs
// this suite with MARKOMI2_WINE_LC_ALL=en_US.UTF-8, which gives code page 1252.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/u16_format.h"
#include "settings/settings_files_win.h"
#include "support/test_files.h"

namespace markomi {
namespace {

using testing::TempFolder;

std::vector<unsigned char> utf8_bytes(const std::string& text) {
    return std::vector<unsigned char>(text.begin(), text.end());
}

class SettingsFilesOtherCodePage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(GetACP(), 932u) << "run with MARKOMI2_WINE_LC_ALL=en_US.UTF-8";
    }
    TempFolder dir_;
};

TEST_F(SettingsFilesOtherCodePage, ShiftJisSettingsLoadAndSaveUngarbled) {
    std::wstring ini = dir_.file(L"Markomi2.ini");
    ASSERT_TRUE(testing::write_bytes(
        ini, testing::shift_jis(L"[MARKOMI]\r\nCHARSET=shift-jis\r\nBUSHO=営業部//第二課\r\n"
                                L"NAME=山田\r\n[NAME]\r\nNAME2_FACENAME=ＭＳ 明朝\r\n")));
    SettingsSet set;
    load_settings_in(dir_.path().c_str(), set);
    EXPECT_EQ(u16_to_utf8(set.global.busho.view()), "営業部//第二課");
    EXPECT_EQ(u16_to_utf8(set.global.name.view()), "山田");
    EXPECT_EQ(u16_to_utf8(set.slots[1].name.face_name.view()), "ＭＳ 明朝");

    ASSERT_TRUE(save_settings_in(dir_.path().c_str(), set));
    std::vector<std::wstring> lines = testing::split_lines(testing::utf16_file_text(ini));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], L"BUSHO=営業部//第二課");
    EXPECT_EQ(lines[3], L"NAME=山田");
    SettingsSet again;
    load_settings_in(dir_.path().c_str(), again);
    EXPECT_EQ(u16_to_utf8(again.slots[1].name.face_name.view()), "ＭＳ 明朝");
}

TEST_F(SettingsFilesOtherCodePage, Utf8SettingsLoad) {
    // Without the signature: these texts cannot be Shift-JIS.
    ASSERT_TRUE(testing::write_bytes(
        dir_.file(L"Markomi2.ini"),
        utf8_bytes("[MARKOMI]\r\nCHARSET=shift-jis\r\nBUSHO=経理部//第一課\r\nNAME=高橋\r\n")));
    SettingsSet set;
    load_settings_in(dir_.path().c_str(), set);
    EXPECT_EQ(u16_to_utf8(set.global.busho.view()), "経理部//第一課");
    EXPECT_EQ(u16_to_utf8(set.global.name.view()), "高橋");
}

TEST_F(SettingsFilesOtherCodePage, EnableFileStaysShiftJisOrUtf8) {
    std::wstring path = dir_.file(L"Markomi2_enable.ini");
    FieldEnable enable;
    // A new file is Shift-JIS, not the system's code page.
    ASSERT_TRUE(save_field_enable_in(dir_.path().c_str(), enable));
    EXPECT_EQ(testing::read_bytes(path),
              testing::shift_jis(L"[ENABLE]\r\n部署=1\r\n名前=1\r\n日付=1\r\nフォーマット=1\r\n"));

    ASSERT_TRUE(testing::write_bytes(path, testing::shift_jis(L"[ENABLE]\r\n部署=0\r\n名前=5\r\n")));
    load_field_enable_in(dir_.path().c_str(), enable);
    EXPECT_EQ(enable.busho, 0);
    EXPECT_EQ(enable.name, 1);
    ASSERT_TRUE(save_field_enable_in(dir_.path().c_str(), enable));
    EXPECT_EQ(testing::read_bytes(path),
              testing::shift_jis(L"[ENABLE]\r\n部署=0\r\n名前=1\r\n日付=1\r\nフォーマット=1\r\n"));

    // "部署=0" alone would pass for Shift-JIS; the signature says UTF-8, and
    // the file stays UTF-8 with everything its user wrote.
    const std::string sig = "\xEF\xBB\xBF";
    ASSERT_TRUE(testing::write_bytes(path, utf8_bytes(sig + "; 表示設定 ✓\r\n[ENABLE]\r\n部署=0\r\n")));
    enable = FieldEnable();
    load_field_enable_in(dir_.path().c_str(), enable);
    EXPECT_EQ(enable.busho, 0);
    ASSERT_TRUE(save_field_enable_in(dir_.path().c_str(), enable));
    EXPECT_EQ(testing::read_bytes(path),
              utf8_bytes(sig + "; 表示設定 ✓\r\n[ENABLE]\r\n部署=0\r\n名前=1\r\n日付=1\r\nフォーマット=1\r\n"));
    EXPECT_FALSE(testing::file_exists(dir_.file(L"Markomi2_enable.ini.new")));
}

}  // namespace
}  // namespace markomi
