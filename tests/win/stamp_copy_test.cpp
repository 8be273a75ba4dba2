// Copying the active stamp from the icon, the hotkey or the settings window:
// what the user is told when nothing reached the clipboard, and that the
// clipboard then keeps what it had.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "app/app_windows_win.h"
#include "dates/era_table.h"
#include "output/bitmap_output_win.h"
#include "output/halve_win.h"
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
