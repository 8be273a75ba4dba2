#include "app/help_win.h"

#include "app/path_join.h"
#include "app/process_globals_win.h"
#include "base/wide_text_win.h"

namespace markomi {
namespace {

constexpr wchar_t kHelpFileName[] = L"Markomi2.chm";
constexpr UINT kHelpDisplayTopic = 0;  // HH_DISPLAY_TOPIC

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The help viewer keeps running inside this process after the call
// returns, so the library stays loaded until the program ends.
HtmlHelpFunction html_help() {
    static HMODULE library = nullptr;
    static HtmlHelpFunction function = nullptr;
    if (!library) {
        library = LoadLibraryW(L"hhctrl.ocx");
        if (library)
            function = reinterpret_cast<HtmlHelpFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")));
    }
    return function;
}

}  // namespace

void open_help(HWND caller) {
    const wchar_t* path = as_wide(path_join(as_u16(std::wstring_view(g_install_folder)), u"\\",
                                            as_u16(std::wstring_view(kHelpFileName))));
    if (!path[0] || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return;
    if (HtmlHelpFunction function = html_help()) function(caller, path, kHelpDisplayTopic, 0);
}

}  // namespace markomi
