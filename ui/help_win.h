#pragma once
#include <windows.h>

namespace markomi {

// Opens "Markomi2.chm" of the install folder with HTML Help, loaded only
// when first needed. A missing help file, or help that cannot be shown,
// is told in a message box (owned by `caller` when it is visible); false then.
bool open_help(HWND caller);

// The help's page for each window (help/*.html, compiled into Markomi2.chm).
constexpr wchar_t kHelpStampingPage[] = L"stamping.html";  // the opening notice, the overlay
constexpr wchar_t kHelpSettingsPage[] = L"settings.html";
constexpr wchar_t kHelpPreferencesPage[] = L"preferences.html";
constexpr wchar_t kHelpAboutPage[] = L"license.html";
constexpr wchar_t kHelpStampPdfPage[] = L"stamppdf.html";

// Opens `page` of the help (null: its first page) with `window` as the
// viewer's owner; told as open_help tells it when it cannot be shown.
bool open_help_for(HWND window, const wchar_t* page);

// F1: a window's WM_HELP, which the system sends to the window with the
// keyboard focus and DefWindowProc passes up to its parent, then to its
// owner. The first window on the way that answers it picks the page.
inline LRESULT answer_help_request(HWND window, const wchar_t* page) {
    open_help_for(window, page);
    return TRUE;
}

}  // namespace markomi
