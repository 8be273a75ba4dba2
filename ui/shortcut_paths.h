#pragma once
// The texts of the desktop and startup shortcuts: where the link file goes,
// what it points at and which working directory it gets.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace markomi {

constexpr char16_t kShortcutFileName[] = u"マルコミ２.lnk";
constexpr char16_t kProgramFileName[] = u"Markomi2.exe";

// Longest path the shell-link calls take: MAX_PATH less the terminator.
constexpr std::size_t kShortcutPathCapacity = 259;

// "<folder>\<name>"; nothing when the result would not fit the capacity, so
// that a link is never written to or pointed at a cut-off path.
std::optional<std::u16string> join_folder_and_name(std::u16string_view folder,
                                                   std::u16string_view name);

// "<special folder>\マルコミ２.lnk"; nothing for an empty folder.
std::optional<std::u16string> shortcut_file_path(std::u16string_view special_folder);

// "<install folder>\Markomi2.exe"; the install folder has no trailing
// backslash, so a drive root "C:" gives "C:\Markomi2.exe".
std::optional<std::u16string> shortcut_target(std::u16string_view install_folder);

// The folder of `target`: cut at the last backslash found at index 1 or
// later, except that a backslash at index 2 stays ("C:\x.exe" -> "C:\");
// empty when there is no such backslash.
std::u16string shortcut_working_directory(std::u16string_view target);

}  // namespace markomi
