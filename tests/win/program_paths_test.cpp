// Registry value reading and folder creation against the real system.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <string>

#include "app/program_paths_win.h"
#include "base/process_globals_win.h"
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

TEST_F(RegistryReader, NeedsNoMoreThanTheRightToRead) {
    // A key that grants reading (and deleting, for the clean-up) only, as the
    // uninstall key under HKEY_LOCAL_MACHINE does to a standard user.
    const std::wstring path = key_path_ + L"\\ReadOnly";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t folder[] = L"C:\\Tools\\Markomi2";
    RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder), sizeof folder);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KRSD;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    LONG restricted = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    RegCloseKey(key);
    ASSERT_EQ(restricted, ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);

    std::wstring out;
    EXPECT_TRUE(read_registry_value(L"HKEY_CURRENT_USER", path.c_str(), L"Path", &out));
    EXPECT_EQ(out, folder);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
}

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Markomi2";

// The folder of this test program (which is not an installed Markomi2).
std::wstring own_folder() {
    wchar_t buf[MAX_PATH + 1] = L"";
    std::wstring path(buf, GetModuleFileNameW(nullptr, buf, MAX_PATH + 1));
    return path.substr(0, path.rfind(L'\\'));
}

// The system's uninstall entry is one for the whole session (the installer
// tests write it too): each test puts it back as it found it.
class InstallFolderResolution : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        had_key_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (had_key_) {
            wchar_t buf[300] = L"";
            DWORD size = sizeof buf - sizeof(wchar_t);
            had_path_ = RegQueryValueExW(key, L"Path", nullptr, nullptr, reinterpret_cast<BYTE*>(buf),
                                         &size) == ERROR_SUCCESS;
            saved_path_ = buf;
            RegCloseKey(key);
        }
        saved_install_ = g_install_folder;
        saved_settings_ = g_settings_folder;
    }
    void TearDown() override {
        if (!had_key_) {
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
        } else if (had_path_) {
            set_path(&saved_path_);
        } else {
            set_path(nullptr);
        }
        lstrcpynW(g_install_folder, saved_install_.c_str(), 261);
        lstrcpynW(g_settings_folder, saved_settings_.c_str(), 261);
    }
    // Writes "Path", or removes it for nullptr.
    static void set_path(const std::wstring* path) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (path) {
            RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path->c_str()),
                           static_cast<DWORD>((path->size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key, L"Path");
        }
        RegCloseKey(key);
    }
    bool had_key_ = false;
    bool had_path_ = false;
    std::wstring saved_path_, saved_install_, saved_settings_;
};

TEST_F(InstallFolderResolution, PathCountsOnlyWhenItHoldsTheProgram) {
    testing::TempFolder dir;
    // A stale entry: the folder is there, the program is not.
    std::wstring stale = dir.path();
    set_path(&stale);
    resolve_program_folders();
    EXPECT_EQ(std::wstring(g_install_folder), own_folder());

    ASSERT_TRUE(testing::write_bytes(dir.file(L"Markomi2.exe"), {'M', 'Z'}));
    std::wstring installed = dir.path() + L"\\";
    set_path(&installed);
    resolve_program_folders();
    EXPECT_EQ(std::wstring(g_install_folder), dir.path());

    set_path(nullptr);
    resolve_program_folders();
    EXPECT_EQ(std::wstring(g_install_folder), own_folder());
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
