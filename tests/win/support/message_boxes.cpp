#include "support/message_boxes.h"

#include <windows.h>

#include <algorithm>

namespace markomi::testing {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;  // the static that holds a message box's text

std::vector<SeenMessageBox>* g_seen = nullptr;
std::vector<HWND> g_answered;
int g_answer = IDOK;

std::wstring item_text(HWND window, int id) {
    wchar_t text[2000] = L"";
    if (id == 0)
        GetWindowTextW(window, text, 2000);
    else
        GetDlgItemTextW(window, id, text, 2000);
    return text;
}

// A message box is activated once it is built: its title and text are
// there to read, and the answer posted now ends its modal loop.
LRESULT CALLBACK answer_box(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && g_seen) {
        HWND box = reinterpret_cast<HWND>(wparam);
        wchar_t name[16] = L"";
        GetClassNameW(box, name, 16);
        if (lstrcmpW(name, L"#32770") == 0 &&
            std::find(g_answered.begin(), g_answered.end(), box) == g_answered.end()) {
            g_answered.push_back(box);
            g_seen->push_back(SeenMessageBox{item_text(box, 0), item_text(box, kMessageBoxTextId)});
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(g_answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, g_answer)));
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

std::vector<SeenMessageBox> answering_message_boxes(const std::function<void()>& action,
                                                    int answer) {
    std::vector<SeenMessageBox> seen;
    g_seen = &seen;
    g_answered.clear();
    g_answer = answer;
    HHOOK hook = SetWindowsHookExW(WH_CBT, answer_box, nullptr, GetCurrentThreadId());
    action();
    if (hook) UnhookWindowsHookEx(hook);
    g_seen = nullptr;
    return seen;
}

HWND visible_thread_dialog() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM out) -> BOOL {
        wchar_t name[16] = L"";
        GetClassNameW(w, name, 16);
        if (IsWindowVisible(w) && lstrcmpW(name, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

}  // namespace markomi::testing
