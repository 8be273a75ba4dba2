#pragma once
// Names shared across processes and windows of the program.
#include "base/message_box_title.h"

namespace markomi {

constexpr wchar_t kStartupMutexName[] = L"MARKOMI2";
constexpr wchar_t kMainWindowClass[] = L"MARKOMI2MAIN";
constexpr wchar_t kHostWindowClass[] = L"MARKOMI2CHILD";
constexpr wchar_t kTabSheetWindowClass[] = L"MARKOMI2TABSHEET";
constexpr wchar_t kOverlayWindowClass[] = L"MARKOMI2SIMULATE";
constexpr wchar_t kOpeningWindowClass[] = L"MARKOMIOPENING";

}  // namespace markomi
