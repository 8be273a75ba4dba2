// How the test programs find their fixtures, in the build tree and in the
// Windows test bundle.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/fixture_paths.h"
#include "support/test_files.h"

namespace markomi {
namespace {

std::wstring program_folder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring exe(path, n);
    return exe.substr(0, exe.find_last_of(L'\\'));
}

TEST(FixturePaths, TheBundleRootFirstThenTheBuildTreeThenBesideTheProgram) {
    wchar_t saved[MAX_PATH] = L"";
    const bool had_root = GetEnvironmentVariableW(L"MARKOMI2_TEST_ROOT", saved, MAX_PATH) > 0;
    testing::TempFolder folder;
    const std::wstring built = folder.path();
    const std::wstring gone = folder.file(L"無い");

    SetEnvironmentVariableW(L"MARKOMI2_TEST_ROOT", nullptr);
    EXPECT_EQ(testing::fixture_path(built.c_str(), L"golden"), built);
    EXPECT_EQ(testing::fixture_path(gone.c_str(), L"golden"), program_folder() + L"\\golden");

    // run-tests.cmd names the bundle's folder; it wins even over a build
    // tree that is there.
    SetEnvironmentVariableW(L"MARKOMI2_TEST_ROOT", L"C:\\テスト 一式");
    EXPECT_EQ(testing::fixture_path(built.c_str(), L"Markomi2.exe"), L"C:\\テスト 一式\\Markomi2.exe");
    SetEnvironmentVariableW(L"MARKOMI2_TEST_ROOT", L"C:\\テスト 一式\\");
    EXPECT_EQ(testing::fixture_path(gone.c_str(), L"golden"), L"C:\\テスト 一式\\golden");

    SetEnvironmentVariableW(L"MARKOMI2_TEST_ROOT", had_root ? saved : nullptr);
}

}  // namespace
}  // namespace markomi
