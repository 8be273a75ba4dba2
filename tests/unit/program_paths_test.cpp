#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/directory_chain.h"
#include "app/program_paths.h"
#include "base/path_join.h"

namespace markomi {
namespace {

TEST(PathJoin, JoinsTwoOrThreeParts) {
    EXPECT_EQ(std::u16string(path_join(u"C:\\a", u"\\b.ini")), u"C:\\a\\b.ini");
    EXPECT_EQ(std::u16string(path_join(u"C:\\a", u"\\", u"debug.log")), u"C:\\a\\debug.log");
}

TEST(PathJoin, ResultsStayValidForFiveJoins) {
    const char16_t* first = path_join(u"one", u"");
    for (int i = 0; i < 4; ++i) path_join(u"x", u"y");
    EXPECT_EQ(std::u16string(first), u"one");
    path_join(u"sixth", u"");  // reuses the first buffer
    EXPECT_EQ(std::u16string(first), u"sixth");
}

TEST(PathJoin, RejectsResultsLongerThan199Units) {
    std::u16string a(150, u'a'), b(49, u'b');
    EXPECT_EQ(std::u16string(path_join(a, b)).size(), 199u);
    EXPECT_EQ(std::u16string(path_join(a, b, u"c")), u"");
    std::u16string huge(100000, u'z');
    EXPECT_EQ(std::u16string(path_join(huge, u"\\", huge)), u"");
}

// A file system in a map: path -> kind, with optional creation failures.
class FakeFs : public DirectoryOps {
public:
    std::map<std::u16string, PathKind> entries;
    std::vector<std::u16string> created;
    std::u16string refuse;

    PathKind kind_of(std::u16string_view path) override {
        auto it = entries.find(std::u16string(path));
        return it == entries.end() ? PathKind::kMissing : it->second;
    }
    bool create_directory(std::u16string_view path) override {
        if (path == refuse) return false;
        created.emplace_back(path);
        entries[std::u16string(path)] = PathKind::kDirectory;
        return true;
    }
};

TEST(DirectoryChain, CreatesEveryMissingDirectoryFromTheDriveRootOn) {
    FakeFs fs;
    fs.entries[u"C:\\Users"] = PathKind::kDirectory;
    EXPECT_TRUE(create_directory_chain(u"C:\\Users\\u\\AppData\\Local\\Markomi2\\", fs));
    EXPECT_EQ(fs.created, (std::vector<std::u16string>{u"C:\\Users\\u", u"C:\\Users\\u\\AppData",
                                                       u"C:\\Users\\u\\AppData\\Local",
                                                       u"C:\\Users\\u\\AppData\\Local\\Markomi2"}));
}

TEST(DirectoryChain, AFileInTheWayIsNeitherReplacedNorAFailure) {
    FakeFs fs;
    fs.entries[u"C:\\data"] = PathKind::kFile;
    EXPECT_TRUE(create_directory_chain(u"C:\\data\\Markomi2\\", fs));
    EXPECT_EQ(fs.entries[u"C:\\data"], PathKind::kFile);
    // The walk goes on and tries the next step, which the real system refuses.
    fs.refuse = u"C:\\data\\Markomi2";
    fs.created.clear();
    fs.entries.erase(u"C:\\data\\Markomi2");
    EXPECT_FALSE(create_directory_chain(u"C:\\data\\Markomi2\\", fs));
}

TEST(DirectoryChain, CreationFailureStopsTheWalk) {
    FakeFs fs;
    fs.refuse = u"D:\\a";
    EXPECT_FALSE(create_directory_chain(u"D:\\a\\b\\", fs));
    EXPECT_TRUE(fs.created.empty());
}

TEST(DirectoryChain, WithoutADriveRootOnlyTheLastDirectoryIsMade) {
    FakeFs fs;
    EXPECT_TRUE(create_directory_chain(u"\\Markomi2\\", fs));
    EXPECT_EQ(fs.created, (std::vector<std::u16string>{u"\\Markomi2"}));
    fs.created.clear();
    EXPECT_TRUE(create_directory_chain(u"\\\\server\\share\\x\\", fs));
    EXPECT_EQ(fs.created, (std::vector<std::u16string>{u"\\\\server\\share\\x"}));
    EXPECT_FALSE(create_directory_chain(u"C:\\no-trailing", fs));
}

TEST(InstallFolder, RegistryValueWinsAndLosesItsTrailingBackslash) {
    EXPECT_EQ(install_folder_from(u"C:\\Program Files\\Markomi2\\", u"E:\\p", u"D:\\x"),
              u"C:\\Program Files\\Markomi2");
    EXPECT_EQ(install_folder_from(u"C:\\Tools", std::nullopt, std::nullopt), u"C:\\Tools");
}

TEST(InstallFolder, FallsBackToTheProgramsFolderThenTheCurrentDirectory) {
    EXPECT_EQ(install_folder_from(std::nullopt, folder_of_file(u"E:\\Apps\\M2\\Markomi2.exe"),
                                  u"C:\\work"),
              u"E:\\Apps\\M2");
    EXPECT_EQ(install_folder_from(std::nullopt, folder_of_file(u"E:\\Markomi2.exe"), u"C:\\work"), u"E:");
    EXPECT_EQ(install_folder_from(std::nullopt, folder_of_file(u"Markomi2.exe"), u"C:\\work\\"),
              u"C:\\work");
    EXPECT_EQ(install_folder_from(std::nullopt, std::nullopt, u"C:\\work"), u"C:\\work");
    EXPECT_EQ(install_folder_from(std::nullopt, std::u16string(300, u'x'), u"C:\\"), u"C:");
    EXPECT_EQ(install_folder_from(std::nullopt, std::nullopt, u"C:"), u"\\");
    EXPECT_EQ(install_folder_from(std::nullopt, std::nullopt, std::nullopt), u"\\");
}

TEST(SettingsFolder, AppendsTheProductFolderOrStaysEmpty) {
    EXPECT_EQ(settings_folder_from(u"C:\\users\\u\\AppData\\Local"),
              u"C:\\users\\u\\AppData\\Local\\Markomi2");
    // Without the local application-data folder there is no settings folder,
    // not "\Markomi2" at the root of the current drive.
    EXPECT_EQ(settings_folder_from(u""), u"");
}

TEST(OsVersionCode, MapsPlatformAndVersion) {
    EXPECT_EQ(os_version_code(1, 4, 10), 2);
    EXPECT_EQ(os_version_code(2, 3, 51), 3);
    EXPECT_EQ(os_version_code(2, 4, 0), 4);
    EXPECT_EQ(os_version_code(2, 5, 1), 5);
    EXPECT_EQ(os_version_code(2, 6, 0), 6);
    EXPECT_EQ(os_version_code(2, 6, 1), 7);
    EXPECT_EQ(os_version_code(2, 6, 2), 8);
    EXPECT_EQ(os_version_code(2, 6, 3), 8);
    EXPECT_EQ(os_version_code(2, 10, 0), 10);
    EXPECT_EQ(os_version_code(2, 11, 0), 0);
    EXPECT_EQ(os_version_code(3, 10, 0), 0);
}

TEST(RegistryValueText, ConvertsByType) {
    const unsigned char sz[] = {'C', 0, ':', 0, '\\', 0, 0, 0, 'x', 0};
    EXPECT_EQ(registry_value_text(RegistryType::kString, sz, sizeof sz), u"C:\\");
    // Unterminated and odd-length data is read only as far as it goes.
    EXPECT_EQ(registry_value_text(RegistryType::kExpandString, sz, 5), u"C:");
    const unsigned char bin[] = {0xFF, 0xFF, 7};
    EXPECT_EQ(registry_value_text(RegistryType::kBinary, bin, 3), u"-1");
    EXPECT_EQ(registry_value_text(RegistryType::kBinary, bin, 1), u"");
    const unsigned char dw[] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(registry_value_text(RegistryType::kDword, dw, 4), u"-2");
    EXPECT_EQ(registry_value_text(RegistryType::kOther, dw, 4), u"");
}

}  // namespace
}  // namespace markomi
