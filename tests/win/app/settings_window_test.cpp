// Whole-program drives of the stamp settings window of Markomi2.exe in normal
// mode: the menu bar, typing and OK, and stamping by dragging the preview
// onto a window of this test process with the real mouse.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/support/program_driver.h"
#include "app/support/target_document.h"
#include "support/test_files.h"

namespace {

namespace t = markomi::testing;

constexpr wchar_t kSettingsTitle[] = L"マルコミ２　設定画面";
// Inside the preview box at any font size the window uses: the box starts
// at 4.2 by 1.1 characters and is at least 30 characters wide.
constexpr POINT kOnPreview{90, 100};

bool saved_line(const wchar_t* line) {
    for (const auto& l : t::split_lines(t::utf16_file_text(t::settings_file())))
        if (l == line) return true;
    return false;
}

void move_to(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    t::pump_messages(60);
}

class DesktopSettingsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        t::end_all_copies();
        t::remove_tree(t::settings_folder());
        t::g_target_log = t::TargetLog{};
        t::put_text_on_clipboard(L"marker");
    }
    void TearDown() override {
        if (target_) DestroyWindow(target_);
        t::close_program(program_);
        t::end_all_copies();
        t::remove_tree(t::settings_folder());
    }

    // Starts the program in normal mode; its face is the settings window.
    HWND start(const std::wstring& settings = L"") {
        EXPECT_TRUE(t::write_settings(L"STATIONTYPE=0\r\n" + settings));
        program_ = t::start_program();
        main_ = t::wait_for_main_window(program_.pid);
        settings_ = t::wait_for_window(
            [&] { return t::find_program_window(program_.pid, L"MARKOMI2CHILD", kSettingsTitle); });
        if (settings_) sheet_ = FindWindowExW(settings_, nullptr, L"MARKOMI2TABSHEET", nullptr);
        t::pump_messages(300);
        return settings_;
    }
    POINT sheet_point(POINT p) {
        ClientToScreen(sheet_, &p);
        return p;
    }
    // Presses on the preview, drags in steps to `to` and releases there.
    void drag_to(POINT to, bool right) {
        const POINT from = sheet_point(kOnPreview);
        move_to(from);
        mouse_event(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        t::pump_messages(100);
        for (int step = 1; step <= 8; ++step)
            move_to(POINT{from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8});
        mouse_event(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
    bool ended(DWORD wait_ms) { return t::has_exited(program_, wait_ms); }

    t::Program program_;
    HWND main_ = nullptr;
    HWND settings_ = nullptr;
    HWND sheet_ = nullptr;
    HWND target_ = nullptr;
};

TEST_F(DesktopSettingsWindow, NormalModeOpensTheWindowWithTheMenuBar) {
    ASSERT_NE(start(L"ACTIVE=3\r\n"), nullptr);
    ASSERT_NE(sheet_, nullptr);
    // The menu bar of normal mode (its items: the resource tests; this
    // Wine keeps menus inside their process).
    EXPECT_NE(GetMenu(settings_), nullptr);
    RECT r{};
    GetWindowRect(settings_, &r);
    t::save_screen_artifact(r, L"settings-window-normal-mode");

    // "環境設定" hands over to the preferences window, saving on the way.
    PostMessageW(settings_, WM_COMMAND, 113, 0);
    HWND preferences = t::wait_for_window(
        [&] { return t::find_program_window(program_.pid, L"MARKOMI2CHILD", L"マルコミ２ 環境設定"); });
    EXPECT_NE(preferences, nullptr);
    EXPECT_FALSE(IsWindow(settings_));
    EXPECT_TRUE(saved_line(L"ACTIVE=3"));
}

TEST_F(DesktopSettingsWindow, TypedTextAndOkGiveTheStampAndTheSavedFile) {
    ASSERT_NE(start(L"FORMAT=B\r\n"), nullptr);
    HWND busho = GetDlgItem(sheet_, 119);
    ASSERT_NE(busho, nullptr);
    RECT box{};
    GetWindowRect(busho, &box);
    t::click_at(POINT{box.left + 5, (box.top + box.bottom) / 2});
    t::pump_messages(200);
    t::press_keys({VK_END});
    t::press_keys({VK_BACK});
    t::press_keys({VK_BACK});
    t::press_keys({VK_BACK});
    for (BYTE k : {'Q', 'A'}) t::press_keys({k});
    t::pump_messages(300);

    RECT ok{};
    GetWindowRect(GetDlgItem(sheet_, 121), &ok);
    t::click_at(POINT{(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2});
    ASSERT_TRUE(ended(15000));
    EXPECT_EQ(t::clipboard_format_now(), static_cast<UINT>(CF_BITMAP));
    EXPECT_TRUE(saved_line(L"BUSHO=qa")) << t::utf16_file_text(t::settings_file());
}

TEST_F(DesktopSettingsWindow, DraggingThePreviewOntoAnotherWindowStampsThere) {
    ASSERT_NE(start(L"FORMAT=M\r\n"), nullptr);
    target_ = t::create_target(RECT{40, 40, 560, 340});
    SetWindowPos(settings_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    t::pump_messages(300);

    const POINT drop{300, 200};
    drag_to(drop, false);
    for (int i = 0; i < 100 && t::g_target_log.pastes.empty(); ++i) t::pump_messages(50);

    POINT expected = drop;
    ScreenToClient(target_, &expected);
    ASSERT_FALSE(t::g_target_log.clicks.empty());
    EXPECT_EQ(t::g_target_log.clicks.back().x, expected.x);
    EXPECT_EQ(t::g_target_log.clicks.back().y, expected.y);
    ASSERT_EQ(t::g_target_log.pastes.size(), 1u);
    EXPECT_TRUE(t::g_target_log.pastes[0].metafile);
    EXPECT_EQ(t::g_target_log.pastes[0].clipboard_owner, main_);
    EXPECT_FALSE(ended(0));

    // The right button takes the other format for that one stamp.
    t::g_target_log = t::TargetLog{};
    SetWindowPos(settings_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    t::pump_messages(300);
    drag_to(POINT{400, 250}, true);
    for (int i = 0; i < 100 && t::g_target_log.pastes.empty(); ++i) t::pump_messages(50);
    ASSERT_EQ(t::g_target_log.pastes.size(), 1u);
    EXPECT_TRUE(t::g_target_log.pastes[0].bitmap);
    EXPECT_FALSE(t::g_target_log.pastes[0].metafile);

    // FORMAT itself never changed.
    PostMessageW(settings_, WM_COMMAND, 116, 0);
    ASSERT_TRUE(ended(15000));
    EXPECT_TRUE(saved_line(L"FORMAT=M")) << t::utf16_file_text(t::settings_file());
}

TEST_F(DesktopSettingsWindow, ADropInsideTheSettingsWindowLeavesEverythingAlone) {
    ASSERT_NE(start(), nullptr);
    target_ = t::create_target(RECT{40, 40, 560, 340});
    SetWindowPos(settings_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    t::pump_messages(300);
    RECT window{};
    GetWindowRect(settings_, &window);
    // Below the OK button, beside the preview: inside, not on the preview.
    drag_to(POINT{window.right - 30, window.bottom - 12}, false);
    t::pump_messages(1500);
    EXPECT_TRUE(t::g_target_log.clicks.empty());
    EXPECT_TRUE(t::g_target_log.pastes.empty());
    EXPECT_EQ(t::clipboard_text(), L"marker");
    EXPECT_FALSE(ended(0));
}

}  // namespace
