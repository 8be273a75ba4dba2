#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/u16_format.h"
#include "dates/date_text.h"
#include "dates/era_registry_win.h"

namespace markomi {
namespace {

constexpr const wchar_t* kNlsPath = L"SYSTEM\\CurrentControlSet\\Control\\Nls";
constexpr const wchar_t* kCalendarsPath = L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars";
constexpr const wchar_t* kJapanesePath = L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars\\Japanese";

// Written into every key these tests create. A run killed half-way (say by a
// wineserver shutdown) leaves its keys behind; the mark tells the next run
// they are leftovers to remove, not system data to preserve.
constexpr const wchar_t* kTestMark = L"Markomi2 era test";

bool key_exists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// True for a key that was there before any of these tests ran.
bool system_key_exists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    bool marked = RegQueryValueExW(key, kTestMark, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return !marked;
}

void mark_key(const wchar_t* path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t mark[] = L"1";
    RegSetValueExW(key, kTestMark, 0, REG_SZ, reinterpret_cast<const BYTE*>(mark), sizeof mark);
    RegCloseKey(key);
}

struct SavedValue {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

// Every test here rewrites the one system era key, so the tests of this suite
// take turns through a named mutex (ctest may start them side by side), and
// each puts the key back as it found it: absent in a fresh Wine prefix, the
// real era list on a Windows machine.
class EraRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(key_exists(kNlsPath));
        turn_ = CreateMutexW(nullptr, FALSE, L"Markomi2EraRegistryTest");
        ASSERT_NE(turn_, nullptr);
        DWORD wait = WaitForSingleObject(turn_, INFINITE);
        ASSERT_TRUE(wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED);
        had_calendars_ = system_key_exists(kCalendarsPath);
        had_japanese_ = system_key_exists(kJapanesePath);
        had_eras_ = system_key_exists(kEraKeyPath);
        if (had_eras_) save_values();
        delete_era_key();
        if (!had_calendars_) mark_key(kCalendarsPath);
        if (!had_japanese_) mark_key(kJapanesePath);
    }

    void TearDown() override {
        delete_era_key();
        if (had_eras_) restore_values();
        if (!had_japanese_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kJapanesePath);
        if (!had_calendars_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kCalendarsPath);
        EXPECT_EQ(key_exists(kCalendarsPath), had_calendars_);
        free_era_table();
        if (turn_ != nullptr) {
            ReleaseMutex(turn_);
            CloseHandle(turn_);
        }
    }

    // Creates the era key, holding only the test's mark (a name no era has).
    HKEY create_era_key() {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEraKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        if (key != nullptr) set_text(key, kTestMark, L"1");
        return key;
    }

    static void set_raw(HKEY key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS)
            << "value of " << name.size() << " units";
    }

    // A REG_SZ value with its terminator, as the system writes them.
    static void set_text(HKEY key, const std::wstring& name, const std::wstring& text) {
        set_raw(key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    static void delete_era_key() {
        LONG status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kEraKeyPath);
        ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
        ASSERT_FALSE(key_exists(kEraKeyPath));
    }

private:
    void save_values() {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEraKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
        DWORD max_name = 0, max_data = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &max_name, &max_data,
                         nullptr, nullptr);
        for (DWORD index = 0;; ++index) {
            std::vector<wchar_t> name(max_name + 1);
            SavedValue v;
            v.data.resize(max_data + 1);
            DWORD name_length = max_name + 1, size = max_data + 1;
            if (RegEnumValueW(key, index, name.data(), &name_length, nullptr, &v.type, v.data.data(), &size) !=
                ERROR_SUCCESS) {
                break;
            }
            v.name.assign(name.data(), name_length);
            v.data.resize(size);
            saved_.push_back(std::move(v));
        }
        RegCloseKey(key);
    }

    void restore_values() {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEraKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        for (const SavedValue& v : saved_) {
            set_raw(key, v.name, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
        }
        RegCloseKey(key);
    }

    HANDLE turn_ = nullptr;
    bool had_calendars_ = false;
    bool had_japanese_ = false;
    bool had_eras_ = false;
    std::vector<SavedValue> saved_;
};

std::vector<std::string> table_dump(const EraTable& table) {
    std::vector<std::string> out;
    for (const EraEntry& e : table) {
        out.push_back(u16_to_utf8(e.start_date.view()) + "=" + u16_to_utf8(e.full_name.view()) + "," +
                      u16_to_utf8(e.short_name.view()) + "," + u16_to_utf8(e.symbol.view()) + "," +
                      std::to_string(e.start_year));
    }
    return out;
}

const std::vector<std::string> kBuiltinDump = {
    "2019 05 01=令和,令,R,2019", "1989 01 08=平成,平,H,1989", "1926 12 25=昭和,昭,S,1926",
    "1912 07 30=大正,大,T,1912", "1868 01 01=明治,明,M,1868", "0000 00 00=？？,？,?,0"};

TEST_F(EraRegistry, ReadsANewerEraAndPassesOverValuesThatAreNoEras) {
    HKEY key = create_era_key();
    ASSERT_NE(key, nullptr);
    // Too large for the buffers, written first and named to sort first (Wine
    // lists values by name, Windows in the order written), so that skipping
    // them must not end the enumeration early.
    set_text(key, L"1000 01 01", L"巨大_巨_" + std::wstring(300, L'x') + L"_B");  // > 500 bytes
    set_text(key, L"1001 01 01" + std::wstring(600, L'9'), L"長名_長_Naga_N");    // name > 500 units
    set_text(key, L"1868 01 01", L"明治_明_Meiji_M");
    set_text(key, L"1912 07 30", L"大正_大_Taisho_T");
    set_text(key, L"1926 12 25", L"昭和_昭_Showa_S");
    set_text(key, L"1989 01 08", L"平成_平_Heisei_H");
    // Unterminated and of odd length: only the bytes stored may be read.
    std::wstring reiwa = L"令和_令_Reiwa_R";
    std::vector<BYTE> odd(reinterpret_cast<const BYTE*>(reiwa.data()),
                          reinterpret_cast<const BYTE*>(reiwa.data() + reiwa.size()));
    odd.push_back(0x41);
    set_raw(key, L"2019 05 01", REG_SZ, odd.data(), static_cast<DWORD>(odd.size()));
    set_text(key, L"2040 01 01", L"未来_未_Mirai_X");
    DWORD number = 7;
    set_raw(key, L"2050 01 01", REG_DWORD, &number, sizeof number);
    set_text(key, L"2030 01 01", L"");
    set_text(key, L"203", L"短_短_Mijikai_M");
    set_text(key, L"Version", L"6.1");
    RegCloseKey(key);

    load_era_table();
    std::vector<std::string> expected = {"2040 01 01=未来,未,X,2040"};
    expected.insert(expected.end(), kBuiltinDump.begin(), kBuiltinDump.end());
    EXPECT_EQ(table_dump(g_era_table), expected);
    EXPECT_EQ(u16_to_utf8(g_era_table[1].description.view()), "令和_令_Reiwa_R");

    StampDate date;
    date.year = 2045;
    date.month = 6;
    date.day = 7;
    std::u16string text;
    ASSERT_TRUE(format_date_text(1, 1, date, 0, g_era_table, &text));
    EXPECT_EQ(u16_to_utf8(text), "未来6/06/07");

    free_era_table();
    EXPECT_TRUE(g_era_table.empty());
}

TEST_F(EraRegistry, KeyWithoutUsableErasGivesTheBuiltinList) {
    HKEY key = create_era_key();
    ASSERT_NE(key, nullptr);
    DWORD number = 2019;
    set_raw(key, L"2019 05 01", REG_DWORD, &number, sizeof number);
    set_text(key, L"Version", L"6.1");
    RegCloseKey(key);
    load_era_table();
    EXPECT_EQ(table_dump(g_era_table), kBuiltinDump);
}

TEST_F(EraRegistry, MissingKeyGivesTheBuiltinList) {
    HKEY key = create_era_key();
    ASSERT_NE(key, nullptr);
    set_text(key, L"2040 01 01", L"未来_未_Mirai_X");
    RegCloseKey(key);
    delete_era_key();
    load_era_table();
    EXPECT_EQ(table_dump(g_era_table), kBuiltinDump);
}

TEST_F(EraRegistry, FailedEnumerationGivesNoValues) {
    HKEY key = create_era_key();
    ASSERT_NE(key, nullptr);
    set_text(key, L"2040 01 01", L"未来_未_Mirai_X");
    RegCloseKey(key);

    bool ok = false;
    HKEY readable = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEraKeyPath, 0, KEY_READ, &readable), ERROR_SUCCESS);
    std::vector<RawEraValue> values = read_era_values(readable, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(values.size(), 2u);  // the era and the test's mark
    const RawEraValue& era = values[0].name == u"2040 01 01" ? values[0] : values[1];
    EXPECT_EQ(u16_to_utf8(era.name), "2040 01 01");
    EXPECT_EQ(u16_to_utf8(era.data), "未来_未_Mirai_X");
    EXPECT_TRUE(era.is_string);
    RegCloseKey(readable);

    // A handle without the right to query values: enumeration fails at once.
    HKEY no_query = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEraKeyPath, 0, KEY_ENUMERATE_SUB_KEYS, &no_query), ERROR_SUCCESS);
    ok = true;
    EXPECT_TRUE(read_era_values(no_query, &ok).empty());
    EXPECT_FALSE(ok);
    RegCloseKey(no_query);
}

}  // namespace
}  // namespace markomi
