// Registry value reading and folder creation against the real system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/program_paths_win.h"
#include "support/test_files.h"

namespace markomi {
namespace {

// One key per test process: ctest runs the tests of this suite side by side,
// and one's clean-up must not delete the key another is filling.
std::wstring test_key() {
    return L"Software\\Markomi2Tests\\RegistryReader" + std::to_wstring(GetCurrentProcessId());
}

class RegistryReader : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key_path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteKeyW(HKEY_CURRENT_USER, key_path_.c_str());
    }
    void set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    const std::wstring key_path_ = test_key();
    HKEY key_ = nullptr;
};

TEST_F(RegistryReader, ConvertsEachValueType) {
    const wchar_t path[] = L"C:\\Program Files\\マルコミ２";
    set(L"Path", REG_SZ, path, sizeof path);
    set(L"Expand", REG_EXPAND_SZ, L"%TEMP%\\x", sizeof(L"%TEMP%\\x"));
    DWORD dword = 0xFFFFFFF0;
    set(L"Dword", REG_DWORD, &dword, sizeof dword);
    unsigned char binary[] = {0x39, 0x30, 0x01};
    set(L"Binary", REG_BINARY, binary, sizeof binary);
    set(L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);

    std::wstring out;
    ASSERT_TRUE(read_registry_value(L"HKEY_CURRENT_USER", key_path_.c_str(), L"Path", &out));
    EXPECT_EQ(out, path);
    ASSERT_TRUE(read_registry_value(L"HKEY_CURRENT_USER", key_path_.c_str(), L"Expand", &out));
    EXPECT_EQ(out, L"%TEMP%\\x");  // not expanded
    ASSERT_TRUE(read_registry_value(L"HKEY_CURRENT_USER", key_path_.c_str(), L"Dword", &out));
    EXPECT_EQ(out, L"-16");
    ASSERT_TRUE(read_registry_value(L"HKEY_CURRENT_USER", key_path_.c_str(), L"Binary", &out));
    EXPECT_EQ(out, L"12345");
    ASSERT_TRUE(read_registry_value(L"HKEY_CURRENT_USER", key_path_.c_str(), L"Multi", &out));
    EXPECT_EQ(out, L"");
}

TEST_F(RegistryReader, FailsForLongValuesUnknownRootsAndMissingKeys) {
    std::wstring long_path(64, L'x');  // 64 characters + terminator = 130 bytes
    set(L"Long", REG_SZ, long_path.c_str(), static_cast<DWORD>((long_path.size() + 1) * 2));
    std::wstring fits(63, L'y');
    set(L"Fits", REG_SZ, fits.c_str(), static_cast<DWORD>((fits.size() + 1) * 2));

    std::wstring out = L"untouched";
    EXPECT_FALSE(read_registry_value(L"HKEY_CURRENT_USER", key_path_.c_str(), L"Long", &out));
    EXPECT_EQ(out, L"untouched");
    EXPECT_TRUE(read_registry_value(L"HKEY_CURRENT_USER", key_path_.c_str(), L"Fits", &out));
    EXPECT_EQ(out, fits);
    EXPECT_FALSE(read_registry_value(L"hkey_current_user", key_path_.c_str(), L"Fits", &out));
    EXPECT_FALSE(read_registry_value(L"HKCU", key_path_.c_str(), L"Fits", &out));
    EXPECT_FALSE(read_registry_value(L"HKEY_CURRENT_USER", L"Software\\Markomi2Tests\\Nope", L"Fits", &out));
    EXPECT_FALSE(read_registry_value(L"HKEY_CURRENT_USER", key_path_.c_str(), L"Missing", &out));
}

TEST(DirectoryChainOnDisk, CreatesNestedFoldersAndLeavesFilesAlone) {
    testing::TempFolder dir;
    std::wstring deep = dir.path() + L"\\a\\b\\設定\\";
    EXPECT_TRUE(create_directory_chain_on_disk(deep.c_str()));
    DWORD attributes = GetFileAttributesW((dir.path() + L"\\a\\b\\設定").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(create_directory_chain_on_disk(deep.c_str()));  // all there already

    std::wstring blocker = dir.path() + L"\\file";
    ASSERT_TRUE(testing::write_bytes(blocker, {'1'}));
    EXPECT_FALSE(create_directory_chain_on_disk((blocker + L"\\sub\\").c_str()));
    EXPECT_EQ(testing::read_bytes(blocker), std::vector<unsigned char>{'1'});
}

TEST(StartupFacts, DpiAndVersionAreSensible) {
    EXPECT_GT(read_screen_dpi(), 0);
    // The prefix reports Windows 10, as current systems do.
    EXPECT_EQ(query_os_version_code(), 10);
}

}  // namespace
}  // namespace markomi
