// Settings files in every encoding users' editors write, with the texts
// Japanese offices really use: each must load as written.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/u16_format.h"
#include "base/wide_text_win.h"
#include "settings/settings_files_win.h"
#include "support/test_files.h"

namespace markomi {
namespace {

using testing::TempFolder;

// Department names, surnames and font names of the kind users type.
const wchar_t* const kDepartments[] = {
    L"総務部", L"経理部", L"人事部", L"営業部", L"営業一課", L"営業二課", L"技術部", L"開発部",
    L"製造部", L"品質保証部", L"購買部", L"資材課", L"法務部", L"広報室", L"企画室", L"経営企画部",
    L"情報システム部", L"物流センター", L"総務課", L"庶務係", L"会計課", L"秘書室", L"監査室",
    L"設計課", L"生産管理課", L"出荷係", L"業務部", L"第一営業部//東京支店", L"大阪支社",
    L"名古屋営業所", L"福岡出張所", L"研究所", L"施設管理課", L"安全衛生委員会", L"市民課",
    L"税務課", L"教育委員会", L"健康福祉部", L"ＩＴ推進室", L"ｿﾌﾄｳｪｱ開発課"};
const wchar_t* const kNames[] = {
    L"佐藤", L"鈴木", L"高橋", L"田中", L"伊藤", L"渡辺", L"山本", L"中村", L"小林", L"加藤",
    L"吉田", L"山田", L"佐々木", L"山口", L"松本", L"井上", L"木村", L"林", L"斎藤", L"清水",
    L"山崎", L"森", L"池田", L"橋本", L"阿部", L"石川", L"山下", L"中島", L"石井", L"小川",
    L"前田", L"岡田", L"長谷川", L"藤田", L"後藤", L"近藤", L"村上", L"遠藤", L"青木", L"坂本",
    L"髙橋"};
const wchar_t* const kFonts[] = {L"ＭＳ Ｐゴシック", L"ＭＳ 明朝", L"メイリオ", L"游ゴシック",
                                 L"HG正楷書体-PRO", L"ＭＳ ゴシック"};

std::string utf8(const std::wstring& text) { return u16_to_utf8(as_u16(text)); }

std::vector<unsigned char> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

// The file a user's editor would write, up to the end of the department
// line; the name line comes last, so a cut file cuts the name.
std::wstring text_to_department(const std::wstring& busho, const std::wstring& font) {
    return L"[BUSHO]\r\nBUSHO1_FACENAME=" + font + L"\r\n[MARKOMI]\r\nBUSHO=" + busho;
}

std::wstring settings_text(const std::wstring& busho, const std::wstring& font,
                           const std::wstring& name) {
    return text_to_department(busho, font) + L"\r\nNAME=" + name;
}

struct Loaded {
    std::u16string busho, font, name;
};

Loaded load(const TempFolder& dir, const std::vector<unsigned char>& bytes) {
    EXPECT_TRUE(testing::write_bytes(dir.file(L"Markomi2.ini"), bytes));
    SettingsSet set;
    load_settings_in(dir.path().c_str(), set);
    return {set.global.busho.str(), set.slots[0].busho.face_name.str(), set.global.name.str()};
}

std::u16string u16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

TEST(SettingsEncodings, EveryTextLoadsAsWrittenInEveryEncoding) {
    TempFolder dir;
    constexpr std::size_t kCount = sizeof kDepartments / sizeof kDepartments[0];
    static_assert(kCount == 40, "the corpus");
    for (std::size_t i = 0; i < kCount + 1; ++i) {
        const std::wstring busho = kDepartments[i % kCount];
        const std::wstring name = kNames[i];
        const std::wstring font = kFonts[i % (sizeof kFonts / sizeof kFonts[0])];
        const std::wstring text = settings_text(busho, font, name);
        const Loaded expected{u16(busho), u16(font), u16(name)};
        const std::string plain = utf8(text);
        const std::string head = utf8(text_to_department(busho, font));
        const std::string tail = plain.substr(head.size());
        struct Variant {
            const char* what;
            std::vector<unsigned char> bytes;
            Loaded expected;
        } variants[] = {
            {"UTF-8", bytes_of(plain), expected},
            {"UTF-8 with signature", bytes_of("\xEF\xBB\xBF" + plain), expected},
            {"Shift-JIS", testing::shift_jis(text), expected},
            {"UTF-16", testing::utf16le_with_bom(text), expected},
            // Cut inside the last character: the rest of the file stands.
            {"UTF-8 cut", bytes_of(plain.substr(0, plain.size() - 1)),
             {expected.busho, expected.font, u16(name.substr(0, name.size() - 1))}},
            // One bad byte after the department: only that line is touched.
            {"UTF-8 bad byte", bytes_of(head + "\xFF" + tail),
             {expected.busho + u"\uFFFD", expected.font, expected.name}},
            {"UTF-8 with signature, bad byte", bytes_of("\xEF\xBB\xBF" + head + "\x80" + tail),
             {expected.busho + u"\uFFFD", expected.font, expected.name}},
        };
        for (const Variant& v : variants) {
            Loaded got = load(dir, v.bytes);
            EXPECT_EQ(got.busho, v.expected.busho) << v.what << " #" << i;
            EXPECT_EQ(got.font, v.expected.font) << v.what << " #" << i;
            EXPECT_EQ(got.name, v.expected.name) << v.what << " #" << i;
        }
    }
}

// A converted file keeps its original bytes once beside it, so a wrong
// guess at the encoding can be undone; the saved file is UTF-16.
TEST(SettingsEncodings, ConversionKeepsTheOriginalAsBak) {
    TempFolder dir;
    std::vector<unsigned char> original =
        bytes_of(utf8(settings_text(L"総務部", L"ＭＳ 明朝", L"佐藤") + L"\r\nOLDKEY=1\r\n"));
    ASSERT_TRUE(testing::write_bytes(dir.file(L"Markomi2.ini"), original));
    SettingsSet set;
    ASSERT_EQ(load_settings_in(dir.path().c_str(), set), SettingsFileState::kRead);
    EXPECT_EQ(set.global.busho, u"総務部");
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    EXPECT_EQ(testing::read_bytes(dir.file(L"Markomi2.ini.bak")), original);
    std::vector<std::wstring> lines =
        testing::split_lines(testing::utf16_file_text(dir.file(L"Markomi2.ini")));
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"BUSHO=総務部"), lines.end());
    // A Unicode file is not converted again: the backup stays the original.
    set.global.name = u"鈴木";
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    EXPECT_EQ(testing::read_bytes(dir.file(L"Markomi2.ini.bak")), original);
}

}  // namespace
}  // namespace markomi
