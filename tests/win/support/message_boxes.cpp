#include "support/message_boxes.h"

#include <windows.h>

namespace markomi::testing {
namespace {

constexpr wchar_t kAnsweredProperty[] = L"Markomi2Test.Answered";
constexpr int kMessageBoxTextId = 0xFFFF;  // the static that holds a message box's text

std::vector<SeenMessageBox>* g_seen = nullptr;
int g_answer = IDOK;

std::wstring item_text(HWND window, int id) {
    wchar_t text[2000] = L"";
    if (id == 0)
        GetWindowTextW(window, text, 2000);
    else
        GetDlgItemTextW(window, id, text, 2000);
    return text;
}

void CALLBACK answer_boxes(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM out) -> BOOL {
        wchar_t name[16] = L"";
        GetClassNameW(w, name, 16);
        if (IsWindowVisible(w) && lstrcmpW(name, L"#32770") == 0 && !GetPropW(w, kAnsweredProperty)) {
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&box));
    if (!box || !g_seen) return;
    SetPropW(box, kAnsweredProperty, reinterpret_cast<HANDLE>(1));
    g_seen->push_back(SeenMessageBox{item_text(box, 0), item_text(box, kMessageBoxTextId)});
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(g_answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, g_answer)));
}

}  // namespace

std::vector<SeenMessageBox> answering_message_boxes(const std::function<void()>& action,
                                                    int answer) {
    std::vector<SeenMessageBox> seen;
    g_seen = &seen;
    g_answer = answer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, answer_boxes);
    action();
    KillTimer(nullptr, timer);
    g_seen = nullptr;
    return seen;
}

}  // namespace markomi::testing
