#pragma once
// The rules that turn what the system reports into the program's folders.
#include <optional>
#include <string>
#include <string_view>

namespace markomi {

constexpr std::size_t kFolderCapacity = 260;

// Install folder: the registry's "Path" when it was readable and holds the
// program, else the folder of the running program, else the current
// directory; always without a trailing backslash, except that a bare "\"
// stays (a drive root "C:\" becomes "C:").
std::u16string install_folder_from(const std::optional<std::u16string>& registry_path,
                                   const std::optional<std::u16string>& program_folder,
                                   const std::optional<std::u16string>& current_directory);

// The folder part of a file path, up to and including its last backslash
// ("C:\a\b.exe" gives "C:\a\"); nullopt when there is no backslash.
std::optional<std::u16string> folder_of_file(std::u16string_view file_path);

// Settings folder: the local application-data folder followed by "\Markomi2";
// empty when the shell could not tell that folder. An empty folder means no
// settings files at all (defaults, never saved), never a folder at the root
// of whatever drive is current.
std::u16string settings_folder_from(std::u16string_view local_app_data);

// The operating-system version code: 10 for Windows 10 and 11, 8 for 8 and
// 8.1, 7, 6 (Vista), 5, 4, 3 for NT; 2 for the 95/98/Me family; 0 otherwise.
// `platform_id` takes the values of OSVERSIONINFO (1 = 9x, 2 = NT).
int os_version_code(unsigned platform_id, unsigned major, unsigned minor);

// Registry value types, as the registry value reader converts them.
enum class RegistryType { kString, kExpandString, kBinary, kDword, kOther };

// Text of a registry value: strings as they are (up to the first NUL, never
// past `size`), binary as the signed 16-bit number of its first two bytes,
// DWORD as a signed 32-bit number, anything else empty.
std::u16string registry_value_text(RegistryType type, const unsigned char* data, std::size_t size);

}  // namespace markomi
