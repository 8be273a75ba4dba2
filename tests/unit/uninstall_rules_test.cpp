// The uninstaller's decisions: stages, the temporary copy, which folders may
// be deleted, and the page layout.
#include <gtest/gtest.h>

#include "uninstaller/uninstall_rules.h"

namespace markomi {
namespace {

TEST(UninstallStage, OnlyNothingOrExactlySlashLowerUOrTheMachineSwitch) {
    EXPECT_EQ(uninstall_stage_of(u""), UninstallStage::kCopyAndRestart);
    EXPECT_EQ(uninstall_stage_of(u"  "), UninstallStage::kCopyAndRestart);
    EXPECT_EQ(uninstall_stage_of(u"/u"), UninstallStage::kWindow);
    EXPECT_EQ(uninstall_stage_of(u" /u "), UninstallStage::kWindow);
    EXPECT_EQ(uninstall_stage_of(u"/U"), UninstallStage::kRefused);
    EXPECT_EQ(uninstall_stage_of(u"/u x"), UninstallStage::kRefused);
    EXPECT_EQ(uninstall_stage_of(u"-u"), UninstallStage::kRefused);
    EXPECT_EQ(uninstall_stage_of(u"/machine"), UninstallStage::kMachine);
    EXPECT_EQ(uninstall_stage_of(u"/MACHINE"), UninstallStage::kRefused);
    EXPECT_EQ(uninstall_stage_of(u"/u /machine"), UninstallStage::kRefused);
}

// A turned-down consent prompt is told as such, not as a failure, and an
// elevated run that ended in a failure is not taken for a removal.
TEST(UninstallStage, WhatBecameOfTheElevatedRun) {
    EXPECT_EQ(machine_removal_outcome(false, kElevationCancelled, 0), MachineRemoval::kRefused);
    EXPECT_EQ(machine_removal_outcome(false, 2, 0), MachineRemoval::kFailed);
    EXPECT_EQ(machine_removal_outcome(true, 0, 0), MachineRemoval::kDone);
    EXPECT_EQ(machine_removal_outcome(true, 0, 1), MachineRemoval::kFailed);
}

TEST(UninstallCopy, TemporaryFolderAndNumberedName) {
    EXPECT_EQ(temporary_copy_folder(std::u16string(u"C:\\Temp"), u"C:\\ProgramData"), u"C:\\Temp\\");
    EXPECT_EQ(temporary_copy_folder(std::u16string(u"C:\\Temp\\"), u"C:\\ProgramData"), u"C:\\Temp\\");
    EXPECT_EQ(temporary_copy_folder(std::nullopt, u"C:\\ProgramData"), u"C:\\ProgramData\\");
    EXPECT_EQ(temporary_copy_folder(std::u16string(261, u'a'), u"D:\\Data"), u"D:\\Data\\");
    // Too short to take a backslash: left as it is.
    EXPECT_EQ(temporary_copy_folder(std::nullopt, u"C:"), u"C:");
    EXPECT_EQ(temporary_copy_path(u"C:\\Temp\\", 47), u"C:\\Temp\\unins047.exe");
    EXPECT_EQ(temporary_copy_path(u"C:\\Temp\\", 0), u"C:\\Temp\\unins000.exe");
    EXPECT_EQ(temporary_copy_path(u"C:\\Temp\\", 999), u"C:\\Temp\\unins999.exe");
}

TEST(UninstallSafety, AProgramFolderOfItsOwnMayGo) {
    const std::vector<std::u16string> guarded = {u"C:\\Windows", u"C:\\Users\\tanaka",
                                                 u"C:\\Program Files"};
    EXPECT_EQ(judge_install_folder(u"C:\\Program Files\\Markomi2", guarded, true), FolderVerdict::kSafe);
    EXPECT_EQ(judge_install_folder(u"c:/program files/markomi2/", guarded, true), FolderVerdict::kSafe);
    EXPECT_EQ(judge_install_folder(u"\\\\server\\apps\\Markomi2", guarded, true), FolderVerdict::kSafe);
    // A name that merely starts like a guarded folder is not inside it.
    EXPECT_EQ(judge_install_folder(u"C:\\WindowsTools", guarded, true), FolderVerdict::kSafe);
    EXPECT_EQ(judge_install_folder(u"C:\\Program Files\\Markomi2", guarded, false),
              FolderVerdict::kNoProgram);
}

TEST(UninstallSafety, DangerousValuesAreRefused) {
    const std::vector<std::u16string> guarded = {u"C:\\Windows", u"C:\\Windows\\System32",
                                                 u"C:\\Users\\tanaka", u"C:\\Program Files",
                                                 u"C:\\Users\\tanaka\\Desktop"};
    EXPECT_EQ(judge_install_folder(u"", guarded, true), FolderVerdict::kMissing);
    EXPECT_EQ(judge_install_folder(u"   ", guarded, true), FolderVerdict::kMissing);
    for (const char16_t* root : {u"C:\\", u"C:", u"c:/", u"\\\\server\\share", u"\\\\server\\share\\"})
        EXPECT_EQ(judge_install_folder(root, guarded, true), FolderVerdict::kDriveRoot) << root;
    for (const char16_t* relative : {u"Markomi2", u"\\Markomi2", u"C:Markomi2", u"\\\\server",
                                     u"C:\\Program Files\\..\\Windows", u"C:\\.\\Markomi2"})
        EXPECT_EQ(judge_install_folder(relative, guarded, true), FolderVerdict::kNotAbsolute) << relative;
    for (const char16_t* special : {u"C:\\Windows", u"c:\\windows\\", u"C:\\Windows\\System32",
                                    u"C:\\Users\\tanaka", u"C:\\Program Files", u"C:\\Users\\Tanaka\\Desktop",
                                    u"C:\\Users"})  // holds a profile
        EXPECT_EQ(judge_install_folder(special, guarded, true), FolderVerdict::kProtected) << special;
}

TEST(UninstallSafety, SettingsFolderOnlyUnderAnAbsoluteAppDataFolder) {
    EXPECT_EQ(settings_folder_for_removal(u"C:\\Users\\tanaka\\AppData\\Local"),
              u"C:\\Users\\tanaka\\AppData\\Local\\Markomi2");
    EXPECT_EQ(settings_folder_for_removal(u"C:\\Users\\tanaka\\AppData\\Local\\"),
              u"C:\\Users\\tanaka\\AppData\\Local\\Markomi2");
    EXPECT_EQ(settings_folder_for_removal(u""), u"");
    EXPECT_EQ(settings_folder_for_removal(u"AppData"), u"");
    EXPECT_EQ(settings_folder_for_removal(u"C:AppData"), u"");
}

TEST(UninstallPages, LayoutInCharacterUnits) {
    const UninstallPageLayout confirm = uninstall_page_layout(kUninstallPageConfirm, 8, 18);
    EXPECT_EQ(confirm.width, 424);
    EXPECT_EQ(confirm.height, 234);
    EXPECT_EQ(confirm.text.x, 48);
    EXPECT_EQ(confirm.text.y, 54);
    EXPECT_EQ(confirm.first_button.x, 240);
    EXPECT_EQ(confirm.first_button.y, 162 - 4);
    EXPECT_EQ(confirm.first_button.height, 18 + 4);
    EXPECT_EQ(confirm.second_button.x, 320);
    EXPECT_EQ(confirm.second_button.width, 64);
    const UninstallPageLayout finished = uninstall_page_layout(kUninstallPageFinished, 8, 18);
    EXPECT_EQ(finished.text.width, 400);
    EXPECT_EQ(finished.text.height, 72);
    EXPECT_EQ(finished.first_button.x, 320);
    EXPECT_EQ(finished.second_button.width, 0);
}

// The page grows with the screen even where the system font does not (Wine)
// or only in steps; a larger measured font is kept.
TEST(UninstallPages, UnitsAndFontFollowTheDpi) {
    EXPECT_EQ(uninstall_units(8, 18, 96).a, 8);
    EXPECT_EQ(uninstall_units(8, 18, 96).l, 18);
    EXPECT_EQ(uninstall_units(8, 27, 144).a, 12);
    EXPECT_EQ(uninstall_units(8, 27, 144).l, 27);
    EXPECT_EQ(uninstall_units(10, 20, 144).l, 24);
    EXPECT_EQ(uninstall_units(8, 16, 120).a, 10);
    EXPECT_EQ(uninstall_font_height(96), -14);
    EXPECT_EQ(uninstall_font_height(120), -18);
    EXPECT_EQ(uninstall_font_height(144), -21);
}

}  // namespace
}  // namespace markomi
