#pragma once
// Message boxes the code under test shows on the test's own thread: noted
// and answered from inside their modal loops, so a test can run the code
// and then look at what the user would have been told.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace markomi::testing {

struct SeenMessageBox {
    std::wstring title;
    std::wstring text;
};

// Runs `action`; every dialog window (#32770) of this thread that is
// activated meanwhile is noted and answered with the button `answer`. Boxes
// still open after `action` returned cannot be, since they are modal.
std::vector<SeenMessageBox> answering_message_boxes(const std::function<void()>& action,
                                                    int answer = 1 /* IDOK */);

// The first visible dialog window (#32770) of this thread, or null: for
// timers that drive a modal dialog from inside its own loop.
HWND visible_thread_dialog();

}  // namespace markomi::testing
