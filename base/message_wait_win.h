#pragma once
// Waits of a thread that owns windows. Other programs send it messages and
// wait for the answer: a program pasting a format offered for later making
// (WM_RENDERFORMAT, while it holds the clipboard), the end of the session,
// the installer's WM_DESTROY. A Sleep or a plain wait answers none of them
// and holds every such sender up until it ends.
#include <windows.h>

namespace markomi {

// Answers the messages that other threads have sent to this thread's
// windows and are waiting on; posted messages and input stay queued.
void deliver_sent_messages();

enum class WaitEnd { kSignalled, kTimedOut, kFailed };

// Waits up to `timeout_ms` for `object` (only for the time when null) while
// answering sent messages as they come. With `paint`, this thread's windows
// go on painting too; no other posted message or input is taken.
WaitEnd wait_answering_sent_messages(HANDLE object, DWORD timeout_ms, bool paint = false);

}  // namespace markomi
