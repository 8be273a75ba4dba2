#pragma once
// One dialog flow of the program at a time. Its dialogs keep the owner
// window disabled, but a command can still come while one is open (the
// notification icon's menu, a message posted to the main window), and two
// common file dialogs open at once crash the program in their clean-up.
#include <windows.h>

namespace markomi {

// Held for the whole of a flow (a file dialog and the questions after it).
// Made while another flow is open, it brings that flow's dialog forward and
// is not entered: the caller returns at once.
class ModalFlow {
public:
    ModalFlow();
    ~ModalFlow();
    ModalFlow(const ModalFlow&) = delete;
    ModalFlow& operator=(const ModalFlow&) = delete;
    bool entered() const { return entered_; }

private:
    bool entered_ = false;
};

// Whether a flow is open; when one is, its dialog is brought forward.
bool bring_open_flow_forward();

}  // namespace markomi
