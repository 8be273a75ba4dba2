#include "app/program_paths_win.h"

#include <shlobj.h>

#include <cwchar>
#include <optional>

#include "app/directory_chain.h"
#include "app/program_paths.h"
#include "base/file_checks_win.h"
#include "base/fixed_text.h"
#include "base/module_path_win.h"
#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "base/win_handles_win.h"
#include "ui/shortcut_paths.h"

namespace markomi {
namespace {

HKEY root_key_named(const wchar_t* name) {
    static const struct { const wchar_t* name; HKEY key; } kRoots[] = {
        {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKEY_USERS", HKEY_USERS},
        {L"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
        {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {L"HKEY_DYN_DATA", HKEY_DYN_DATA},
    };
    for (const auto& r : kRoots)
        if (std::wcscmp(r.name, name) == 0) return r.key;
    return nullptr;
}

RegistryType registry_type_of(DWORD type) {
    switch (type) {
        case REG_SZ: return RegistryType::kString;
        case REG_EXPAND_SZ: return RegistryType::kExpandString;
        case REG_BINARY: return RegistryType::kBinary;
        case REG_DWORD: return RegistryType::kDword;
        default: return RegistryType::kOther;
    }
}

class DiskDirectoryOps : public DirectoryOps {
public:
    PathKind kind_of(std::u16string_view path) override {
        std::wstring p = to_wide(path);
        DWORD attributes = GetFileAttributesW(p.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kDirectory : PathKind::kFile;
    }
    bool create_directory(std::u16string_view path) override {
        std::wstring p = to_wide(path);
        return CreateDirectoryW(p.c_str(), nullptr) != FALSE;
    }
};

void copy_folder(wchar_t (&dest)[261], const std::u16string& folder) {
    std::u16string_view cut = cut_to_capacity(folder, kFolderCapacity);
    std::wmemcpy(dest, as_wide(cut.data()), cut.size());
    dest[cut.size()] = 0;
}

std::optional<std::u16string> current_directory() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, buf);
    if (n == 0 || n > MAX_PATH) return std::nullopt;
    return std::u16string(as_u16(buf), n);
}

// The folder of the running program, from its own module file name.
std::optional<std::u16string> program_folder() {
    const std::wstring program = running_program_file();
    if (program.empty()) return std::nullopt;
    return folder_of_file(as_u16(std::wstring_view(program)));
}

// True when `folder` holds the program file, i.e. it is an install folder and
// not a stale or mistyped entry whose shortcuts and help would lead nowhere.
bool holds_program(std::u16string_view folder) {
    if (folder.size() > 2 && folder.back() == u'\\') folder.remove_suffix(1);
    std::optional<std::u16string> exe = shortcut_target(folder);
    return exe && is_existing_file(to_wide(*exe).c_str());
}

std::u16string local_app_data() {
    // The item list comes from the shell allocator and goes back to it.
    PIDLIST_ABSOLUTE pidl = nullptr;
    std::u16string path;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &pidl)) && pidl) {
        wchar_t buf[MAX_PATH + 1] = L"";
        if (SHGetPathFromIDListW(pidl, buf)) path = as_u16(buf);
        CoTaskMemFree(pidl);
    }
    return path;
}

}  // namespace

bool read_registry_value(const wchar_t* root_name, const wchar_t* subkey, const wchar_t* value,
                         std::wstring* out) {
    HKEY root = root_key_named(root_name);
    if (!root) return false;
    ScopedRegKey key;
    // Reading needs no more: full access to HKEY_LOCAL_MACHINE is refused to a
    // standard user, which would hide the install folder from the program.
    if (RegOpenKeyExW(root, subkey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    BYTE data[128];
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key.get(), value, nullptr, &type, data, &size) != ERROR_SUCCESS) return false;
    std::u16string text = registry_value_text(registry_type_of(type), data, size);
    if (!key.close()) return false;
    *out = to_wide(text);
    return true;
}

int read_screen_dpi() {
    HDC screen = GetDC(nullptr);
    if (!screen) return 96;
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int query_os_version_code() {
    // RtlGetVersion reports the version without the compatibility shims that
    // GetVersionEx applies; the manifest makes both agree on current systems.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto fn = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                          reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                    : nullptr;
    if (!fn || fn(&info) != 0) return 0;
    return os_version_code(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool create_directory_chain_on_disk(const wchar_t* path) {
    DiskDirectoryOps ops;
    return create_directory_chain(as_u16(std::wstring_view(path)), ops);
}

void resolve_program_folders() {
    std::wstring registry_path;
    std::optional<std::u16string> from_registry;
    // An empty "Path" says nothing about where the program is; treat it as unreadable.
    if (read_registry_value(L"HKEY_LOCAL_MACHINE", kUninstallKey, L"Path", &registry_path) &&
        !registry_path.empty() && holds_program(as_u16(std::wstring_view(registry_path))))
        from_registry = std::u16string(as_u16(registry_path));
    copy_folder(g_install_folder,
                install_folder_from(from_registry, program_folder(), current_directory()));

    copy_folder(g_settings_folder, settings_folder_from(local_app_data()));
    if (g_settings_folder[0] == L'\0') return;
    std::wstring chain = std::wstring(g_settings_folder) + L"\\";
    create_directory_chain_on_disk(chain.c_str());
}

}  // namespace markomi
