// The opening notice of a resident start, driven in-process under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <string>

#include "app/app_windows_win.h"
#include "app/opening_window_win.h"
#include "base/process_globals_win.h"
#include "settings/settings_record.h"
#include "support/resident_windows.h"
#include "support/test_files.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"
#include "ui/window_layouts.h"

namespace markomi {
namespace {

namespace t = testing;

const wchar_t* const kRows[kOpeningRowCount] = {L"マルコミ２", L"", L"常駐モードで起動します。"};

int notices_of_this_thread() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM out) -> BOOL {
        wchar_t name[32] = L"";
        GetClassNameW(w, name, 32);
        if (lstrcmpW(name, kOpeningWindowClass) == 0) ++*reinterpret_cast<int*>(out);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&count));
    return count;
}

class OpeningWindow : public ::testing::Test {
protected:
    void SetUp() override {
        t::register_resident_window_classes();
        g_instance = GetModuleHandleW(nullptr);
        g_current_dpi = 96;
        g_settings = SettingsSet{};
        g_settings.global.station_type = 1;
        g_settings.global.paste = 1;
        g_main_window = t::create_recording_window();
        t::recorded_commands().clear();
        lstrcpynW(g_settings_folder, folder_.path().c_str(), ARRAYSIZE(g_settings_folder));
    }
    void TearDown() override {
        if (g_opening_window) DestroyWindow(g_opening_window);
        if (g_host_window) DestroyWindow(g_host_window);
        unregister_hotkey();
        if (g_main_window) DestroyWindow(g_main_window);
        g_host_window = nullptr;
        g_main_window = nullptr;
        g_settings_folder[0] = L'\0';
        t::pump_messages();
    }

    // The expected layout from the notice's own font, measured here.
    OpeningLayout expected_layout() {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, g_opening_fonts.normal);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        std::array<LayoutSize, kOpeningRowCount> rows;
        for (int k = 0; k < kOpeningRowCount; ++k) {
            SIZE s{};
            GetTextExtentPoint32W(dc, kRows[k], lstrlenW(kRows[k]), &s);
            rows[k] = LayoutSize{s.cx, s.cy};
        }
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return opening_layout(tm.tmAveCharWidth, tm.tmHeight + tm.tmExternalLeading, rows);
    }

    // Paints without letting the two-second timer through.
    static void paint() { t::pump_messages(WM_PAINT, WM_PAINT); }

    t::TempFolder folder_;
};

int font_height(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf.lfHeight;
}

TEST_F(OpeningWindow, CentredAndSizedByItsFont) {
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    LayoutSize previous;
    for (int expand : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "EXPAND " << expand);
        g_settings.global.expand = expand;
        open_opening_window(g_main_window);
        HWND notice = g_opening_window;
        ASSERT_TRUE(notice);
        paint();
        wchar_t name[64] = L"";
        GetClassNameW(notice, name, 64);
        EXPECT_STREQ(name, kOpeningWindowClass);
        EXPECT_EQ(t::window_text(notice), L"");
        EXPECT_EQ(GetWindow(notice, GW_OWNER), g_main_window);
        EXPECT_TRUE(IsWindowVisible(notice));
        const LONG style = GetWindowLongW(notice, GWL_STYLE);
        const LONG ex_style = GetWindowLongW(notice, GWL_EXSTYLE);
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_FALSE(style & WS_CAPTION);
        EXPECT_TRUE(ex_style & WS_EX_TOPMOST);
        EXPECT_TRUE(ex_style & WS_EX_TRANSPARENT);
        EXPECT_EQ(font_height(g_opening_fonts.normal), expand ? -19 : -17);

        const OpeningLayout expected = expected_layout();
        const LayoutPoint centre = centred_position(expected.window, desktop.right, desktop.bottom);
        RECT r{};
        GetWindowRect(notice, &r);
        EXPECT_EQ(r.left, centre.x);
        EXPECT_EQ(r.top, centre.y);
        EXPECT_EQ(r.right - r.left, expected.window.width);
        EXPECT_EQ(r.bottom - r.top, expected.window.height);
        EXPECT_GT(expected.window.width, previous.width);
        previous = expected.window;

        HWND button = GetDlgItem(notice, 156);
        ASSERT_TRUE(button);
        EXPECT_EQ(t::window_text(button), L"切り替え");
        EXPECT_TRUE(GetWindowLongW(button, GWL_STYLE) & BS_FLAT);
        const RECT b = t::child_rect(button);
        EXPECT_EQ(b.left, expected.button.x);
        EXPECT_EQ(b.top, expected.button.y);
        EXPECT_EQ(b.right - b.left, expected.button.width);
        EXPECT_EQ(b.bottom - b.top, expected.button.height);

        // Asking again while it is up makes no second notice. Only this
        // thread's windows count: a test program beside this one shows its own.
        open_opening_window(g_main_window);
        EXPECT_EQ(g_opening_window, notice);
        EXPECT_EQ(notices_of_this_thread(), 1);

        if (expand == 0) {
            std::wstring path;
            const t::Capture shot = t::capture_window(notice, L"opening_notice", &path);
            std::wcout << L"opening notice screenshot: " << path << std::endl;
            ASSERT_EQ(shot.width, expected.window.width);
            // Pink on the left, nearly white on the right, along an empty strip.
            EXPECT_EQ(shot.at(0, 2), 0xFFB0FFu);
            const int w = shot.width;
            EXPECT_EQ(shot.at(w - 1, 2), 0xFF00FFu | (opening_gradient_green(w - 1, w) << 8));
            EXPECT_EQ(shot.at(w / 2, shot.height - 1),
                      0xFF00FFu | (opening_gradient_green(w / 2, w) << 8));
            // The first row's text is drawn in dark blue.
            int text_pixels = 0;
            for (int y = expected.rows[0].y; y < expected.rows[0].y + 17; ++y)
                for (int x = expected.rows[0].x; x < expected.rows[0].x + 80; ++x)
                    if (shot.at(x, y) == 0x000040u) ++text_pixels;
            EXPECT_GT(text_pixels, 20);
            // The gradient leaves the button alone.
            const std::uint32_t inside_button = shot.at(b.left + 3, b.top + 3);
            EXPECT_NE(inside_button & 0xFF00FFu, 0xFF00FFu) << std::hex << inside_button;
        }
        DestroyWindow(notice);
        EXPECT_EQ(g_opening_window, nullptr);
    }
}

TEST_F(OpeningWindow, DisappearsWhenItsTimerFires) {
    open_opening_window(g_main_window);
    HWND notice = g_opening_window;
    ASSERT_TRUE(notice);
    EXPECT_TRUE(t::pump_until([notice] { return !IsWindow(notice); }, 30000));
    EXPECT_EQ(g_opening_window, nullptr);
    // Waiting changes nothing else: still resident, nothing opened.
    EXPECT_EQ(g_settings.global.station_type, 1);
    EXPECT_TRUE(t::recorded_commands().empty());
    EXPECT_FALSE(t::file_exists(folder_.file(L"Markomi2.ini")));
}

std::wstring startup_shortcut() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                     folder);
    return std::wstring(folder) + L"\\マルコミ２.lnk";
}

TEST_F(OpeningWindow, SwitchButtonTurnsTheProgramToNormalMode) {
    g_settings.global.ajust = 0;  // no stamp fitting on save: no drawing surfaces here
    const std::wstring shortcut = startup_shortcut();
    ASSERT_TRUE(t::write_bytes(shortcut, {'L', 0, 0, 0}));
    HWND host = t::create_recording_window();
    g_host_window = host;
    // Ctrl+Alt+Shift+F10, registered as the resident program does.
    g_settings.global.hotkey = ((HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT) << 8) | VK_F10;
    register_hotkey();
    ASSERT_TRUE(hotkey_registered());

    open_opening_window(g_main_window);
    HWND notice = g_opening_window;
    ASSERT_TRUE(notice);
    paint();
    HWND button = GetDlgItem(notice, 156);
    ASSERT_TRUE(button);

    // The button clicks itself (press and release inside it). No real mouse
    // input: the tests run in parallel, and other notices stand at the same
    // place on the desktop.
    SendMessageW(button, BM_CLICK, 0, 0);

    EXPECT_FALSE(IsWindow(notice));
    EXPECT_EQ(g_opening_window, nullptr);
    EXPECT_FALSE(IsWindow(host));
    g_host_window = nullptr;  // the stand-in host does not clear it itself
    EXPECT_EQ(g_settings.global.station_type, 0);
    EXPECT_EQ(g_settings.global.paste, 0);
    EXPECT_FALSE(t::file_exists(shortcut));
    const std::vector<std::wstring> lines =
        t::split_lines(t::utf16_file_text(folder_.file(L"Markomi2.ini")));
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"STATIONTYPE=0"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"PASTE=0"), lines.end());
    // Normal mode has no hotkey: the key is free for other programs.
    EXPECT_FALSE(hotkey_registered());
    EXPECT_TRUE(RegisterHotKey(nullptr, 0x4713, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F10));
    UnregisterHotKey(nullptr, 0x4713);
    // Normal mode: the icon gives way to the stamp settings window.
    t::pump_messages();
    ASSERT_EQ(t::recorded_commands().size(), 1u);
    EXPECT_EQ(t::recorded_commands()[0].window, g_main_window);
    EXPECT_EQ(t::recorded_commands()[0].wparam, static_cast<WPARAM>(kCmdStampSettings));
    DeleteFileW(shortcut.c_str());
}

}  // namespace
}  // namespace markomi
