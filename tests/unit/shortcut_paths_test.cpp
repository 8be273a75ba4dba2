#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ui/shortcut_paths.h"

namespace markomi {
namespace {

TEST(ShortcutTarget, JoinsInstallFolderAndProgramName) {
    EXPECT_EQ(shortcut_target(u"C:\\Tools\\Stamp"), u"C:\\Tools\\Stamp\\Markomi2.exe");
    EXPECT_EQ(shortcut_target(u"C:"), u"C:\\Markomi2.exe");
    EXPECT_EQ(shortcut_target(u"D:\\プログラム\\マルコミ２"), u"D:\\プログラム\\マルコミ２\\Markomi2.exe");
    // The install-folder rule yields "\" when neither registry nor current
    // directory helped: joined as it is, with no special case.
    EXPECT_EQ(shortcut_target(u"\\"), u"\\\\Markomi2.exe");
}

TEST(ShortcutFilePath, PutsTheJapaneseNameIntoTheFolder) {
    EXPECT_EQ(shortcut_file_path(u"C:\\users\\u\\Desktop"), u"C:\\users\\u\\Desktop\\マルコミ２.lnk");
    EXPECT_EQ(shortcut_file_path(u""), std::nullopt);
}

TEST(ShortcutPaths, RejectPathsLongerThanTheShellTakes) {
    std::u16string name = u"Markomi2.exe";
    // 246 + 1 + 12 = 259 units: the longest path that still fits.
    std::u16string folder(246, u'a');
    auto longest = join_folder_and_name(folder, name);
    ASSERT_TRUE(longest.has_value());
    EXPECT_EQ(longest->size(), kShortcutPathCapacity);
    EXPECT_EQ(shortcut_target(folder), longest);

    folder.push_back(u'b');
    EXPECT_EQ(join_folder_and_name(folder, name), std::nullopt);
    EXPECT_EQ(shortcut_target(folder), std::nullopt);
    EXPECT_EQ(shortcut_file_path(std::u16string(255, u'x')), std::nullopt);  // 255 + 1 + 10

    // Sizes near the limits on either side never wrap into "fits".
    EXPECT_EQ(join_folder_and_name(std::u16string(kShortcutPathCapacity, u'f'), u""), std::nullopt);
    EXPECT_EQ(join_folder_and_name(u"", std::u16string(kShortcutPathCapacity, u'n')), std::nullopt);
    EXPECT_EQ(join_folder_and_name(u"", std::u16string(kShortcutPathCapacity - 1, u'n'))->size(),
              kShortcutPathCapacity);
    EXPECT_EQ(join_folder_and_name(std::u16string(100000, u'f'), std::u16string(100000, u'n')),
              std::nullopt);
}

TEST(ShortcutWorkingDirectory, CutsAtTheLastBackslash) {
    EXPECT_EQ(shortcut_working_directory(u"C:\\Tools\\Stamp\\Markomi2.exe"), u"C:\\Tools\\Stamp");
    EXPECT_EQ(shortcut_working_directory(u"C:\\Tools\\Markomi2.exe"), u"C:\\Tools");
    EXPECT_EQ(shortcut_working_directory(u"\\\\server\\share\\Markomi2.exe"), u"\\\\server\\share");
}

TEST(ShortcutWorkingDirectory, KeepsTheBackslashOfADriveRoot) {
    EXPECT_EQ(shortcut_working_directory(u"C:\\Markomi2.exe"), u"C:\\");
    // Index 2 is the only position that keeps it, whatever stands before.
    EXPECT_EQ(shortcut_working_directory(u"ab\\x.exe"), u"ab\\");
    EXPECT_EQ(shortcut_working_directory(u"abc\\x.exe"), u"abc");
    EXPECT_EQ(shortcut_working_directory(u"a\\x.exe"), u"a");
}

TEST(ShortcutWorkingDirectory, IsEmptyWithoutABackslashPastTheFirstUnit) {
    EXPECT_EQ(shortcut_working_directory(u"Markomi2.exe"), u"");
    EXPECT_EQ(shortcut_working_directory(u""), u"");
    EXPECT_EQ(shortcut_working_directory(u"\\Markomi2.exe"), u"");
    // From the install folder "\": the target "\\Markomi2.exe" has its last
    // backslash at index 1.
    EXPECT_EQ(shortcut_working_directory(u"\\\\Markomi2.exe"), u"\\");
}

// Whether a start gives the user the desktop icon the installation asked
// for: once per installation, never when not asked, and a record that an
// editor saved with a line end still counts.
TEST(DesktopIconDue, OncePerInstallationThatAskedForIt) {
    const char16_t* id = u"{0A1B2C3D-0000-4000-8000-123456789ABC}";
    const std::string record = desktop_icon_record(id);
    struct Row {
        const char16_t* wanted;
        std::u16string install_id;
        std::string remembered;
        bool due;
    };
    const Row rows[] = {
        {u"1", id, "", true},                                        // first start
        {u"1", id, record, false},                                   // given before
        {u"1", id, record + "\r\n", false},                          // record saved by an editor
        {u"1", id, "{FFFFFFFF-0000-4000-8000-000000000000}", true},  // a previous installation's
        {u"0", id, "", false},                                       // the icon was not chosen
        {u"", id, "", false},    // an installer that says nothing
        {u"1", u"", "", false},  // no identifier: nothing to record
        {u"1", u"", "x", false},
        {u"1", std::u16string(65, u'a'), "", false},  // not an identifier
        {u"1", u"{インストール}", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.remembered);
        EXPECT_EQ(desktop_icon_due(row.wanted, row.install_id, row.remembered), row.due);
    }
    EXPECT_EQ(desktop_icon_record(std::u16string(64, u'a')), std::string(64, 'a'));
}

}  // namespace
}  // namespace markomi
