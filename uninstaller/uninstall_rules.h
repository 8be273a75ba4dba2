#pragma once
// The uninstaller's decisions that need no system calls: which stage a
// command line asks for, where the temporary copy goes, what became of the
// elevated stage, whether a folder named by the registry may be deleted, and
// the layout of its two pages.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/window_layouts.h"

namespace markomi {

// ---- Stages ----
enum class UninstallStage {
    kCopyAndRestart,  // no argument: copy to the temporary folder and start the copy
    kWindow,          // "/u": the copy, which asks, removes the user's own things and has
                      // the machine-wide ones removed by an elevated run of itself
    kMachine,         // "/machine": that elevated run (the uninstall key, the install
                      // folder, the all-users program menu), without a window
    kRefused,         // anything else
};
constexpr char16_t kMachineStageSwitch[] = u"/machine";
// `arguments` is the command line after the program's name; surrounding
// blanks do not count, letters do (case-sensitive: "/U" is refused).
UninstallStage uninstall_stage_of(std::u16string_view arguments);

// What became of the elevated run for the machine-wide part.
enum class MachineRemoval {
    kDone,     // it ran and removed them
    kRefused,  // the administrator's consent was not given: nothing machine-wide went
    kFailed,   // it could not be started, or it ended with a failure
};
// ShellExecuteEx's last error when the user turns the consent prompt down.
constexpr unsigned long kElevationCancelled = 1223;  // ERROR_CANCELLED
// `started`: the run began (else `error` says why); `exit_code`: how it ended.
MachineRemoval machine_removal_outcome(bool started, unsigned long error, unsigned long exit_code);

// ---- The temporary copy ----
// `temp` is the user's temporary folder when the system gave one of at most
// 260 characters that exists; otherwise the all-users application-data folder
// is used. A backslash is appended to a path of three or more characters
// that does not end in one.
std::u16string temporary_copy_folder(const std::optional<std::u16string>& temp,
                                     std::u16string_view common_app_data);
// folder + "unins%03d.exe" with the millisecond part of the clock (0..999).
std::u16string temporary_copy_path(std::u16string_view folder, int milliseconds);

// ---- Safety of the folders it deletes ----
enum class FolderVerdict {
    kSafe,
    kMissing,         // no value, or an empty one
    kNotAbsolute,     // relative, or with "." / ".." steps
    kDriveRoot,       // "C:\", "\\server\share"
    kProtected,       // Windows, system, profile or special folder, or holds one
    kNoProgram,       // does not hold Markomi2.exe
};
// `protected_folders`: the folders that must never go (Windows, system,
// profile, special folders); a folder that is one of them or holds one of
// them is refused. Comparison ignores ASCII case, "/" vs "\" and trailing
// backslashes. `holds_program`: Markomi2.exe exists inside `folder`.
FolderVerdict judge_install_folder(std::u16string_view folder,
                                   const std::vector<std::u16string>& protected_folders,
                                   bool holds_program);
// The settings folder: <local application data>\Markomi2, only when the
// local application-data folder is an absolute path; empty otherwise.
std::u16string settings_folder_for_removal(std::u16string_view local_app_data);

// ---- Pages ----
constexpr int kUninstallPageConfirm = 111;
constexpr int kUninstallPageFinished = 112;
constexpr int kUninstallIdCancel = 204;
constexpr int kUninstallIdExecute = 205;
constexpr int kUninstallIdFinish = 207;

struct UninstallPageLayout {
    int width = 0;   // 53 A
    int height = 0;  // 13 L
    LayoutRect text;
    LayoutRect first_button;   // cancel, or finish
    LayoutRect second_button;  // execute (confirmation page only)
};
UninstallPageLayout uninstall_page_layout(int page, int a, int l);

// The page's units at `dpi`: the measured ones (the window's default font,
// the system font), but never less than that font's 8 by 16 pixels at 96
// dpi scaled to the screen. Windows scales the system font only in steps
// (and Wine not at all), while the control font follows the dpi exactly;
// without the floor the text would outgrow its buttons.
struct UninstallUnits {
    int a = 8;
    int l = 16;
};
UninstallUnits uninstall_units(int measured_a, int measured_l, int dpi);

// The control font's height (negative: character height) at `dpi`: 14
// pixels at 96 dpi, scaled as the page's units are.
int uninstall_font_height(int dpi);

}  // namespace markomi
