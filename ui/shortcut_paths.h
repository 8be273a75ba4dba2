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
// The user's 送る (SendTo) entry: Explorer starts its target with the
// chosen files as arguments.
constexpr char16_t kSendToShortcutFileName[] = u"マルコミ２で捺印.lnk";

// Longest path the shell-link calls take: MAX_PATH less the terminator.
constexpr std::size_t kShortcutPathCapacity = 259;

// "<folder>\<name>"; nothing when the result would not fit the capacity, so
// that a link is never written to or pointed at a cut-off path.
std::optional<std::u16string> join_folder_and_name(std::u16string_view folder,
                                                   std::u16string_view name);

// "<special folder>\<name>" (マルコミ２.lnk unless named); nothing for an
// empty folder.
std::optional<std::u16string> shortcut_file_path(std::u16string_view special_folder,
                                                 std::u16string_view name = kShortcutFileName);

// "<install folder>\Markomi2.exe"; the install folder has no trailing
// backslash, so a drive root "C:" gives "C:\Markomi2.exe".
std::optional<std::u16string> shortcut_target(std::u16string_view install_folder);

// The folder of `target`: cut at the last backslash found at index 1 or
// later, except that a backslash at index 2 stays ("C:\x.exe" -> "C:\");
// empty when there is no such backslash.
std::u16string shortcut_working_directory(std::u16string_view target);

// ---- The desktop icon an installation asks for ----
// The installer runs as an administrator, who may not be the user: it
// leaves the desktop icon to the program, which gives it to each user at
// that user's first start. The installation names itself by an identifier
// the installer makes once and keeps over later installs; each user keeps
// the identifier it was given the icon for, so that a user who deleted the
// icon is not given it again by the same installation (nor by an update).
//
// `wanted`: the installer's choice as the registry reader gives it ("1" when
// the icon was chosen). `install_id`: the installation's identifier (1 to 64
// printable ASCII characters, else it names nothing). `remembered`: the bytes
// of the user's record (blanks and line ends around it do not count).
bool desktop_icon_due(std::u16string_view wanted, std::u16string_view install_id,
                      std::string_view remembered);
// The bytes of the record for `install_id` (as desktop_icon_due takes them).
std::string desktop_icon_record(std::u16string_view install_id);

}  // namespace markomi
