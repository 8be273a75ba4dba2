#include "output/clipboard_win.h"

namespace markomi {
namespace {

constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenRetryMs = 25;

}  // namespace

bool open_clipboard_patiently(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(kOpenRetryMs);
    }
    return false;
}

}  // namespace markomi
