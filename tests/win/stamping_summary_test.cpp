// The summary at the end of a stamping: on its owner, with the keyboard on
// 閉じる, telling the refused document's reason.
#include <gtest/gtest.h>

#include "support/message_boxes.h"
#include "support/resident_windows.h"
#include "ui/stamping_summary_win.h"

namespace markomi {
namespace {

namespace t = markomi::testing;

struct Seen {
    bool found = false, focus_on_close = false, open_enabled = false;
    POINT centre{};
    std::wstring text;
};
Seen g_seen;

void CALLBACK look_and_close(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = t::visible_thread_dialog();
    if (!dialog || g_seen.found) return;
    g_seen.found = true;
    g_seen.focus_on_close = GetFocus() == GetDlgItem(dialog, IDOK);
    g_seen.open_enabled = IsWindowEnabled(GetDlgItem(dialog, 302)) != FALSE;
    g_seen.text = t::window_text(GetDlgItem(dialog, 301));
    RECT r{};
    GetWindowRect(dialog, &r);
    g_seen.centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    t::capture_window(dialog, L"stamping-summary");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST(StampingSummary, SitsOnItsOwnerWithTheKeyboardOnCloseAndTellsWhy) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE | WS_CAPTION, 40, 60,
                                 900, 700, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    PdfStampReply stamped, refused;
    stamped.stamped = true;
    stamped.pages = {1};
    refused.refusal = PdfRefusal::kOutputLocked;
    g_seen = Seen{};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, look_and_close);
    show_stamping_summary(owner, {u"C:\\受付\\a.pdf", u"C:\\受付\\b.pdf"},
                          {u"C:\\受付\\a_捺印.pdf", u"C:\\受付\\b_捺印.pdf"}, {stamped, refused});
    KillTimer(nullptr, timer);
    DestroyWindow(owner);
    ASSERT_TRUE(g_seen.found);
    EXPECT_TRUE(g_seen.focus_on_close);
    EXPECT_TRUE(g_seen.open_enabled);
    EXPECT_NEAR(g_seen.centre.x, 40 + 450, 2);
    EXPECT_NEAR(g_seen.centre.y, 60 + 350, 2);
    EXPECT_NE(
        g_seen.text.find(
            L"・b.pdf → C:\\受付\\b_捺印.pdf\r\n　ほかのプログラムが保存先のファイルを開いている"),
        std::wstring::npos);
}

}  // namespace
}  // namespace markomi
