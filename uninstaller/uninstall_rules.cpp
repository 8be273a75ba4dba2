#include "uninstaller/uninstall_rules.h"

#include <algorithm>
#include <cstdio>

namespace markomi {
namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view trimmed(std::u16string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// Upper-case ASCII, forward slashes turned round, no trailing backslash
// ("C:\" becomes "C:").
std::u16string comparable(std::u16string_view path) {
    std::u16string out(trimmed(path));
    for (char16_t& c : out) {
        if (c == u'/') c = u'\\';
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    while (!out.empty() && out.back() == u'\\') out.pop_back();
    return out;
}

bool has_drive(const std::u16string& p) {
    return p.size() >= 2 && p[1] == u':' && p[0] >= u'A' && p[0] <= u'Z';
}
bool is_unc(const std::u16string& p) { return p.size() >= 2 && p[0] == u'\\' && p[1] == u'\\'; }

// The path's steps after its drive ("C:") or share ("\\server\share").
std::vector<std::u16string_view> steps_of(const std::u16string& p, std::size_t from) {
    std::vector<std::u16string_view> steps;
    std::u16string_view rest(p);
    rest.remove_prefix(from);
    while (!rest.empty()) {
        const std::size_t cut = rest.find(u'\\');
        const std::u16string_view step = rest.substr(0, cut);
        if (!step.empty()) steps.push_back(step);
        if (cut == std::u16string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return steps;
}

// Where the steps begin: after "C:" or after "\\server\share"; npos when
// the path has neither.
std::size_t root_length(const std::u16string& p) {
    if (has_drive(p)) return 2;
    if (!is_unc(p)) return std::u16string::npos;
    const std::size_t server_end = p.find(u'\\', 2);
    if (server_end == std::u16string::npos || server_end == 2) return std::u16string::npos;
    const std::size_t share_end = p.find(u'\\', server_end + 1);
    if (share_end == server_end + 1) return std::u16string::npos;
    return share_end == std::u16string::npos ? p.size() : share_end;
}

// `inner` is `outer` or lies inside it.
bool within(const std::u16string& inner, const std::u16string& outer) {
    if (outer.empty() || inner.size() < outer.size()) return false;
    if (inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || outer.back() == u'\\' || inner[outer.size()] == u'\\';
}

}  // namespace

UninstallStage uninstall_stage_of(std::u16string_view arguments) {
    const std::u16string_view a = trimmed(arguments);
    if (a.empty()) return UninstallStage::kCopyAndRestart;
    if (a == u"/u") return UninstallStage::kWindow;
    if (a == kMachineStageSwitch) return UninstallStage::kMachine;
    return UninstallStage::kRefused;
}

MachineRemoval machine_removal_outcome(bool started, unsigned long error, unsigned long exit_code) {
    if (!started)
        return error == kElevationCancelled ? MachineRemoval::kRefused : MachineRemoval::kFailed;
    return exit_code == 0 ? MachineRemoval::kDone : MachineRemoval::kFailed;
}

std::u16string temporary_copy_folder(const std::optional<std::u16string>& temp,
                                     std::u16string_view common_app_data) {
    std::u16string folder = temp && !temp->empty() && temp->size() <= 260
                                ? *temp
                                : std::u16string(common_app_data);
    if (folder.size() >= 3 && folder.back() != u'\\') folder.push_back(u'\\');
    return folder;
}

std::u16string temporary_copy_path(std::u16string_view folder, int milliseconds) {
    char name[16];
    std::snprintf(name, sizeof name, "unins%03d.exe", milliseconds % 1000);
    std::u16string path(folder);
    for (const char* c = name; *c; ++c) path.push_back(static_cast<char16_t>(*c));
    return path;
}

FolderVerdict judge_install_folder(std::u16string_view folder,
                                   const std::vector<std::u16string>& protected_folders,
                                   bool holds_program) {
    const std::u16string p = comparable(folder);
    if (p.empty()) return FolderVerdict::kMissing;
    const std::size_t root = root_length(p);
    if (root == std::u16string::npos) return FolderVerdict::kNotAbsolute;
    if (has_drive(p) && (p.size() == 2 || p[2] != u'\\')) {
        // "C:" alone is the drive's current folder, "C:dir" relative to it.
        return p.size() == 2 ? FolderVerdict::kDriveRoot : FolderVerdict::kNotAbsolute;
    }
    const std::vector<std::u16string_view> steps = steps_of(p, root);
    if (steps.empty()) return FolderVerdict::kDriveRoot;
    for (std::u16string_view step : steps) {
        if (step == u"." || step == u"..") return FolderVerdict::kNotAbsolute;
    }
    for (const std::u16string& guarded : protected_folders) {
        const std::u16string g = comparable(guarded);
        if (!g.empty() && within(g, p)) return FolderVerdict::kProtected;
    }
    return holds_program ? FolderVerdict::kSafe : FolderVerdict::kNoProgram;
}

std::u16string settings_folder_for_removal(std::u16string_view local_app_data) {
    const std::u16string base = comparable(local_app_data);
    if (base.empty() || root_length(base) == std::u16string::npos) return std::u16string();
    if (has_drive(base) && base.size() > 2 && base[2] != u'\\') return std::u16string();
    std::u16string folder(trimmed(local_app_data));
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
    return folder + u"\\Markomi2";
}

UninstallPageLayout uninstall_page_layout(int page, int a, int l) {
    UninstallPageLayout out;
    out.width = 53 * a;
    out.height = 13 * l;
    const int button_top = 9 * l - l / 4;
    const int button_height = l + l / 4;
    if (page == kUninstallPageFinished) {
        out.text = LayoutRect{5 * a, 3 * l, 50 * a, 4 * l};
        out.first_button = LayoutRect{40 * a, button_top, 8 * a, button_height};
        return out;
    }
    out.text = LayoutRect{6 * a, 3 * l, 40 * a, l};
    out.first_button = LayoutRect{30 * a, button_top, 10 * a, button_height};
    out.second_button = LayoutRect{40 * a, button_top, 8 * a, button_height};
    return out;
}

UninstallUnits uninstall_units(int measured_a, int measured_l, int dpi) {
    if (dpi <= 0) dpi = 96;
    UninstallUnits units;
    units.a = std::max(measured_a, (8 * dpi + 48) / 96);
    units.l = std::max(measured_l, (16 * dpi + 48) / 96);
    return units;
}

int uninstall_font_height(int dpi) {
    if (dpi <= 0) dpi = 96;
    // Rounded to the nearest pixel, as MulDiv does.
    return -((14 * dpi + 48) / 96);
}

}  // namespace markomi
