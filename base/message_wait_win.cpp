#include "base/message_wait_win.h"

namespace markomi {

void deliver_sent_messages() {
    // Any PeekMessage delivers the pending sent messages first; the filter
    // keeps it from taking (or even looking at) anything posted.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

WaitEnd wait_answering_sent_messages(HANDLE object, DWORD timeout_ms, bool paint) {
    const DWORD count = object ? 1 : 0;
    const DWORD wake = QS_SENDMESSAGE | (paint ? QS_PAINT : 0);
    const DWORD started = GetTickCount();
    for (;;) {
        // Messages sent before the wait began do not wake it: they are
        // answered here, and each one that comes later wakes it.
        deliver_sent_messages();
        if (paint) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
        }
        const DWORD waited = GetTickCount() - started;
        const DWORD left = waited >= timeout_ms ? 0 : timeout_ms - waited;
        const DWORD r = MsgWaitForMultipleObjects(count, count ? &object : nullptr, FALSE, left, wake);
        if (count && r == WAIT_OBJECT_0) return WaitEnd::kSignalled;
        if (r == WAIT_TIMEOUT) return WaitEnd::kTimedOut;
        if (r != WAIT_OBJECT_0 + count) return WaitEnd::kFailed;
    }
}

}  // namespace markomi
