#include "ui/help_win.h"

#include <string>

#include "base/path_join.h"
#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "ui/window_classes.h"

namespace markomi {
namespace {

constexpr wchar_t kHelpFileName[] = L"Markomi2.chm";
constexpr wchar_t kHelpMissingText[] =
    L"ヘルプファイル「Markomi2.chm」が見つかりません。\n"
    L"マルコミ２をインストールし直してください。";
constexpr wchar_t kHelpNotShownText[] =
    L"ヘルプ「Markomi2.chm」を表示できませんでした。\n"
    L"ヘルプを表示する機能（HTML ヘルプ）が使えない可能性があります。";
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

bool open_help(HWND caller) {
    return open_help_for(caller, nullptr);
}

bool open_help_for(HWND caller, const wchar_t* page) {
    const std::wstring path = as_wide(path_join(as_u16(std::wstring_view(g_install_folder)), u"\\",
                                                as_u16(std::wstring_view(kHelpFileName))));
    const bool present =
        !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    HtmlHelpFunction function = present ? html_help() : nullptr;
    // "<file>::/<page>" names a page inside the compiled help.
    const std::wstring topic = page ? path + L"::/" + page : path;
    // HtmlHelpW answers with the viewer's window, or null when it could not show the file.
    if (function && function(caller, topic.c_str(), kHelpDisplayTopic, 0) != nullptr) return true;
    // The hidden main window makes a poor owner: the box would open behind
    // the user's windows.
    HWND owner = caller && IsWindowVisible(caller) ? caller : nullptr;
    MessageBoxW(owner, present ? kHelpNotShownText : kHelpMissingText, kMessageBoxTitle,
                MB_OK | MB_ICONWARNING | (owner ? 0 : MB_TOPMOST | MB_SETFOREGROUND));
    return false;
}

}  // namespace markomi
