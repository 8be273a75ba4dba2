// The settings files on disk, through the platform's profile functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <random>
#include <string>

#include "base/process_globals_win.h"
#include "settings/settings_files_win.h"
#include "support/message_boxes.h"
#include "support/settings_value_sets.h"
#include "support/test_files.h"

namespace markomi {
namespace {

using testing::TempFolder;

std::wstring ini_path(const TempFolder& dir) { return dir.file(L"Markomi2.ini"); }

// The folder's settings file holding `bytes`, then made read-only.
bool write_read_only_settings(const TempFolder& dir, const std::vector<unsigned char>& bytes) {
    SetFileAttributesW(ini_path(dir).c_str(), FILE_ATTRIBUTE_NORMAL);
    return testing::write_bytes(ini_path(dir), bytes) &&
           SetFileAttributesW(ini_path(dir).c_str(), FILE_ATTRIBUTE_READONLY);
}

SettingsSet loaded_from(const TempFolder& dir) {
    SettingsSet set;
    load_settings_in(dir.path().c_str(), set);
    return set;
}

void expect_within_ranges(const SettingsSet& s) {
    EXPECT_GE(s.global.active, 0);
    EXPECT_LE(s.global.active, 6);
    EXPECT_TRUE(s.global.format == u"M" || s.global.format == u"B");
    EXPECT_TRUE(s.global.station_type == 0 || s.global.station_type == 1);
    EXPECT_TRUE(s.global.paste == 0 || s.global.paste == 1);
    EXPECT_TRUE(s.global.ajust == 0 || s.global.ajust == 1);
    EXPECT_TRUE(s.global.expand == 0 || s.global.expand == 1);
    EXPECT_NE(s.global.hotkey, 598);
    EXPECT_LE(s.global.busho.size(), 499u);
    EXPECT_LE(s.global.name.size(), 499u);
    for (const SlotSettings& slot : s.slots) {
        EXPECT_GE(slot.frame.hankei, 20);
        EXPECT_LE(slot.frame.hankei, 80);
        EXPECT_GE(slot.frame.thick, 1);
        EXPECT_LE(slot.frame.thick, 10);
        EXPECT_GE(slot.frame.bunkatu, 3);
        EXPECT_LE(slot.frame.bunkatu, 20);
        EXPECT_GE(slot.date_format.era, 1);
        EXPECT_LE(slot.date_format.era, 5);
        EXPECT_GE(slot.date_format.delimiter, 1);
        EXPECT_LE(slot.date_format.delimiter, 3);
        EXPECT_GE(slot.date_format.month_lang, 0);
        EXPECT_LE(slot.date_format.month_lang, 1);
        EXPECT_LE(slot.busho.face_name.size(), 99u);
    }
}

std::vector<std::wstring> lines_of(const std::wstring& path) {
    return testing::split_lines(testing::utf16_file_text(path));
}

// No staging file of a save ("<name>.~<pid>-<n>.tmp") is left in the folder.
bool no_staging_left(const TempFolder& dir) {
    for (const std::wstring& name : testing::folder_entries(dir.path()))
        if (name.find(L".~") != std::wstring::npos && name.size() > 4 &&
            name.compare(name.size() - 4, 4, L".tmp") == 0)
            return false;
    return true;
}

bool has_line(const std::vector<std::wstring>& lines, const std::wstring& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(SettingsFiles, FirstSaveWritesAUtf16FileInKeyOrder) {
    TempFolder dir;
    SettingsSet set = loaded_from(dir);
    EXPECT_EQ(set.global.busho, u"技術部");
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));

    std::vector<unsigned char> bytes = testing::read_bytes(ini_path(dir));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes.size() % 2, 0u);

    std::vector<std::wstring> lines = lines_of(ini_path(dir));
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], L"[MARKOMI]");
    EXPECT_EQ(lines[1], L"ACTIVE=0");
    EXPECT_EQ(lines[2], L"BUSHO=技術部");
    EXPECT_EQ(lines[3], L"NAME=印田");
    EXPECT_TRUE(has_line(lines, L"CHARSET=unicode"));
    EXPECT_TRUE(has_line(lines, L"WAKU2_BUNKATU=9"));
    EXPECT_TRUE(has_line(lines, L"BUSHO1_FACENAME=ＭＳ Ｐゴシック"));
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const std::wstring& l) {
        return l.rfind(L"WAKU1_BUNKATU", 0) == 0;
    }));
    std::vector<std::wstring> sections;
    for (const auto& l : lines)
        if (!l.empty() && l[0] == L'[') sections.push_back(l);
    EXPECT_EQ(sections, (std::vector<std::wstring>{L"[MARKOMI]", L"[BUSHO]", L"[DATE]", L"[NAME]"}));
    // 228 keys, one per line, plus four section lines.
    std::size_t keys = std::count_if(lines.begin(), lines.end(), [](const std::wstring& l) {
        return l.find(L'=') != std::wstring::npos;
    });
    EXPECT_EQ(keys, 228u);
    EXPECT_TRUE(no_staging_left(dir));
}

TEST(SettingsFiles, ShiftJisFileLoadsAndIsRewrittenAsUtf16) {
    TempFolder dir;
    ASSERT_TRUE(testing::write_bytes(
        ini_path(dir), testing::shift_jis(L"[MARKOMI]\r\nCHARSET=shift-jis\r\nBUSHO=営業部//第二課\r\n"
                                          L"NAME=山田\r\nWAKU3_HANKEI=50\r\nOLDKEY=1\r\n"
                                          L"[NAME]\r\nNAME2_FACENAME=ＭＳ 明朝\r\n"
                                          L"[PDF]\r\nPOSITION=6\r\nPAGES=2,4\r\n")));
    SettingsSet set = loaded_from(dir);
    EXPECT_EQ(set.global.busho, u"営業部//第二課");
    EXPECT_EQ(set.pdf.position, 6);
    EXPECT_EQ(set.global.name, u"山田");
    EXPECT_EQ(set.slots[2].frame.hankei, 50);
    EXPECT_EQ(set.slots[1].name.face_name, u"ＭＳ 明朝");

    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    std::vector<std::wstring> lines = lines_of(ini_path(dir));
    EXPECT_TRUE(has_line(lines, L"CHARSET=unicode"));
    EXPECT_TRUE(has_line(lines, L"BUSHO=営業部//第二課"));
    EXPECT_FALSE(has_line(lines, L"OLDKEY=1"));  // a Shift-JIS file is replaced whole
    EXPECT_TRUE(has_line(lines, L"PAGES=2,4"));   // but the PDF choices are the program's own

    SettingsSet again = loaded_from(dir);
    EXPECT_EQ(again.global.name, u"山田");
    EXPECT_EQ(again.global.charset, u"unicode");
    EXPECT_EQ(again.slots[1].name.face_name, u"ＭＳ 明朝");
}

TEST(SettingsFiles, UnicodeFileIsUpdatedInPlaceButOtherCharsetCasesAreNot) {
    TempFolder dir;
    ASSERT_TRUE(testing::write_bytes(
        ini_path(dir), testing::utf16le_with_bom(L"[MARKOMI]\r\nCHARSET=unicode\r\nMEMO=残す\r\n")));
    SettingsSet set = loaded_from(dir);
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    EXPECT_TRUE(has_line(lines_of(ini_path(dir)), L"MEMO=残す"));

    ASSERT_TRUE(testing::write_bytes(
        ini_path(dir), testing::utf16le_with_bom(L"[MARKOMI]\r\nCHARSET=Unicode\r\nMEMO=消える\r\n")));
    set = loaded_from(dir);
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    std::vector<std::wstring> lines = lines_of(ini_path(dir));
    EXPECT_FALSE(has_line(lines, L"MEMO=消える"));
    EXPECT_TRUE(has_line(lines, L"CHARSET=unicode"));
}

TEST(SettingsFiles, BadValuesLoadInsideTheirRanges) {
    TempFolder dir;
    std::wstring huge(100000, L'長');
    std::wstring text = L"[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=" + huge +
                        L"\r\nACTIVE=99999999999999999999\r\nHOTKEY=abc\r\nWAKU1_HANKEI=-99999999999\r\n"
                        L"WAKU2_THICK=  7\r\nWAKU2_THICK=9\r\nDATE3_ERA=6x\r\n[MARKOMI]\r\nNAME=二番目\r\n"
                        L"[BUSHO]\r\nBUSHO1_FACENAME=" + huge + L"\r\n";
    ASSERT_TRUE(testing::write_bytes(ini_path(dir), testing::utf16le_with_bom(text)));
    SettingsSet set = loaded_from(dir);
    expect_within_ranges(set);
    EXPECT_EQ(set.global.busho.size(), 499u);
    EXPECT_EQ(set.global.active, 6);
    EXPECT_EQ(set.global.hotkey, 0);
    EXPECT_EQ(set.slots[0].frame.hankei, 20);
    EXPECT_EQ(set.slots[1].frame.thick, 7);  // the first of duplicate keys counts
    EXPECT_EQ(set.slots[2].date_format.era, 5);
    EXPECT_EQ(set.slots[0].busho.face_name.size(), 99u);

    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    SettingsSet again = loaded_from(dir);
    EXPECT_EQ(again.global.busho, set.global.busho);
    EXPECT_EQ(again.slots[1].frame.thick, 7);
    EXPECT_EQ(again.slots[0].busho.face_name, set.slots[0].busho.face_name);
}

TEST(SettingsFiles, GarbageAndTruncatedFilesAreSurvivedAndReplacedByCleanOnes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 6; ++round) {
        TempFolder dir;
        std::vector<unsigned char> bytes;
        if (round % 2 == 0) {
            bytes.resize(3000 + round * 1001);
            for (auto& b : bytes) b = static_cast<unsigned char>(rng());
        } else {
            // A good UTF-16 file cut in the middle of a code unit.
            bytes = testing::utf16le_with_bom(
                L"[MARKOMI]\r\nCHARSET=unicode\r\nNAME=佐藤\r\nWAKU4_HANKEI=44\r\nBUSHO=総務");
            bytes.resize(bytes.size() - round);
        }
        ASSERT_TRUE(testing::write_bytes(ini_path(dir), bytes));
        SettingsSet set = loaded_from(dir);
        expect_within_ranges(set);
        if (round % 2 == 1) {
            EXPECT_EQ(set.global.name, u"佐藤");
            EXPECT_EQ(set.slots[3].frame.hankei, 44);
        }

        ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
        std::vector<unsigned char> saved = testing::read_bytes(ini_path(dir));
        ASSERT_GE(saved.size(), 2u);
        EXPECT_EQ(saved[0], 0xFF);
        EXPECT_EQ(saved[1], 0xFE);
        EXPECT_EQ(saved.size() % 2, 0u);
        std::vector<std::wstring> lines = lines_of(ini_path(dir));
        EXPECT_EQ(lines.front(), L"[MARKOMI]");
        SettingsSet again = loaded_from(dir);
        EXPECT_EQ(again.global.name, set.global.name);
        EXPECT_EQ(again.global.busho, set.global.busho);
        EXPECT_EQ(again.slots[3].frame.hankei, set.slots[3].frame.hankei);
    }
}

TEST(SettingsFiles, AReadOnlyFileStaysAsItWas) {
    TempFolder dir;
    std::vector<unsigned char> original =
        testing::utf16le_with_bom(L"[MARKOMI]\r\nCHARSET=unicode\r\nNAME=鈴木\r\n");
    ASSERT_TRUE(write_read_only_settings(dir, original));
    SettingsSet set = loaded_from(dir);
    set.global.name = u"変更";
    EXPECT_FALSE(save_settings_in(dir.path().c_str(), set));
    EXPECT_EQ(testing::read_bytes(ini_path(dir)), original);

    // A Shift-JIS file, which a save would otherwise replace, is kept too.
    std::vector<unsigned char> sjis = testing::shift_jis(L"[MARKOMI]\r\nNAME=鈴木\r\n");
    ASSERT_TRUE(write_read_only_settings(dir, sjis));
    set = loaded_from(dir);
    EXPECT_FALSE(save_settings_in(dir.path().c_str(), set));
    EXPECT_EQ(testing::read_bytes(ini_path(dir)), sjis);
    EXPECT_TRUE(no_staging_left(dir));
}

TEST(SettingsFiles, AFileWhereTheFolderShouldBeIsSurvivedQuietly) {
    TempFolder dir;
    std::wstring blocker = dir.file(L"Markomi2");
    ASSERT_TRUE(testing::write_bytes(blocker, {'x'}));
    SettingsSet set;
    set.global.name = u"変更";
    load_settings_in(blocker.c_str(), set);
    EXPECT_EQ(set.global.name, u"印田");
    EXPECT_FALSE(save_settings_in(blocker.c_str(), set));
    load_field_enable_in(blocker.c_str(), set.enable);
    EXPECT_FALSE(save_field_enable_in(blocker.c_str(), set.enable));
    EXPECT_EQ(testing::read_bytes(blocker), std::vector<unsigned char>{'x'});
}

TEST(SettingsFiles, OverlongFolderPathsAreRefused) {
    std::wstring deep = L"C:\\" + std::wstring(250, L'a');
    SettingsSet set;
    load_settings_in(deep.c_str(), set);
    EXPECT_EQ(set.global.busho, u"技術部");
    EXPECT_FALSE(save_settings_in(deep.c_str(), set));
}

TEST(SettingsFiles, TextsKeepWhiteSpaceAndQuotesAtTheirEdges) {
    TempFolder dir;
    SettingsSet set;
    set.global.busho = u"\u3000営業部\u3000";
    set.global.name = u" 山田 ";
    set.slots[0].busho.face_name = u"\"ＭＳ 明朝\"";
    set.slots[1].date.face_name = u"'Arial'";
    set.slots[2].name.face_name = u"\u00A0x\u2003";
    // The profile reader under Wine strips these (ASCII white space) but not
    // U+3000; which Unicode spaces Windows strips is not documented.
    set.slots[3].busho.face_name = u"\vＭＳ ゴシック\f";
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    EXPECT_TRUE(has_line(lines_of(ini_path(dir)), L"BUSHO=\"\u3000営業部\u3000\""));
    // Through a second save into the existing file, then the reader.
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    SettingsSet again = loaded_from(dir);
    EXPECT_EQ(again.global.busho, set.global.busho);
    EXPECT_EQ(again.global.name, set.global.name);
    EXPECT_EQ(again.slots[0].busho.face_name, set.slots[0].busho.face_name);
    EXPECT_EQ(again.slots[1].date.face_name, set.slots[1].date.face_name);
    EXPECT_EQ(again.slots[2].name.face_name, set.slots[2].name.face_name);
    EXPECT_EQ(again.slots[3].busho.face_name, set.slots[3].busho.face_name);
}

using testing::save_global_settings_in;

TEST(SettingsFiles, AFailedSaveIsReportedOnceAndKeepsTheFile) {
    TempFolder dir;
    std::vector<unsigned char> original =
        testing::utf16le_with_bom(L"[MARKOMI]\r\nCHARSET=unicode\r\nNAME=鈴木\r\n");
    ASSERT_TRUE(write_read_only_settings(dir, original));
    SettingsSet set = loaded_from(dir);
    set.global.name = u"変更";
    // What saving into `folder` answers, and the messages it shows.
    const auto save = [&set](const std::wstring& folder, bool* saved) {
        return testing::answering_message_boxes([&] { *saved = save_global_settings_in(folder, set); });
    };
    bool saved = true;
    std::vector<testing::SeenMessageBox> boxes = save(dir.path(), &saved);
    EXPECT_FALSE(saved);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"保存できませんでした"), std::wstring::npos) << boxes[0].text.size();
    EXPECT_EQ(testing::read_bytes(ini_path(dir)), original);
    // The same folder failing again is not told twice.
    boxes = save(dir.path(), &saved);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(boxes.empty());

    // A file where the folder should be.
    std::wstring blocker = dir.file(L"Markomi2");
    ASSERT_TRUE(testing::write_bytes(blocker, {'x'}));
    EXPECT_EQ(save(blocker, &saved).size(), 1u);
    EXPECT_FALSE(saved);
    EXPECT_EQ(testing::read_bytes(blocker), std::vector<unsigned char>{'x'});
    EXPECT_EQ(save(L"C:\\" + std::wstring(250, L'a'), &saved).size(), 1u);
    EXPECT_FALSE(saved);

    SetFileAttributesW(ini_path(dir).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(save(dir.path(), &saved).empty());
    EXPECT_TRUE(saved);
    EXPECT_EQ(loaded_from(dir).global.name, u"変更");
    g_settings = SettingsSet();
    g_settings_folder[0] = 0;
}

TEST(SettingsFiles, EnableFileIsNormalisedAndWrittenInShiftJis) {
    TempFolder dir;
    std::wstring path = dir.file(L"Markomi2_enable.ini");
    ASSERT_TRUE(testing::write_bytes(path, testing::shift_jis(L"[ENABLE]\r\n部署=5\r\n名前=0\r\n")));
    FieldEnable enable;
    load_field_enable_in(dir.path().c_str(), enable);
    EXPECT_EQ(enable.busho, 1);
    EXPECT_EQ(enable.name, 0);
    EXPECT_EQ(enable.date, 1);
    EXPECT_EQ(enable.format, 1);
    ASSERT_TRUE(save_field_enable_in(dir.path().c_str(), enable));
    std::vector<unsigned char> bytes = testing::read_bytes(path);
    std::vector<unsigned char> expected =
        testing::shift_jis(L"[ENABLE]\r\n部署=1\r\n名前=0\r\n日付=1\r\nフォーマット=1\r\n");
    EXPECT_EQ(bytes, expected);

    // A user's UTF-16 copy is read as such and stays UTF-16.
    ASSERT_TRUE(testing::write_bytes(path, testing::utf16le_with_bom(L"[ENABLE]\r\n日付=0\r\n")));
    load_field_enable_in(dir.path().c_str(), enable);
    EXPECT_EQ(enable.date, 0);
    EXPECT_EQ(enable.name, 1);
    ASSERT_TRUE(save_field_enable_in(dir.path().c_str(), enable));
    EXPECT_EQ(testing::utf16_file_text(path).find(L"日付=0"), 10u);

    // Written only when its content changes: the same values again touch
    // nothing, so even a read-only file is no failure.
    std::vector<unsigned char> written = testing::read_bytes(path);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(save_field_enable_in(dir.path().c_str(), enable));
    EXPECT_EQ(testing::read_bytes(path), written);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// `path` opened with no sharing, as a backup or sync agent may hold it.
HANDLE hold_exclusively(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

DWORD WINAPI close_after_300ms(void* handle) {
    Sleep(300);
    CloseHandle(handle);
    return 0;
}

TEST(SettingsFiles, AFileThatWasNotReadIsNeverReplaced) {
    TempFolder dir;
    std::vector<unsigned char> original =
        testing::utf16le_with_bom(L"[MARKOMI]\r\nCHARSET=unicode\r\nNAME=鈴木\r\n");
    ASSERT_TRUE(testing::write_bytes(ini_path(dir), original));

    // Held for a moment (an agent at logon): read after the retry.
    HANDLE held = hold_exclusively(ini_path(dir));
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE releaser = CreateThread(nullptr, 0, close_after_300ms, held, 0, nullptr);
    SettingsSet set;
    EXPECT_EQ(load_settings_in(dir.path().c_str(), set), SettingsFileState::kRead);
    EXPECT_EQ(set.global.name, u"鈴木");
    WaitForSingleObject(releaser, INFINITE);
    CloseHandle(releaser);

    // Held throughout: defaults, and no save replaces the file, even once
    // it can be read again.
    held = hold_exclusively(ini_path(dir));
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SettingsFileState state = load_settings_in(dir.path().c_str(), set);
    EXPECT_EQ(state, SettingsFileState::kUnreadable);
    EXPECT_EQ(set.global.name, u"印田");
    EXPECT_FALSE(save_settings_in(dir.path().c_str(), set, state));
    CloseHandle(held);
    EXPECT_FALSE(save_settings_in(dir.path().c_str(), set, state));
    EXPECT_EQ(testing::read_bytes(ini_path(dir)), original);
    EXPECT_TRUE(no_staging_left(dir));
    // Once the user removes it, there is nothing left to protect.
    DeleteFileW(ini_path(dir).c_str());
    EXPECT_TRUE(save_settings_in(dir.path().c_str(), set, state));
}

TEST(SettingsFiles, FilesTooLargeOrNotTextAreSetAsideAsBak) {
    std::vector<unsigned char> huge = testing::utf16le_with_bom(
        L"[MARKOMI]\r\nNAME=鈴木\r\n;" + std::wstring((1 << 19) + 10, L'x') + L"\r\n");
    std::vector<unsigned char> zeros(4096, 0);  // a file after a power cut
    for (const std::vector<unsigned char>* bytes : {&huge, &zeros}) {
        TempFolder dir;
        ASSERT_TRUE(testing::write_bytes(ini_path(dir), *bytes));
        SettingsSet set;
        EXPECT_EQ(load_settings_in(dir.path().c_str(), set), SettingsFileState::kSetAside);
        EXPECT_EQ(set.global.name, u"印田");
        EXPECT_EQ(testing::read_bytes(dir.file(L"Markomi2.ini.bak")), *bytes);
        EXPECT_FALSE(testing::file_exists(ini_path(dir)));
        set.global.name = u"新規";
        EXPECT_TRUE(save_settings_in(dir.path().c_str(), set, SettingsFileState::kSetAside));
        EXPECT_EQ(loaded_from(dir).global.name, u"新規");
        EXPECT_EQ(testing::read_bytes(dir.file(L"Markomi2.ini.bak")), *bytes);
    }
}

TEST(SettingsFiles, ASaveKeepsTheFilesAttributesAndWritesOnlyChanges) {
    TempFolder dir;
    SettingsSet set = loaded_from(dir);
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    ASSERT_TRUE(SetFileAttributesW(ini_path(dir).c_str(), FILE_ATTRIBUTE_HIDDEN));
    set.global.name = u"変更";
    ASSERT_TRUE(save_settings_in(dir.path().c_str(), set));
    DWORD attributes = GetFileAttributesW(ini_path(dir).c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN) << attributes;
    EXPECT_EQ(loaded_from(dir).global.name, u"変更");
    // Nothing changed: nothing is written, so a read-only file is no failure.
    std::vector<unsigned char> saved = testing::read_bytes(ini_path(dir));
    ASSERT_TRUE(SetFileAttributesW(ini_path(dir).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(save_settings_in(dir.path().c_str(), set));
    EXPECT_EQ(testing::read_bytes(ini_path(dir)), saved);
    SetFileAttributesW(ini_path(dir).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(no_staging_left(dir));
}

TEST(SettingsFiles, StaleTemporaryCopiesAreSweptButNotThoseOfALiveProcess) {
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    // No process has an id this high and odd (ids are multiples of four).
    std::wstring stale = std::wstring(temp) + L"Markomi2-4294967293-1.ini";
    std::wstring live =
        std::wstring(temp) + L"Markomi2-" + std::to_wstring(GetCurrentProcessId()) + L"-1.ini";
    std::wstring stale_reply = std::wstring(temp) + L"Markomi2-4294967293-2.txt";  // the companion's reply
    ASSERT_TRUE(testing::write_bytes(stale, {'x'}));
    ASSERT_TRUE(testing::write_bytes(stale_reply, {'x'}));
    ASSERT_TRUE(testing::write_bytes(live, {'x'}));
    // A stamping window's page pictures, with a picture in it.
    const std::wstring stale_pages = std::wstring(temp) + L"Markomi2-4294967293-pages-1";
    CreateDirectoryW(stale_pages.c_str(), nullptr);
    ASSERT_TRUE(testing::write_bytes(stale_pages + L"\\3.png", {'x'}));
    sweep_stale_temporary_copies();
    EXPECT_FALSE(testing::file_exists(stale));
    EXPECT_FALSE(testing::file_exists(stale_reply));
    EXPECT_EQ(GetFileAttributesW(stale_pages.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(testing::file_exists(live));
    DeleteFileW(live.c_str());
}

}  // namespace
}  // namespace markomi
