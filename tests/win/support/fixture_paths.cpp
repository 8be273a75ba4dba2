#include "support/fixture_paths.h"

#include <windows.h>

namespace markomi::testing {
namespace {

std::wstring environment_value(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

std::wstring program_folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring joined(std::wstring folder, const wchar_t* name) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + name;
}

}  // namespace

std::wstring fixture_path(const wchar_t* compiled_in, const wchar_t* bundled) {
    const std::wstring root = environment_value(L"MARKOMI2_TEST_ROOT");
    if (!root.empty()) return joined(root, bundled);
    if (GetFileAttributesW(compiled_in) != INVALID_FILE_ATTRIBUTES) return compiled_in;
    return joined(program_folder(), bundled);
}

}  // namespace markomi::testing
