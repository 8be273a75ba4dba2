// The stamping window's design and date panel, driven by the messages its
// controls send: what it reports is what was picked, and the settings stay.
#include <gtest/gtest.h>

#include <commctrl.h>

#include "support/resident_windows.h"
#include "ui/stamping_choices_win.h"

namespace markomi {
namespace {

namespace t = markomi::testing;

constexpr int kFirstId = 500;

StampingChoicesPanel* g_panel = nullptr;

// A parent that hands the panel its messages first, as the window does.
LRESULT CALLBACK host_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT result = 0;
    bool changed = false;
    if (g_panel && g_panel->on_message(message, wparam, lparam, &result, &changed)) return result;
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

struct PanelHost {
    PanelHost() {
        WNDCLASSW cls{};
        cls.lpfnWndProc = host_proc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        cls.lpszClassName = L"StampingChoicesHost";
        RegisterClassW(&cls);
        g_panel = &panel;
        parent = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP, 0, 0, 600, 300, nullptr,
                                 nullptr, cls.hInstance, nullptr);
    }
    ~PanelHost() {
        DestroyWindow(parent);
        g_panel = nullptr;
    }
    LRESULT send(UINT message, WPARAM wparam, LPARAM lparam, bool* changed) {
        LRESULT result = -1;
        EXPECT_TRUE(panel.on_message(message, wparam, lparam, &result, changed)) << message;
        return result;
    }
    StampingChoicesPanel panel;
    HWND parent = nullptr;
};

// A design chosen in the list, a day picked, and 「今日の日付に戻す」; the
// pinned day's note shows only while that day stays chosen.
TEST(StampingChoices, ReportsTheDesignAndDayPickedAndNotesThePinnedDay) {
    const StampDate pinned{2026, 12, 1, 0, 0, 0, 2};
    const SettingsSet before = g_settings;
    PanelHost host;
    ASSERT_TRUE(host.parent);
    host.panel.create(host.parent, kFirstId, nullptr, StampingChoice{2, pinned}, true);
    RECT area{0, 0, 600, 300};
    EXPECT_GT(host.panel.layout(area), 0);
    HWND designs = GetDlgItem(host.parent, kFirstId), today = GetDlgItem(host.parent, kFirstId + 2);
    HWND note = GetDlgItem(host.parent, kFirstId + 4);
    EXPECT_EQ(SendMessageW(designs, CB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(IsWindowEnabled(today));
    EXPECT_TRUE(GetWindowLongW(note, GWL_STYLE) & WS_VISIBLE);

    bool changed = false;
    SendMessageW(designs, CB_SETCURSEL, 5, 0);
    host.send(WM_COMMAND, MAKEWPARAM(kFirstId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(designs),
              &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(host.panel.choice().slot, 5);

    NMDATETIMECHANGE pick{};
    pick.nmhdr.hwndFrom = GetDlgItem(host.parent, kFirstId + 1);
    pick.nmhdr.idFrom = kFirstId + 1;
    pick.nmhdr.code = DTN_DATETIMECHANGE;
    pick.dwFlags = GDT_VALID;
    pick.st.wYear = 2027;
    pick.st.wMonth = 1;
    pick.st.wDay = 4;
    host.send(WM_NOTIFY, kFirstId + 1, reinterpret_cast<LPARAM>(&pick), &changed);
    EXPECT_TRUE(changed);
    ShowWindow(host.parent, SW_SHOWNOACTIVATE);
    UpdateWindow(host.parent);
    t::capture_window(host.parent, L"stamping-choices");
    ASSERT_TRUE(host.panel.choice().day);
    EXPECT_EQ(host.panel.choice().day->day, 4);
    EXPECT_EQ(host.panel.choice().day->weekday, 1);  // a Monday
    EXPECT_FALSE(GetWindowLongW(note, GWL_STYLE) & WS_VISIBLE);

    host.send(WM_COMMAND, MAKEWPARAM(kFirstId + 2, BN_CLICKED), reinterpret_cast<LPARAM>(today),
              &changed);
    EXPECT_TRUE(changed);
    EXPECT_FALSE(host.panel.choice().day);
    EXPECT_FALSE(IsWindowEnabled(today));
    // Not the panel's: left to the parent.
    LRESULT result = 0;
    EXPECT_FALSE(host.panel.on_message(WM_COMMAND, MAKEWPARAM(kFirstId + 40, BN_CLICKED), 0,
                                       &result, &changed));
    EXPECT_EQ(g_settings.global.active, before.global.active);
    EXPECT_EQ(g_settings.date.day, before.date.day);
}

}  // namespace
}  // namespace markomi
