#include "app/desktop_icon_win.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/program_paths_win.h"
#include "base/process_globals_win.h"
#include "base/safe_file_win.h"
#include "base/wide_text_win.h"
#include "base/win_handles_win.h"
#include "ui/shortcut_paths.h"
#include "ui/shortcuts_win.h"

namespace markomi {
namespace {

// A record is an identifier of at most 64 characters: more is not one.
constexpr DWORD kRecordReadLimit = 256;

std::string read_record(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::string();
    char bytes[kRecordReadLimit];
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes, kRecordReadLimit, &read, nullptr)) return std::string();
    return std::string(bytes, read);
}

std::wstring registry_text(const wchar_t* value) {
    std::wstring text;
    return read_registry_value(L"HKEY_LOCAL_MACHINE", kUninstallKey, value, &text) ? text
                                                                                   : std::wstring();
}

}  // namespace

void give_send_to_entry() {
    // Only the installed copy offers itself: a copy run from elsewhere (an
    // unpacked test bundle) must not point the user's 送る at itself.
    const std::wstring installed = registry_text(L"Path");
    if (installed.empty() || g_install_folder[0] == L'\0' ||
        CompareStringOrdinal(installed.c_str(), -1, g_install_folder, -1, TRUE) != CSTR_EQUAL)
        return;
    if (!shortcut_exists(CSIDL_SENDTO)) create_shortcut(CSIDL_SENDTO);
}

void give_desktop_icon_once() {
    if (g_settings_folder[0] == L'\0') return;
    const std::wstring wanted = registry_text(L"DesktopIcon");
    const std::wstring install_id = registry_text(L"InstallId");
    const std::wstring record = std::wstring(g_settings_folder) + L"\\" + kDesktopIconRecordName;
    if (!desktop_icon_due(as_u16(wanted), as_u16(install_id), read_record(record))) return;
    if (!replace_file_with_bytes(record, desktop_icon_record(as_u16(install_id)))) return;
    if (!shortcut_exists(CSIDL_DESKTOP)) create_shortcut(CSIDL_DESKTOP);
}

}  // namespace markomi
