// Copying the active stamp from the icon, the hotkey or the settings window:
// the format a Ctrl held elsewhere picks, what the user is told when nothing
// reached the clipboard, and that the clipboard then keeps what it had.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "app/app_windows_win.h"
#include "dates/era_table.h"
#include "output/raster/bitmap_output_win.h"
#include "output/raster/halve_win.h"
#include "render/measure_cache.h"
#include "render/surfaces_gdiplus.h"
#include "settings/settings_record.h"
#include "support/clipboard_text.h"
#include "support/message_boxes.h"

namespace markomi {
namespace {

namespace t = testing;

class StampCopy : public ::testing::Test {
protected:
    void SetUp() override {
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        g_settings = SettingsSet{};
        g_settings.global.format = u"B";
        // The clipboard's owner; with none, Windows refuses the data.
        g_main_window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    }
    void TearDown() override {
        if (g_main_window) DestroyWindow(g_main_window);
        g_main_window = nullptr;
        release_surfaces();
    }
};

// Another program holding the clipboard open: a thread of its own here, so
// that the clipboard is really someone else's.
class ClipboardHolder {
public:
    ClipboardHolder()
        : opened_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this] {
            held_ = OpenClipboard(nullptr) != FALSE;
            SetEvent(opened_);
            WaitForSingleObject(release_, 10000);
            if (held_) CloseClipboard();
        });
        WaitForSingleObject(opened_, 10000);
    }
    ~ClipboardHolder() {
        SetEvent(release_);
        thread_.join();
        CloseHandle(opened_);
        CloseHandle(release_);
    }
    bool held() const { return held_; }

private:
    HANDLE opened_;
    HANDLE release_;
    bool held_ = false;
    std::thread thread_;
};

TEST_F(StampCopy, ABusyClipboardAndAStampThatWasNotMadeAreToldApart) {
    ASSERT_TRUE(t::put_text_on_clipboard(L"前の内容"));
    std::vector<t::SeenMessageBox> busy;
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.held());
        busy = t::answering_message_boxes([] { EXPECT_FALSE(copy_active_stamp()); });
    }
    ASSERT_EQ(busy.size(), 1u);
    EXPECT_EQ(busy[0].title, L"マルコミ２");
    EXPECT_NE(busy[0].text.find(L"他のプログラム"), std::wstring::npos) << busy[0].text;
    EXPECT_EQ(t::clipboard_text(), L"前の内容");

    // A slot that cannot be drawn, as bitmap and as metafile.
    g_settings.global.active = kSlotCount;
    for (const char16_t* format : {u"B", u"M"}) {
        g_settings.global.format = format;
        const std::vector<t::SeenMessageBox> failed =
            t::answering_message_boxes([] { EXPECT_FALSE(copy_active_stamp()); });
        ASSERT_EQ(failed.size(), 1u);
        EXPECT_EQ(failed[0].title, L"マルコミ２");
        EXPECT_NE(failed[0].text.find(L"印影を作成できなかった"), std::wstring::npos) << failed[0].text;
        EXPECT_EQ(failed[0].text.find(L"他のプログラム"), std::wstring::npos);
        EXPECT_EQ(t::clipboard_text(), L"前の内容");
    }

    // And the good case says nothing.
    g_settings.global.active = 0;
    g_settings.global.format = u"B";
    EXPECT_TRUE(t::answering_message_boxes([] { EXPECT_TRUE(copy_active_stamp()); }).empty());
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    CloseClipboard();
}

bool clipboard_has(UINT format) {
    if (!OpenClipboard(nullptr)) return false;
    const bool has = IsClipboardFormatAvailable(format) != 0;
    CloseClipboard();
    return has;
}

void press_ctrl(bool down) {
    keybd_event(VK_CONTROL, static_cast<BYTE>(MapVirtualKeyW(VK_CONTROL, MAPVK_VK_TO_VSC)),
                down ? 0 : KEYEVENTF_KEYUP, 0);
}

// Presses Ctrl until the system reports it held: under Wine the X server's
// keyboard state, sent when the pointer enters a window, can take back a
// key that only synthetic input pressed.
bool hold_ctrl() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        press_ctrl(true);
        if (GetAsyncKeyState(VK_CONTROL) & 0x8000) return true;
        Sleep(50);
    }
    return false;
}

// Suite named Desktop...: it presses a real key and clicks.
class DesktopStampCopy : public StampCopy {};

// Ctrl held while the icon is clicked: the key goes to whichever window has
// the keyboard focus, and this thread does not read it; the stamp must still
// come out in the other format. The icon's click waits unread on a window of
// this thread while the stamp is made, and this thread's own key state then
// knows nothing of the key (on Windows it never does for a key the thread
// did not read), so reading that state would miss the Ctrl.
TEST_F(DesktopStampCopy, CtrlHeldElsewhereGivesTheOtherFormat) {
    HWND icon = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"STATIC", L"",
                                WS_POPUP | SS_NOTIFY, 700, 400, 60, 60, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(icon, nullptr);
    ShowWindow(icon, SW_SHOWNOACTIVATE);
    SetCursorPos(730, 430);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    // The high word: what the queue holds now.
    auto click_waiting = [] {
        return (HIWORD(GetQueueStatus(QS_MOUSEBUTTON)) & QS_MOUSEBUTTON) != 0;
    };
    for (int i = 0; i < 200 && !click_waiting(); ++i) Sleep(10);
    ASSERT_TRUE(click_waiting()) << "the click did not reach the window of this thread";

    g_settings.global.format = u"B";
    const bool held = hold_ctrl();
    const bool copied = held && copy_active_stamp();
    press_ctrl(false);
    MSG msg;
    while (PeekMessageW(&msg, icon, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    DestroyWindow(icon);
    ASSERT_TRUE(held) << "the system did not take the Ctrl key";
    ASSERT_TRUE(copied);
    EXPECT_TRUE(clipboard_has(CF_ENHMETAFILE));
    EXPECT_FALSE(clipboard_has(CF_BITMAP));

    // Released: the format of the settings again.
    ASSERT_TRUE(copy_active_stamp());
    EXPECT_TRUE(clipboard_has(CF_BITMAP));
    EXPECT_FALSE(clipboard_has(CF_ENHMETAFILE));
}

TEST_F(StampCopy, AWorkBitmapThatCannotBeReadGivesNoBitmap) {
    HDC screen = GetDC(nullptr);
    HBITMAP work = CreateCompatibleBitmap(screen, 40, 40);
    ASSERT_NE(work, nullptr);
    DeleteObject(work);  // now unreadable
    const std::vector<std::uint32_t> half = halved_pixels(screen, work, 40, 40, 0, 0, 40, 40);
    EXPECT_TRUE(half.empty());
    // No uninitialised bitmap that would go to the clipboard as the stamp.
    HBITMAP made = bitmap_from_pixels(screen, half, 20, 20);
    EXPECT_EQ(made, nullptr);
    if (made) DeleteObject(made);
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace markomi
