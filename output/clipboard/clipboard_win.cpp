#include "output/clipboard/clipboard_win.h"

#include "base/message_wait_win.h"

namespace markomi {
namespace {

constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenRetryMs = 25;

}  // namespace

bool open_clipboard_patiently(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (OpenClipboard(owner)) return true;
        // The holder may be a program reading a format this window offered
        // and waiting for its WM_RENDERFORMAT: a Sleep would leave both
        // waiting until this gives up and the format is lost.
        wait_answering_sent_messages(nullptr, kOpenRetryMs);
    }
    return false;
}

}  // namespace markomi
