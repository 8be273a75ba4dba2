#pragma once
// A window of the test program that plays the document the stamp is pasted
// into, the user's mouse and keys, and the clipboard as a test reads it.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/clipboard_text.h"

namespace markomi::testing {

struct Paste {
    bool metafile = false;
    bool bitmap = false;
    HWND clipboard_owner = nullptr;
};

struct TargetLog {
    std::vector<POINT> clicks;  // client coordinates
    std::vector<Paste> pastes;
};
// What the target saw since it was last cleared.
extern TargetLog g_target_log;

// A visible top-level target window at `r`, in the foreground.
HWND create_target(const RECT& r);

// A click at a screen point by synthetic input.
void click_at(POINT screen, bool right = false);
// Presses the keys in order and releases them in reverse.
void press_keys(std::initializer_list<BYTE> keys);

// CF_ENHMETAFILE or CF_BITMAP when a stamp is on the clipboard, the text
// format when text is, else 0.
UINT clipboard_format_now();

}  // namespace markomi::testing
