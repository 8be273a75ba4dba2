#include "app/program_paths.h"

#include <cstdint>
#include <cstring>

#include "base/fixed_text.h"
#include "base/u16_format.h"

namespace markomi {

namespace {

// A directory usable as it stands: at least "C:\" and within the capacity.
bool usable_directory(const std::optional<std::u16string>& dir) {
    return dir && dir->size() >= 3 && dir->size() <= kFolderCapacity;
}

}  // namespace

std::u16string install_folder_from(const std::optional<std::u16string>& registry_path,
                                   const std::optional<std::u16string>& program_folder,
                                   const std::optional<std::u16string>& current_directory) {
    std::u16string folder;
    if (registry_path) {
        folder = std::u16string(cut_to_capacity(*registry_path, kFolderCapacity));
    } else if (usable_directory(program_folder) || usable_directory(current_directory)) {
        folder = usable_directory(program_folder) ? *program_folder : *current_directory;
        if (folder.back() != u'\\') folder.push_back(u'\\');
    } else {
        folder = u"\\";
    }
    if (folder.size() > 2 && folder.back() == u'\\') folder.pop_back();
    return std::u16string(cut_to_capacity(folder, kFolderCapacity));
}

std::optional<std::u16string> folder_of_file(std::u16string_view file_path) {
    std::size_t slash = file_path.rfind(u'\\');
    if (slash == std::u16string_view::npos) return std::nullopt;
    return std::u16string(file_path.substr(0, slash + 1));
}

std::u16string settings_folder_from(std::u16string_view local_app_data) {
    if (local_app_data.empty()) return std::u16string();
    std::u16string folder(local_app_data);
    folder += u"\\Markomi2";
    return folder;
}

int os_version_code(unsigned platform_id, unsigned major, unsigned minor) {
    constexpr unsigned kWindows9x = 1;
    constexpr unsigned kWindowsNt = 2;
    if (platform_id == kWindows9x) return 2;
    if (platform_id != kWindowsNt) return 0;
    switch (major) {
        case 3: return 3;
        case 4: return 4;
        case 5: return 5;
        case 6: return minor == 0 ? 6 : minor == 1 ? 7 : 8;
        case 10: return 10;
        default: return 0;
    }
}

std::u16string registry_value_text(RegistryType type, const unsigned char* data, std::size_t size) {
    switch (type) {
        case RegistryType::kString:
        case RegistryType::kExpandString: {
            std::u16string text;
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                char16_t ch = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
                if (ch == 0) break;
                text.push_back(ch);
            }
            return text;
        }
        case RegistryType::kBinary: {
            if (size < 2) return std::u16string();
            auto v = static_cast<std::int16_t>(static_cast<std::uint16_t>(data[0] | (data[1] << 8)));
            return decimal_text(v);
        }
        case RegistryType::kDword: {
            if (size < 4) return std::u16string();
            std::uint32_t bits = static_cast<std::uint32_t>(data[0]) |
                                 (static_cast<std::uint32_t>(data[1]) << 8) |
                                 (static_cast<std::uint32_t>(data[2]) << 16) |
                                 (static_cast<std::uint32_t>(data[3]) << 24);
            std::int32_t v;
            std::memcpy(&v, &bits, sizeof v);
            return decimal_text(v);
        }
        case RegistryType::kOther: break;
    }
    return std::u16string();
}

}  // namespace markomi
