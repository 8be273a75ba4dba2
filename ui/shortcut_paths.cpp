#include "ui/shortcut_paths.h"

namespace markomi {

std::optional<std::u16string> join_folder_and_name(std::u16string_view folder,
                                                   std::u16string_view name) {
    // Written so that no sum can wrap, whatever the sizes.
    if (folder.size() >= kShortcutPathCapacity ||
        name.size() > kShortcutPathCapacity - folder.size() - 1)
        return std::nullopt;
    std::u16string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path.push_back(u'\\');
    path.append(name);
    return path;
}

std::optional<std::u16string> shortcut_file_path(std::u16string_view special_folder,
                                                 std::u16string_view name) {
    // An empty folder is one the shell could not tell; "\マルコミ２.lnk" would
    // land in the root of the current drive instead.
    if (special_folder.empty()) return std::nullopt;
    return join_folder_and_name(special_folder, name);
}

std::optional<std::u16string> shortcut_target(std::u16string_view install_folder) {
    return join_folder_and_name(install_folder, kProgramFileName);
}

std::u16string shortcut_working_directory(std::u16string_view target) {
    std::size_t at = target.rfind(u'\\');
    // The search stops before index 0: "\Markomi2.exe" has no folder to name.
    if (at == std::u16string_view::npos || at == 0) return std::u16string();
    if (at == 2) return std::u16string(target.substr(0, 3));
    return std::u16string(target.substr(0, at));
}

namespace {

constexpr std::size_t kInstallIdCapacity = 64;

bool usable_install_id(std::u16string_view id) {
    if (id.empty() || id.size() > kInstallIdCapacity) return false;
    for (char16_t c : id)
        if (c <= u' ' || c > u'~') return false;
    return true;
}

std::string_view without_surrounding_blanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string desktop_icon_record(std::u16string_view install_id) {
    if (!usable_install_id(install_id)) return std::string();
    return std::string(install_id.begin(), install_id.end());
}

bool desktop_icon_due(std::u16string_view wanted, std::u16string_view install_id,
                      std::string_view remembered) {
    if (wanted != u"1" || !usable_install_id(install_id)) return false;
    return without_surrounding_blanks(remembered) != desktop_icon_record(install_id);
}

}  // namespace markomi
