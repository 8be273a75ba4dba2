// The about box in the settings host window, and the key filter of its
// button, driven in-process under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <string>

#include "app/app_windows_win.h"
#include "base/process_globals_win.h"
#include "settings/settings_record.h"
#include "support/resident_windows.h"
#include "ui/button_keys_win.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"
#include "ui/window_layouts.h"

namespace markomi {
namespace {

namespace t = testing;

constexpr COLORREF kLinkColour = RGB(2, 34, 216);

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override {
        t::register_resident_window_classes();
        g_instance = GetModuleHandleW(nullptr);
        g_current_dpi = 96;
        g_settings = SettingsSet{};
        g_settings.global.station_type = 1;
        g_host_position = POINT{-1, -1};
        g_window_fonts.menu_bar_height = 0;
        g_main_window = t::create_recording_window();
        t::recorded_commands().clear();
        // Away from Wine's tray window in the top-left corner.
        SetCursorPos(1400, 800);
    }
    void TearDown() override {
        if (g_host_window) DestroyWindow(g_host_window);
        if (g_main_window) DestroyWindow(g_main_window);
        g_host_window = nullptr;
        g_main_window = nullptr;
        t::pump_messages();
    }

    // What the main window does for command 115.
    HWND open_about_box() { return t::open_host_window_for_test(); }

    // Opens the box with the pointer at `wanted`; `used` gets where it was.
    // The tests run in parallel on one desktop and share the pointer: when
    // it moved while the box was made, the box is made again.
    HWND open_about_box_at(POINT wanted, POINT* used) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            SetCursorPos(wanted.x, wanted.y);
            POINT before{}, after{};
            GetCursorPos(&before);
            HWND host = open_about_box();
            GetCursorPos(&after);
            if (host && before.x == after.x && before.y == after.y) {
                *used = before;
                return host;
            }
            if (host) DestroyWindow(host);
        }
        return nullptr;
    }

    HWND ok_button(HWND host) { return GetDlgItem(host, 145); }

    // Rows 1 to 6 measured here with the about font, as a reader would.
    std::array<LayoutSize, kAboutRowCount> measured_rows(HWND host) {
        std::array<LayoutSize, kAboutRowCount> rows;
        std::vector<HWND> statics = t::children_of_class(host, L"Static");
        HDC dc = GetDC(host);
        HGDIOBJ old = SelectObject(dc, g_about_fonts.normal);
        for (size_t i = 0; i < rows.size() && i < statics.size(); ++i) {
            std::wstring text = t::window_text(statics[i]);
            SIZE s{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
            rows[i] = LayoutSize{s.cx, s.cy};
        }
        SelectObject(dc, old);
        ReleaseDC(host, dc);
        return rows;
    }

    TEXTMETRICW about_font_metrics(HWND host) {
        TEXTMETRICW tm{};
        HDC dc = GetDC(host);
        HGDIOBJ old = SelectObject(dc, g_about_fonts.normal);
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(host, dc);
        return tm;
    }
};

int font_height(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf.lfHeight;
}

SIZE window_size(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

TEST_F(AboutBox, CharacterHeightAndSizeFollowExpandAndDpi) {
    struct Case {
        int dpi, expand, height;
    };
    SIZE previous{0, 0};
    for (const Case& c : {Case{96, 0, 17}, Case{96, 1, 19}, Case{144, 0, 25}, Case{144, 1, 28}}) {
        SCOPED_TRACE(::testing::Message() << c.dpi << " dpi, EXPAND " << c.expand);
        g_current_dpi = c.dpi;
        g_settings.global.expand = c.expand;
        HWND host = open_about_box();
        ASSERT_TRUE(host);
        EXPECT_EQ(g_host_window, host);
        EXPECT_EQ(font_height(g_about_fonts.normal), -c.height);
        EXPECT_EQ(font_height(g_about_fonts.underlined), -c.height);
        HWND link = GetDlgItem(host, 155);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)),
                  g_about_fonts.underlined);

        const TEXTMETRICW tm = about_font_metrics(host);
        const int a = tm.tmAveCharWidth;
        const int l = tm.tmHeight + tm.tmExternalLeading;
        const AboutBoxLayout expected = about_box_layout(a, l, measured_rows(host));
        const SIZE size = window_size(host);
        EXPECT_EQ(size.cx, expected.window.width);
        EXPECT_EQ(size.cy, expected.window.height);
        const RECT button = t::child_rect(ok_button(host));
        EXPECT_EQ(button.left, expected.button.x);
        EXPECT_EQ(button.top, expected.button.y);
        EXPECT_EQ(button.right - button.left, expected.button.width);
        EXPECT_EQ(button.bottom - button.top, expected.button.height);
        // The author line, the longest, still ends inside the box.
        RECT client{};
        GetClientRect(host, &client);
        EXPECT_LE(t::child_rect(t::children_of_class(host, L"Static").back()).right, client.right);
        // Larger characters, larger box.
        EXPECT_GT(size.cx, previous.cx);
        EXPECT_GT(size.cy, previous.cy);
        if (c.dpi == 96) previous = size;
        DestroyWindow(host);
        EXPECT_EQ(g_host_window, nullptr);
    }
}

TEST_F(AboutBox, ShowsItsRowsTheLinkAndTheButton) {
    HWND host = open_about_box();
    ASSERT_TRUE(host);
    EXPECT_EQ(t::window_text(host), L"マルコミ２ について");

    std::vector<HWND> rows = t::children_of_class(host, L"Static");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(t::window_text(rows[0]), L"マルコミ２ Ver1.5");
    EXPECT_FALSE(t::window_text(rows[1]).empty());
    EXPECT_FALSE(t::window_text(rows[2]).empty());
    const std::wstring author = t::window_text(rows[3]);
    ASSERT_FALSE(author.empty());
    EXPECT_EQ(author.back(), L'（');
    EXPECT_NE(t::window_text(rows[4]).find(L'@'), std::wstring::npos);
    EXPECT_EQ(t::window_text(rows[5]), L"）");

    // Each static is as large as its text; rows 4 to 6 form one line.
    const std::array<LayoutSize, kAboutRowCount> measured = measured_rows(host);
    for (size_t i = 0; i < rows.size(); ++i) {
        const RECT r = t::child_rect(rows[i]);
        EXPECT_EQ(r.right - r.left, measured[i].width) << "row " << i + 1;
        EXPECT_EQ(r.bottom - r.top, measured[i].height) << "row " << i + 1;
    }
    // Everything fits in the box: the author line is the longest line of
    // all, yet must end inside it.
    RECT client{};
    GetClientRect(host, &client);
    for (size_t i = 0; i < rows.size(); ++i) {
        const RECT r = t::child_rect(rows[i]);
        EXPECT_LE(r.right, client.right) << "row " << i + 1;
        EXPECT_LE(r.bottom, client.bottom) << "row " << i + 1;
    }
    const RECT author_rect = t::child_rect(rows[3]);
    const RECT link_rect = t::child_rect(rows[4]);
    const RECT close_rect = t::child_rect(rows[5]);
    EXPECT_EQ(link_rect.top, author_rect.top);
    EXPECT_EQ(close_rect.top, author_rect.top);
    EXPECT_EQ(link_rect.left, author_rect.right);
    EXPECT_EQ(close_rect.left, link_rect.right);

    // The address is the link: it notifies, and only it gets the link colour.
    EXPECT_EQ(GetDlgCtrlID(rows[4]), 155);
    EXPECT_TRUE(GetWindowLongW(rows[4], GWL_STYLE) & SS_NOTIFY);
    HDC dc = CreateCompatibleDC(nullptr);
    LRESULT brush = SendMessageW(host, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(rows[4]));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetTextColor(dc), kLinkColour);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    EXPECT_EQ(SendMessageW(host, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(rows[0])),
              0);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    DeleteDC(dc);

    HWND button = ok_button(host);
    ASSERT_TRUE(button);
    EXPECT_EQ(t::window_text(button), L"Ｏ Ｋ");
    EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetFocus(), button);

    // Only the button closes the box: the system menu's close item is off.
    const UINT close_state = GetMenuState(GetSystemMenu(host, FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_NE(close_state, static_cast<UINT>(-1));
    EXPECT_TRUE(close_state & MF_GRAYED);

    t::pump_messages();
    std::wstring path;
    const t::Capture shot = t::capture_window(host, L"about_box", &path);
    std::wcout << L"about box screenshot: " << path << std::endl;
    // The link's colour is on screen.
    bool link_drawn = false;
    for (std::uint32_t px : shot.pixels)
        if (px == 0x0222D8) link_drawn = true;
    EXPECT_TRUE(link_drawn);
}

TEST_F(AboutBox, OpensLeftOfAndAboveTheCursorInResidentMode) {
    g_window_fonts.menu_bar_height = 19;
    POINT cursor{};
    HWND host = open_about_box_at(POINT{1500, 900}, &cursor);
    ASSERT_TRUE(host);
    const TEXTMETRICW tm = about_font_metrics(host);
    const int a = tm.tmAveCharWidth;
    const int l = tm.tmHeight + tm.tmExternalLeading;
    AboutAnchor anchor;
    anchor.cursor = LayoutPoint{cursor.x, cursor.y};
    anchor.menu_bar_height = 19;
    anchor.horizontal_taskbar_margin = horizontal_taskbar_margin();
    anchor.vertical_taskbar_margin = vertical_taskbar_margin();
    const LayoutPoint expected =
        about_box_resident_position(about_box_layout(a, l, measured_rows(host)), a, l, anchor);
    RECT r{};
    GetWindowRect(host, &r);
    EXPECT_EQ(r.left, expected.x);
    EXPECT_EQ(r.top, expected.y);
    EXPECT_LT(r.left, cursor.x);
    EXPECT_LT(r.top, cursor.y);
}

TEST_F(AboutBox, NearTheTopLeftCornerOpensBesideTheCursor) {
    g_window_fonts.menu_bar_height = 19;
    POINT cursor{};
    HWND host = open_about_box_at(POINT{300, 150}, &cursor);
    ASSERT_TRUE(host);
    const TEXTMETRICW tm = about_font_metrics(host);
    const int a = tm.tmAveCharWidth;
    const int l = tm.tmHeight + tm.tmExternalLeading;
    RECT r{};
    GetWindowRect(host, &r);
    EXPECT_EQ(r.left, std::max<int>(cursor.x, horizontal_taskbar_margin()) + 2 * a);
    EXPECT_EQ(r.top, std::max<int>(cursor.y, vertical_taskbar_margin()) + 2 * l);
}

TEST_F(AboutBox, NormalModeOpensAtTheRememberedPosition) {
    g_settings.global.station_type = 0;
    g_host_position = POINT{420, 310};
    HWND host = open_about_box();
    ASSERT_TRUE(host);
    RECT r{};
    GetWindowRect(host, &r);
    EXPECT_EQ(r.left, 420);
    EXPECT_EQ(r.top, 310);
}

// A key press as it reaches the focused button: key down, the character
// TranslateMessage makes of it, key up. Sent to the button itself rather
// than typed: the Windows tests run in parallel on one desktop, and typed
// keys go to whichever window is in front at that moment.
void press_key(HWND button, WPARAM vk, wchar_t character) {
    SendMessageW(button, WM_KEYDOWN, vk, 1);
    SendMessageW(button, WM_CHAR, character, 1);
    SendMessageW(button, WM_KEYUP, vk, 0xC0000001);
}

TEST_F(AboutBox, EnterOrSpaceOnTheButtonClosesIt) {
    // Normal mode: the stamp settings window is asked back (command 111).
    g_settings.global.station_type = 0;
    HWND host = open_about_box();
    ASSERT_TRUE(host);
    HWND button = ok_button(host);
    ASSERT_EQ(GetFocus(), button);
    // The button's own press-and-release click on Space is filtered out:
    // the key messages alone, without their character, do nothing.
    SendMessageW(button, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(button, WM_KEYUP, VK_SPACE, 0xC0000001);
    SendMessageW(button, WM_CHAR, L'\t', 1);
    t::pump_messages();
    ASSERT_TRUE(IsWindow(host));
    EXPECT_EQ(t::commands_with_id(kCmdStampSettings), 0);

    // A plain button ignores Enter; the filtered one clicks.
    press_key(button, VK_RETURN, L'\r');
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);
    t::pump_messages();
    ASSERT_EQ(t::commands_with_id(kCmdStampSettings), 1);
    EXPECT_EQ(t::recorded_commands().back().window, g_main_window);
    EXPECT_EQ(t::recorded_commands().back().wparam, static_cast<WPARAM>(kCmdStampSettings));

    // Resident mode: Space closes it, once, and nothing else opens.
    g_settings.global.station_type = 1;
    t::recorded_commands().clear();
    host = open_about_box();
    ASSERT_TRUE(host);
    ASSERT_EQ(GetFocus(), ok_button(host));
    press_key(ok_button(host), VK_SPACE, L' ');
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);
    t::pump_messages();
    EXPECT_TRUE(t::recorded_commands().empty());
}

TEST_F(AboutBox, EscapeClosesItAsTheButtonDoes) {
    // Normal mode: as the button, the stamp settings window is asked back
    // (the close request would end the program instead).
    g_settings.global.station_type = 0;
    HWND host = open_about_box();
    ASSERT_TRUE(host);
    ASSERT_EQ(GetFocus(), ok_button(host));
    press_key(ok_button(host), VK_ESCAPE, 0x1B);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);
    EXPECT_TRUE(IsWindow(g_main_window));
    t::pump_messages();
    EXPECT_EQ(t::commands_with_id(kCmdStampSettings), 1);

    // Resident mode, with the box itself focused.
    g_settings.global.station_type = 1;
    t::recorded_commands().clear();
    host = open_about_box();
    ASSERT_TRUE(host);
    SetFocus(host);
    SendMessageW(host, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(IsWindow(host));
    t::pump_messages();
    EXPECT_TRUE(t::recorded_commands().empty());
}

TEST_F(AboutBox, CloseMessageFollowsTheHostWindowRule) {
    HWND host = open_about_box();
    ASSERT_TRUE(host);
    SendMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);
    EXPECT_TRUE(IsWindow(g_main_window));  // resident: the program goes on

    g_settings.global.station_type = 0;
    host = open_about_box();
    ASSERT_TRUE(host);
    HWND main_window = g_main_window;
    SendMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(IsWindow(main_window));  // normal: the program ends
    g_main_window = nullptr;
}

TEST(ButtonKeyFilter, ClicksOnEnterAndSpaceCharactersOnly) {
    HWND parent = t::create_recording_window();
    HWND target = t::create_recording_window();
    ASSERT_TRUE(parent && target);
    auto make_button = [parent](int id) {
        return CreateWindowExW(0, L"BUTTON", L"押す", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10,
                               80, 24, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               nullptr, nullptr);
    };

    // Unfiltered, a Space press and release clicks the button: what the
    // filter must prevent.
    HWND plain = make_button(1);
    t::recorded_commands().clear();
    SendMessageW(plain, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(plain, WM_KEYUP, VK_SPACE, 0xC0000001);
    ASSERT_EQ(t::recorded_commands().size(), 1u);
    EXPECT_EQ(t::recorded_commands()[0].wparam, MAKEWPARAM(1, BN_CLICKED));

    HWND button = make_button(2);
    install_button_key_filter(button, target, 777);
    t::recorded_commands().clear();
    SendMessageW(button, WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    SendMessageW(button, WM_KEYUP, VK_SPACE, 0xC0000001);
    SendMessageW(button, WM_CHAR, L'\t', 1);
    SendMessageW(button, WM_CHAR, L'a', 1);
    EXPECT_TRUE(t::recorded_commands().empty());

    SendMessageW(button, WM_CHAR, L'\r', 1);
    SendMessageW(button, WM_CHAR, L' ', 1);
    ASSERT_EQ(t::recorded_commands().size(), 2u);
    for (const t::RecordedCommand& c : t::recorded_commands()) {
        EXPECT_EQ(c.window, target);
        EXPECT_EQ(c.wparam, MAKEWPARAM(777, BN_CLICKED));
        EXPECT_EQ(c.lparam, reinterpret_cast<LPARAM>(button));
    }

    // Everything else still reaches the button.
    SetWindowTextW(button, L"閉じる");
    EXPECT_EQ(t::window_text(button), L"閉じる");
    SendMessageW(button, BM_SETSTATE, TRUE, 0);
    EXPECT_TRUE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);

    // The filter goes with the button; a second filter is not stacked.
    install_button_key_filter(button, target, 778);
    t::recorded_commands().clear();
    SendMessageW(button, WM_CHAR, L'\r', 1);
    ASSERT_EQ(t::recorded_commands().size(), 1u);
    EXPECT_EQ(LOWORD(t::recorded_commands()[0].wparam), 777);
    EXPECT_TRUE(DestroyWindow(button));
    DestroyWindow(parent);
    DestroyWindow(target);
}

}  // namespace
}  // namespace markomi
