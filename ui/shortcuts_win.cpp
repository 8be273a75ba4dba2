#include "ui/shortcuts_win.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <optional>

#include "base/com_ptr_win.h"
#include "base/file_checks_win.h"
#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "ui/shortcut_paths.h"

namespace markomi {
namespace {

// Status for a path that the shell calls would not take whole.
const HRESULT kPathTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

HRESULT shortcut_path_status(int csidl, std::wstring* out) {
    std::wstring folder;
    HRESULT hr = special_folder_path(csidl, &folder);
    if (FAILED(hr)) return hr;
    std::optional<std::u16string> path = shortcut_file_path(
        as_u16(folder), csidl == CSIDL_SENDTO ? kSendToShortcutFileName : kShortcutFileName);
    if (!path) return folder.empty() ? E_FAIL : kPathTooLong;
    *out = to_wide(*path);
    return S_OK;
}

}  // namespace

bool shortcut_file_exists(const wchar_t* link_path) { return is_existing_file(link_path); }

bool delete_shortcut_file(const wchar_t* link_path) {
    if (!is_existing_file(link_path)) return false;
    return DeleteFileW(link_path) != FALSE;
}

HRESULT create_shortcut_file(const wchar_t* link_path, const wchar_t* install_folder) {
    std::wstring_view link(link_path);
    std::optional<std::u16string> target = shortcut_target(as_u16(std::wstring_view(install_folder)));
    if (!target || link.empty() || link.size() > kShortcutPathCapacity) return kPathTooLong;
    std::wstring target_w = to_wide(*target);
    std::wstring directory = to_wide(shortcut_working_directory(*target));

    ScopedComApartment com;
    if (!com.usable()) return com.status();
    ScopedComPtr<IShellLinkW> shell_link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  shell_link.out());
    if (FAILED(hr)) return hr;
    ScopedComPtr<IPersistFile> file;
    hr = shell_link->QueryInterface(IID_IPersistFile, file.out());
    if (FAILED(hr)) return hr;
    hr = shell_link->SetPath(target_w.c_str());
    if (FAILED(hr)) return hr;
    hr = shell_link->SetWorkingDirectory(directory.c_str());
    if (FAILED(hr)) return hr;
    return file->Save(link_path, TRUE);
}

bool shortcut_file_target(const wchar_t* link_path, std::wstring* target) {
    if (!is_existing_file(link_path)) return false;
    ScopedComApartment com;
    if (!com.usable()) return false;
    ScopedComPtr<IShellLinkW> shell_link;
    ScopedComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                shell_link.out())) ||
        FAILED(shell_link->QueryInterface(IID_IPersistFile, file.out())) ||
        FAILED(file->Load(link_path, STGM_READ)))
        return false;
    wchar_t path[MAX_PATH + 1] = L"";
    // SLGP_RAWPATH: the path as stored, without resolving a moved target.
    if (FAILED(shell_link->GetPath(path, MAX_PATH + 1, nullptr, SLGP_RAWPATH))) return false;
    *target = path;
    return true;
}

bool shortcut_path_of(int csidl, std::wstring* out) {
    return SUCCEEDED(shortcut_path_status(csidl, out));
}

HRESULT special_folder_path(int csidl, std::wstring* out) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    HRESULT hr = SHGetSpecialFolderLocation(nullptr, csidl, &pidl);
    if (FAILED(hr)) return hr;
    if (!pidl) return E_FAIL;
    wchar_t buf[MAX_PATH + 1] = L"";
    BOOL converted = SHGetPathFromIDListW(pidl, buf);
    // The item list comes from the shell allocator and goes back to it.
    CoTaskMemFree(pidl);
    if (!converted) return E_FAIL;
    *out = buf;
    return S_OK;
}

bool shortcut_exists(int csidl) {
    std::wstring path;
    return shortcut_path_of(csidl, &path) && shortcut_file_exists(path.c_str());
}

bool delete_shortcut(int csidl) {
    std::wstring path;
    return shortcut_path_of(csidl, &path) && delete_shortcut_file(path.c_str());
}

HRESULT create_shortcut(int csidl) {
    std::wstring path;
    HRESULT hr = shortcut_path_status(csidl, &path);
    if (FAILED(hr)) return hr;
    return create_shortcut_file(path.c_str(), g_install_folder);
}

}  // namespace markomi
