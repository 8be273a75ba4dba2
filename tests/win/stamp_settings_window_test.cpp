// The stamp settings window and its tab sheet, driven in-process under Wine
// by the messages the controls and the user's keys produce: layout, the
// tabs, every reaction of the sheet, the keyboard ring, the choosers, the
// drag gesture inside the window, closing and saving.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <imm.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/app_windows_win.h"
#include "base/process_globals_win.h"
#include "base/wide_text_win.h"
#include "dates/date_text.h"
#include "dates/era_table.h"
#include "render/measure_cache.h"
#include "render/surfaces_gdiplus.h"
#include "settings/settings_record.h"
#include "support/clipboard_text.h"
#include "support/message_boxes.h"
#include "support/resident_windows.h"
#include "support/test_files.h"
#include "support/wine_detect.h"
#include "ui/host_window_win.h"
#include "ui/stamp_settings_rules.h"
#include "ui/stamp_date_win.h"
#include "ui/stamp_settings_window_win.h"
#include "ui/tab_sheet_rules.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"

namespace markomi {
namespace {

namespace t = testing;

// The clock the stamp date follows in these tests.
StampDate g_test_clock;
StampDate test_clock() { return g_test_clock; }

class StampSettingsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        t::register_resident_window_classes();
        t::set_host_window_procedure(StampSettingsWndProc);
        g_instance = GetModuleHandleW(nullptr);
        g_current_dpi = 96;
        g_startup_dpi = 96;
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        g_settings = SettingsSet{};
        g_test_clock = StampDate{2026, 12, 8, 9, 30, 0, 2};
        set_stamp_clock(test_clock);
        reset_stamp_date();
        g_settings.global.station_type = 1;
        g_host_position = POINT{-1, -1};
        g_drag_state = kDragIdle;
        g_drag_substate = 0;
        g_main_window = t::create_recording_window();
        t::recorded_commands().clear();
        lstrcpynW(g_settings_folder, folder_.path().c_str(), ARRAYSIZE(g_settings_folder));
    }
    void TearDown() override {
        if (g_host_window) DestroyWindow(g_host_window);
        if (g_main_window) DestroyWindow(g_main_window);
        g_host_window = nullptr;
        g_main_window = nullptr;
        g_settings_folder[0] = L'\0';
        set_stamp_clock(nullptr);
        reset_stamp_date();
        t::set_host_window_procedure(nullptr);
        t::pump_messages();
        release_surfaces();
        g_ui_font_metrics = UiFontMetrics{};
    }

    // What the main window does for command 111.
    HWND open(HMENU menu = nullptr) {
        HWND host = t::open_host_window_for_test(menu);
        t::pump_messages();
        return host;
    }
    HWND sheet(HWND host) { return FindWindowExW(host, nullptr, kTabSheetWindowClass, nullptr); }
    HWND tabs(HWND host) { return FindWindowExW(host, nullptr, WC_TABCONTROLW, nullptr); }
    HWND item(HWND host, int id) { return GetDlgItem(sheet(host), id); }

    void press(HWND host, int id) {
        SendMessageW(item(host, id), BM_CLICK, 0, 0);
        t::pump_messages();
    }
    void key(HWND control, WPARAM vk) {
        SendMessageW(control, WM_KEYDOWN, vk, 1);
        SendMessageW(control, WM_KEYUP, vk, 0xC0000001);
        t::pump_messages();
    }
    void type(HWND control, const std::wstring& text) {
        for (wchar_t c : text) {
            SendMessageW(control, WM_CHAR, c, 1);
            t::pump_messages();
        }
    }
    // A click on tab `index` as the mouse gives it.
    void click_tab(HWND host, int index) {
        RECT r{};
        SendMessageW(tabs(host), TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(tabs(host), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(tabs(host), WM_LBUTTONUP, 0, at);
        t::pump_messages();
    }

    std::wstring saved_file() const { return t::utf16_file_text(folder_.file(L"Markomi2.ini")); }
    bool saved_line(const std::wstring& line) const {
        for (const auto& l : t::split_lines(saved_file()))
            if (l == line) return true;
        return false;
    }

    t::TempFolder folder_;
};

// The preview box as the sheet shows it on screen.
std::vector<std::uint32_t> preview_pixels(HWND sheet) {
    const PreviewRect r = preview_box_rect(current_preview_box_size(), current_preview_box_origin());
    return t::client_pixels(sheet, RECT{r.left, r.top, r.right, r.bottom});
}

int font_height(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf.lfHeight;
}

// ---- Layout -------------------------------------------------------------------

TEST_F(StampSettingsWindow, LaidOutInCharacterUnitsWithSevenTabs) {
    int previous_width = 0;
    int previous_height = 0;
    for (int expand : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "EXPAND " << expand);
        g_settings.global.expand = expand;
        HWND host = open();
        ASSERT_TRUE(host);
        EXPECT_EQ(t::window_text(host), L"マルコミ２　設定画面");
        EXPECT_EQ(font_height(g_window_fonts.normal), expand ? -16 : -14);
        EXPECT_EQ(font_height(g_settings_fonts.normal), -17);
        const FontSetMetrics m = g_window_fonts.metrics;
        const StampSettingsLayout layout = stamp_settings_layout(m.a, m.l, g_window_fonts.menu_bar_height);
        RECT w{};
        GetWindowRect(host, &w);
        EXPECT_EQ(w.right - w.left, layout.window.width);
        EXPECT_GE(w.bottom - w.top, layout.window.height);
        // Never narrower or lower with the larger font.
        EXPECT_GE(w.right - w.left, previous_width);
        EXPECT_GT(w.bottom - w.top, previous_height);
        previous_width = w.right - w.left;
        previous_height = w.bottom - w.top;

        HWND strip = tabs(host);
        ASSERT_TRUE(strip);
        ASSERT_EQ(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0), kSlotCount);
        for (int i = 0; i < kSlotCount; ++i) {
            wchar_t caption[32] = L"";
            TCITEMW tab{};
            tab.mask = TCIF_TEXT;
            tab.pszText = caption;
            tab.cchTextMax = 32;
            SendMessageW(strip, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
            EXPECT_EQ(std::wstring(caption), to_wide(tab_captions()[static_cast<size_t>(i)]));
        }
        HWND s = sheet(host);
        ASSERT_TRUE(s);
        const RECT sr = t::child_rect(s);
        EXPECT_EQ(sr.left, 0);
        EXPECT_EQ(sr.top, 35);
        EXPECT_EQ(sr.bottom - sr.top, layout.sheet.height);

        // Every control where its row puts it, and the lowest row visible.
        RECT client{};
        GetClientRect(host, &client);
        for (const SheetControl& c : sheet_controls()) {
            if (c.id == 0) continue;
            SCOPED_TRACE(c.id);
            const LayoutRect r = sheet_control_rect(c, m.a, m.l);
            const RECT cr = t::child_rect(GetDlgItem(s, c.id));
            EXPECT_EQ(cr.left, r.x);
            EXPECT_EQ(cr.top, r.y);
            EXPECT_EQ(cr.right - cr.left, r.width);
            EXPECT_EQ(cr.bottom - cr.top, r.height);
            EXPECT_LE(sr.top + cr.bottom, client.bottom);
            EXPECT_LE(cr.right, client.right);
        }
        const UINT close_state = GetMenuState(GetSystemMenu(host, FALSE), SC_CLOSE, MF_BYCOMMAND);
        EXPECT_TRUE(close_state != static_cast<UINT>(-1) && (close_state & MF_GRAYED));
        DestroyWindow(host);
        EXPECT_EQ(g_host_window, nullptr);
        EXPECT_EQ(g_tab_sheet_window, nullptr);
    }
}

TEST_F(StampSettingsWindow, NormalModeWithTheMenuBarStillShowsTheLowestRow) {
    g_settings.global.station_type = 0;
    g_settings.global.expand = 1;
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 112, L"印影保存");
    HWND host = open(menu);
    ASSERT_TRUE(host);
    ASSERT_TRUE(GetMenu(host));
    RECT client{};
    GetClientRect(host, &client);
    const RECT sr = t::child_rect(sheet(host));
    const RECT lowest = t::child_rect(item(host, kSheetIdMonth));
    EXPECT_LE(sr.top + lowest.bottom, client.bottom);
    // Centred the first time, and remembered.
    RECT w{};
    GetWindowRect(host, &w);
    EXPECT_EQ(w.left, (GetSystemMetrics(SM_CXSCREEN) - (w.right - w.left)) / 2);
    EXPECT_EQ(g_host_position.x, w.left);
}

// ---- Filling the controls ------------------------------------------------------------

TEST_F(StampSettingsWindow, OpensOnTheActiveSlotWithItsValues) {
    g_settings.global.active = 3;
    SlotSettings& slot = g_settings.slots[3];
    slot.frame.hankei = 47;
    slot.frame.thick = 6;
    slot.frame.bunkatu = 12;
    slot.frame.shadow = 2;
    slot.date_format = DateFormatSpec{1, 2, 1};
    g_settings.global.busho = u"総務部";
    g_settings.global.name = u"山田";
    HWND host = open();
    ASSERT_TRUE(host);
    EXPECT_EQ(SendMessageW(tabs(host), TCM_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(SendMessageW(item(host, kSheetIdRadius), TBM_GETPOS, 0, 0), 47);
    EXPECT_EQ(SendMessageW(item(host, kSheetIdThick), TBM_GETPOS, 0, 0), 6);
    EXPECT_EQ(SendMessageW(item(host, kSheetIdDivisions), TBM_GETPOS, 0, 0), 12);
    EXPECT_EQ(SendMessageW(item(host, kSheetIdRadius), TBM_GETRANGEMIN, 0, 0), 20);
    EXPECT_EQ(SendMessageW(item(host, kSheetIdRadius), TBM_GETRANGEMAX, 0, 0), 80);
    EXPECT_EQ(SendMessageW(item(host, kSheetIdDivisions), TBM_GETRANGEMAX, 0, 0), 20);
    EXPECT_EQ(t::window_text(item(host, kSheetIdShadow)), L"立体 ２");
    EXPECT_EQ(t::window_text(item(host, kSheetIdEra)), L"和　暦");
    EXPECT_EQ(t::window_text(item(host, kSheetIdDelimiter)), L"．区切");
    EXPECT_EQ(t::window_text(item(host, kSheetIdMonth)), L"月 英語");
    EXPECT_EQ(t::window_text(item(host, kSheetIdBusho)), L"総務部");
    EXPECT_EQ(t::window_text(item(host, kSheetIdName)), L"山田");
    EXPECT_TRUE(IsWindowVisible(item(host, kSheetIdDivisions)));
    // The value labels beside the sliders.
    const std::vector<HWND> labels = t::children_of_class(sheet(host), L"Static");
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](HWND l) { return t::window_text(l) == L"47"; }));
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](HWND l) { return t::window_text(l) == L"12"; }));
    // The date picker holds the stamp date; the caption beside it spells it out.
    SYSTEMTIME date{};
    EXPECT_EQ(SendMessageW(item(host, kSheetIdDatePicker), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)),
              GDT_VALID);
    EXPECT_EQ(date.wYear, 2026);
    EXPECT_EQ(date.wMonth, 12);
    EXPECT_EQ(date.wDay, 8);
    const std::wstring caption = to_wide(date_picker_caption(g_settings.date));
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](HWND l) { return t::window_text(l) == caption; }));
    // The focus waits on "Ｏ　Ｋ".
    EXPECT_EQ(GetFocus(), item(host, kSheetIdOk));
}

TEST_F(StampSettingsWindow, ResidentModeOpensWithItsCornerAtThePointer) {
    SetCursorPos(1500, 900);
    POINT pointer{};
    GetCursorPos(&pointer);
    HWND host = open();
    ASSERT_TRUE(host);
    POINT after{};
    GetCursorPos(&after);
    EXPECT_FALSE(GetMenu(host));
    RECT w{};
    GetWindowRect(host, &w);
    // Other test programs may move the shared pointer meanwhile.
    if (after.x == pointer.x && after.y == pointer.y) {
        EXPECT_EQ(w.right, pointer.x);
        EXPECT_EQ(w.bottom, pointer.y);
    }
}

TEST_F(StampSettingsWindow, FirstSlotHidesTheDivisionRowAndTabSkipsIt) {
    g_settings.global.active = 0;
    HWND host = open();
    ASSERT_TRUE(host);
    EXPECT_FALSE(IsWindowVisible(item(host, kSheetIdDivisions)));
    const std::vector<HWND> labels = t::children_of_class(sheet(host), L"Static");
    EXPECT_FALSE(std::any_of(labels.begin(), labels.end(), [](HWND l) {
        return IsWindowVisible(l) && t::window_text(l) == L"分　割";
    }));
    SetFocus(item(host, kSheetIdShadow));
    key(item(host, kSheetIdShadow), VK_TAB);
    EXPECT_EQ(GetFocus(), item(host, kSheetIdOk));
    key(item(host, kSheetIdOk), VK_UP);
    EXPECT_EQ(GetFocus(), item(host, kSheetIdShadow));

    // Another slot shows the row and the ring goes through it.
    click_tab(host, 2);
    EXPECT_EQ(g_settings.global.active, 2);
    EXPECT_TRUE(IsWindowVisible(item(host, kSheetIdDivisions)));
    SetFocus(item(host, kSheetIdShadow));
    key(item(host, kSheetIdShadow), VK_TAB);
    EXPECT_EQ(GetFocus(), item(host, kSheetIdDivisions));
}

TEST_F(StampSettingsWindow, DisabledFieldsKeepTheirContentsAndTheDateCaption) {
    g_settings.enable.date = 0;
    g_settings.enable.name = 0;
    HWND host = open();
    ASSERT_TRUE(host);
    EXPECT_FALSE(IsWindowEnabled(item(host, kSheetIdDatePicker)));
    EXPECT_FALSE(IsWindowEnabled(item(host, kSheetIdName)));
    EXPECT_TRUE(IsWindowEnabled(item(host, kSheetIdBusho)));
    const std::wstring caption = to_wide(date_picker_caption(g_settings.date));
    const std::vector<HWND> labels = t::children_of_class(sheet(host), L"Static");
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](HWND l) {
        return IsWindowVisible(l) && t::window_text(l) == caption;
    }));
    // The focus ring passes over what cannot take the focus.
    SetFocus(item(host, kSheetIdBushoFont));
    key(item(host, kSheetIdBushoFont), VK_TAB);
    EXPECT_EQ(GetFocus(), item(host, kSheetIdDateFont));
    key(item(host, kSheetIdDateFont), VK_TAB);
    EXPECT_EQ(GetFocus(), item(host, kSheetIdNameFont));
}

// A day picked in the calendar stays through the clock's day changes and
// shows at the end of the title and of the icon's tip; picking today again
// follows the clock, into the next day.
TEST_F(StampSettingsWindow, APickedDayStaysThroughDayChangesAndShowsUntilTodayIsPicked) {
    HWND host = open();
    ASSERT_TRUE(host);
    const std::wstring plain_title = t::window_text(host);
    const std::wstring plain_tip = tray_tip_text();
    auto pick = [&](WORD year, WORD month, WORD day) {
        NMDATETIMECHANGE change{};
        change.nmhdr.hwndFrom = item(host, kSheetIdDatePicker);
        change.nmhdr.idFrom = kSheetIdDatePicker;
        change.nmhdr.code = DTN_DATETIMECHANGE;
        change.dwFlags = GDT_VALID;
        change.st.wYear = year;
        change.st.wMonth = month;
        change.st.wDay = day;
        SendMessageW(sheet(host), WM_NOTIFY, kSheetIdDatePicker, reinterpret_cast<LPARAM>(&change));
        t::pump_messages();
    };
    auto picker_day = [&] {
        SYSTEMTIME shown{};
        SendMessageW(item(host, kSheetIdDatePicker), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
        return shown.wDay;
    };
    const std::wstring note = L"（日付固定：2026/12/01）";

    pick(2026, 12, 1);
    EXPECT_EQ(g_settings.date.day, 1);
    EXPECT_EQ(t::window_text(host), plain_title + note);
    EXPECT_EQ(tray_tip_text(), plain_tip + note);
    // Midnight passes and the system wakes up: the picked day stays.
    g_test_clock = StampDate{2026, 12, 9, 0, 5, 0, 3};
    follow_clock_change();
    t::pump_messages();
    EXPECT_EQ(g_settings.date.day, 1);
    EXPECT_EQ(picker_day(), 1);
    EXPECT_EQ(t::window_text(host), plain_title + note);

    pick(2026, 12, 9);  // today
    EXPECT_EQ(t::window_text(host), plain_title);
    EXPECT_EQ(tray_tip_text(), plain_tip);
    g_test_clock = StampDate{2026, 12, 10, 0, 1, 0, 4};
    follow_clock_change();
    t::pump_messages();
    EXPECT_EQ(g_settings.date.day, 10);
    EXPECT_EQ(picker_day(), 10);
    // Typing into a text box takes the texts, not the picker's day back.
    g_test_clock = StampDate{2026, 12, 11, 0, 1, 0, 5};
    type(item(host, kSheetIdBusho), L"課");
    press(host, kSheetIdEra);
    EXPECT_EQ(g_settings.date.day, 11);
    EXPECT_EQ(picker_day(), 11);
}

// ---- Reactions -----------------------------------------------------------------------

TEST_F(StampSettingsWindow, TypingFollowsInThePreviewAndReachesTheFile) {
    g_settings.global.active = 1;
    HWND host = open();
    ASSERT_TRUE(host);
    HWND busho = item(host, kSheetIdBusho);
    SetFocus(busho);
    SendMessageW(busho, EM_SETSEL, 0, -1);
    std::vector<std::uint32_t> before = preview_pixels(sheet(host));
    for (wchar_t c : std::wstring(L"営業課")) {
        type(busho, std::wstring(1, c));
        const std::vector<std::uint32_t> now = preview_pixels(sheet(host));
        EXPECT_NE(now, before) << "after typing " << static_cast<int>(c);
        before = now;
    }
    EXPECT_EQ(g_settings.global.busho, u"営業課");
    // Delete takes a character away, and the preview follows.
    SendMessageW(busho, EM_SETSEL, 0, 1);
    key(busho, VK_DELETE);
    EXPECT_EQ(g_settings.global.busho, u"業課");
    EXPECT_NE(preview_pixels(sheet(host)), before);

    DestroyWindow(host);
    EXPECT_TRUE(saved_line(L"BUSHO=業課")) << saved_file();
}

TEST_F(StampSettingsWindow, LongTextsAreCutTo99Characters) {
    HWND host = open();
    ASSERT_TRUE(host);
    const std::wstring long_text(120, L'部');
    // Pasted: the box itself stops at 99.
    ASSERT_TRUE(t::put_text_on_clipboard(long_text.c_str()));
    HWND busho = item(host, kSheetIdBusho);
    SetWindowTextW(busho, L"");
    SendMessageW(busho, WM_PASTE, 0, 0);
    t::pump_messages();
    EXPECT_EQ(g_settings.global.busho.size(), 99u);
    // Set from outside the keyboard: taken as 99 all the same.
    SetWindowTextW(item(host, kSheetIdName), long_text.c_str());
    SendMessageW(sheet(host), WM_COMMAND, kSheetCmdTakeControls, 0);
    EXPECT_EQ(g_settings.global.name.size(), 99u);
    EXPECT_EQ(g_settings.global.name.view(), std::u16string(99, u'部'));
}

// A break put into a box from outside (another program, an input method)
// would end the text in the settings file; and a rebuild for a monitor of
// another resolution, with the text not yet taken, must not lose it.
TEST_F(StampSettingsWindow, TextsWithLineBreaksAreTakenWithTheStampsBreakAndSurviveARebuild) {
    g_settings.global.active = 3;
    t::set_host_window_procedure(HostWndProc);
    open_host_window(kCmdStampSettings);
    HWND first = g_host_window;
    ASSERT_TRUE(first);
    t::pump_messages();
    SetWindowTextW(item(first, kSheetIdName), L"田中\r\n二課");
    SendMessageW(sheet(first), WM_COMMAND, kSheetCmdTakeControls, 0);
    EXPECT_EQ(g_settings.global.name, u"田中//二課");
    // Not yet taken when the rebuild comes.
    SetWindowTextW(item(first, kSheetIdBusho), L"営業\t第二\n課");

    HWND second = t::rebuild_host_at_a_larger_resolution(first);
    ASSERT_TRUE(second);
    ASSERT_NE(second, first);
    EXPECT_EQ(g_settings.global.name, u"田中//二課");
    EXPECT_EQ(g_settings.global.busho, u"営業第二//課");
    EXPECT_EQ(t::window_text(item(second, kSheetIdName)), L"田中//二課");
    EXPECT_EQ(t::window_text(item(second, kSheetIdBusho)), L"営業第二//課");
    EXPECT_EQ(SendMessageW(tabs(second), TCM_GETCURSEL, 0, 0), 3);
    // The old window saved on its way.
    EXPECT_TRUE(saved_line(L"NAME=田中//二課")) << saved_file();
    DestroyWindow(second);
    g_current_dpi = 96;
}

TEST_F(StampSettingsWindow, SlidersSetRadiusWidthAndOrnamentsOfTheActiveSlot) {
    g_settings.global.active = 2;
    HWND host = open();
    ASSERT_TRUE(host);
    std::vector<std::uint32_t> before = preview_pixels(sheet(host));
    HWND radius = item(host, kSheetIdRadius);
    SetFocus(radius);
    key(radius, VK_RIGHT);
    EXPECT_EQ(g_settings.slots[2].frame.hankei, 36);
    key(radius, VK_END);
    EXPECT_EQ(g_settings.slots[2].frame.hankei, 80);
    EXPECT_NE(preview_pixels(sheet(host)), before);
    // Up and Down move the focus, never the slider.
    key(radius, VK_DOWN);
    EXPECT_EQ(g_settings.slots[2].frame.hankei, 80);
    EXPECT_EQ(GetFocus(), item(host, kSheetIdFrameColour));

    HWND thick = item(host, kSheetIdThick);
    SetFocus(thick);
    key(thick, VK_HOME);
    key(thick, VK_RIGHT);
    EXPECT_EQ(g_settings.slots[2].frame.thick, 2);
    HWND divisions = item(host, kSheetIdDivisions);
    SetFocus(divisions);
    before = preview_pixels(sheet(host));
    key(divisions, VK_LEFT);
    EXPECT_EQ(g_settings.slots[2].frame.bunkatu, 8);
    EXPECT_NE(preview_pixels(sheet(host)), before);
    const std::vector<HWND> labels = t::children_of_class(sheet(host), L"Static");
    for (const wchar_t* value : {L"80", L"2", L"8"}) {
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](HWND l) { return t::window_text(l) == value; }))
            << value;
    }
    // The other slots are untouched.
    EXPECT_EQ(g_settings.slots[1].frame.hankei, 35);
}

TEST_F(StampSettingsWindow, CyclingButtonsGoRoundAndKeepUnknownValues) {
    g_settings.global.active = 4;
    g_settings.slots[4].frame.shadow = 9;
    HWND host = open();
    ASSERT_TRUE(host);
    // Era: five presses bring back the starting caption.
    const std::wstring era = t::window_text(item(host, kSheetIdEra));
    std::vector<std::wstring> seen;
    for (int i = 0; i < 5; ++i) {
        press(host, kSheetIdEra);
        seen.push_back(t::window_text(item(host, kSheetIdEra)));
    }
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"和　暦", L"和暦略称", L"和暦記号", L"西暦４桁", L"西暦２桁"}));
    EXPECT_EQ(t::window_text(item(host, kSheetIdEra)), era);
    EXPECT_EQ(g_settings.slots[4].date_format.era, 5);

    // A 3D style outside the table keeps the button's caption and its value.
    EXPECT_EQ(t::window_text(item(host, kSheetIdShadow)), L"立体");
    press(host, kSheetIdShadow);
    EXPECT_EQ(g_settings.slots[4].frame.shadow, 9);
    EXPECT_EQ(t::window_text(item(host, kSheetIdShadow)), L"立体");

    press(host, kSheetIdDelimiter);
    EXPECT_EQ(g_settings.slots[4].date_format.delimiter, 2);
    press(host, kSheetIdMonth);
    press(host, kSheetIdMonth);
    EXPECT_EQ(g_settings.slots[4].date_format.month_lang, 0);

    // Space and Enter press a focused button exactly once each.
    HWND month = item(host, kSheetIdMonth);
    SetFocus(month);
    SendMessageW(month, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(month, WM_CHAR, L' ', 1);
    SendMessageW(month, WM_KEYUP, VK_SPACE, 0xC0000001);
    t::pump_messages();
    EXPECT_EQ(g_settings.slots[4].date_format.month_lang, 1);
    EXPECT_EQ(t::window_text(month), L"月 英語");
    SendMessageW(month, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(month, WM_CHAR, L'\r', 1);
    SendMessageW(month, WM_KEYUP, VK_RETURN, 0xC0000001);
    t::pump_messages();
    EXPECT_EQ(g_settings.slots[4].date_format.month_lang, 0);
}

TEST_F(StampSettingsWindow, TheFocusRingRunsInItsOrderAndSelectsTheTexts) {
    g_settings.global.active = 1;
    HWND host = open();
    ASSERT_TRUE(host);
    const int ring[] = {kSheetIdBusho,     kSheetIdBushoFont, kSheetIdDatePicker, kSheetIdDateFont,
                        kSheetIdName,      kSheetIdNameFont,  kSheetIdRadius,     kSheetIdFrameColour,
                        kSheetIdThick,     kSheetIdShadow,    kSheetIdDivisions,  kSheetIdOk,
                        kSheetIdEra,       kSheetIdDelimiter, kSheetIdMonth,      kSheetIdBusho};
    SetFocus(item(host, ring[0]));
    for (size_t i = 1; i < std::size(ring); ++i) {
        key(GetFocus(), VK_TAB);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), ring[i]) << "step " << i;
    }
    // Japanese input is on in the text boxes and off on the date picker.
    auto input_method_open = [](HWND control) {
        HIMC context = ImmGetContext(control);
        const bool open = context && ImmGetOpenStatus(context);
        if (context) ImmReleaseContext(control, context);
        return open;
    };
    EXPECT_TRUE(input_method_open(item(host, kSheetIdBusho)));
    key(item(host, kSheetIdBusho), VK_TAB);
    key(item(host, kSheetIdBushoFont), VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), kSheetIdDatePicker);
    EXPECT_FALSE(input_method_open(item(host, kSheetIdDatePicker)));
    key(item(host, kSheetIdDatePicker), VK_UP);
    key(item(host, kSheetIdBushoFont), VK_UP);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), kSheetIdBusho);
    // Arriving on a text box selects all of it.
    DWORD start = 1, end = 0;
    SendMessageW(item(host, kSheetIdBusho), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(item(host, kSheetIdBusho))));
    // Enter moves on from a text box; Up goes back.
    key(GetFocus(), VK_RETURN);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), kSheetIdBushoFont);
    key(GetFocus(), VK_UP);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), kSheetIdBusho);
}

// Keys held down for the thread's key state, as GetKeyState reads it, while
// the object lives.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::copy(std::begin(saved_), std::end(saved_), state);
        for (int vk : keys) state[vk] |= 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256] = {};
};

TEST_F(StampSettingsWindow, CtrlTabStepsThroughTheTabsFromAnyControlAsAClickDoes) {
    g_settings.global.active = 5;
    g_settings.slots[6].frame.hankei = 62;
    g_settings.slots[0].frame.hankei = 33;
    HWND host = open();
    ASSERT_TRUE(host);
    // Typed but not yet taken: the switch reads it before leaving.
    SetWindowTextW(item(host, kSheetIdName), L"佐藤");
    SetFocus(item(host, kSheetIdName));
    {
        HeldKeys ctrl({VK_CONTROL});
        key(item(host, kSheetIdName), VK_TAB);
        EXPECT_EQ(g_settings.global.active, 6);
        EXPECT_EQ(g_settings.global.name, u"佐藤");
        EXPECT_EQ(SendMessageW(tabs(host), TCM_GETCURSEL, 0, 0), 6);
        EXPECT_EQ(SendMessageW(item(host, kSheetIdRadius), TBM_GETPOS, 0, 0), 62);
        EXPECT_EQ(GetFocus(), item(host, kSheetIdName));  // the focus stays

        // Round from the last tab to the first; the division row goes, and
        // the focus with it moves on to "Ｏ　Ｋ".
        SetFocus(item(host, kSheetIdDivisions));
        key(item(host, kSheetIdDivisions), VK_TAB);
        EXPECT_EQ(g_settings.global.active, 0);
        EXPECT_EQ(SendMessageW(item(host, kSheetIdRadius), TBM_GETPOS, 0, 0), 33);
        EXPECT_FALSE(IsWindowVisible(item(host, kSheetIdDivisions)));
        EXPECT_EQ(GetFocus(), item(host, kSheetIdOk));
    }
    {
        // Backwards with Shift, also from the tab strip, which a click leaves focused.
        HeldKeys ctrl_shift({VK_CONTROL, VK_SHIFT});
        SetFocus(tabs(host));
        key(tabs(host), VK_TAB);
        EXPECT_EQ(g_settings.global.active, 6);
        EXPECT_EQ(SendMessageW(tabs(host), TCM_GETCURSEL, 0, 0), 6);
        key(item(host, kSheetIdDatePicker), VK_TAB);
        EXPECT_EQ(g_settings.global.active, 5);
    }
    // Without Ctrl, Tab only moves the focus.
    SetFocus(item(host, kSheetIdBusho));
    key(item(host, kSheetIdBusho), VK_TAB);
    EXPECT_EQ(g_settings.global.active, 5);
    EXPECT_EQ(GetFocus(), item(host, kSheetIdBushoFont));
}

TEST_F(StampSettingsWindow, EscapeFromAnyControlIsTheCloseRequest) {
    const int focused[] = {kSheetIdBusho, kSheetIdDatePicker, kSheetIdRadius, kSheetIdOk, 0, -1};
    for (int id : focused) {
        SCOPED_TRACE(id);
        HWND host = open();
        ASSERT_TRUE(host);
        SetWindowTextW(item(host, kSheetIdBusho), L"総務部");
        // 0: the tab strip; -1: the window itself.
        HWND target = id > 0 ? item(host, id) : id == 0 ? tabs(host) : host;
        SetFocus(target);
        key(target, VK_ESCAPE);
        EXPECT_FALSE(IsWindow(host));
        EXPECT_EQ(g_host_window, nullptr);
        EXPECT_TRUE(IsWindow(g_main_window));  // resident mode: only the window goes
        EXPECT_TRUE(saved_line(L"BUSHO=総務部")) << saved_file();
        DeleteFileW(folder_.file(L"Markomi2.ini").c_str());
    }
    // Normal mode: the close request ends the program.
    g_settings.global.station_type = 0;
    HWND host = open();
    ASSERT_TRUE(host);
    key(item(host, kSheetIdOk), VK_ESCAPE);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(IsWindow(g_main_window));
    g_main_window = nullptr;
}

TEST_F(StampSettingsWindow, SwitchingTabsKeepsTypedTextAndShowsTheNewSlot) {
    g_settings.global.active = 0;
    g_settings.slots[5].frame.hankei = 61;
    HWND host = open();
    ASSERT_TRUE(host);
    // Typed but not yet taken: the switch reads it before leaving.
    SetWindowTextW(item(host, kSheetIdName), L"佐藤");
    click_tab(host, 5);
    EXPECT_EQ(g_settings.global.active, 5);
    EXPECT_EQ(g_settings.global.name, u"佐藤");
    EXPECT_EQ(t::window_text(item(host, kSheetIdName)), L"佐藤");
    EXPECT_EQ(SendMessageW(item(host, kSheetIdRadius), TBM_GETPOS, 0, 0), 61);
    EXPECT_EQ(SendMessageW(tabs(host), TCM_GETCURSEL, 0, 0), 5);
}

TEST_F(StampSettingsWindow, TheDatePickerChangesTheStampDateAndItsCaption) {
    HWND host = open();
    ASSERT_TRUE(host);
    HWND picker = item(host, kSheetIdDatePicker);
    SYSTEMTIME date{};
    date.wYear = 2019;
    date.wMonth = 5;
    date.wDay = 1;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
    // What the picker tells its parent when the user picks a day.
    NMDATETIMECHANGE change{};
    change.nmhdr.hwndFrom = picker;
    change.nmhdr.idFrom = kSheetIdDatePicker;
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    change.st = date;
    SendMessageW(sheet(host), WM_NOTIFY, kSheetIdDatePicker, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(g_settings.date.year, 2019);
    EXPECT_EQ(g_settings.date.month, 5);
    EXPECT_EQ(g_settings.date.day, 1);
    EXPECT_EQ(g_settings.date.hour, 9);  // the rest of the date stays
    const std::vector<HWND> labels = t::children_of_class(sheet(host), L"Static");
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](HWND l) {
        return t::window_text(l) == L"  2019年  5月  1日 (水)";
    }));
}

// ---- Choosers ------------------------------------------------------------------------

struct DialogVisit {
    int answer = IDCANCEL;          // for the chooser
    std::vector<std::wstring> titles;  // every dialog seen, in order
};
DialogVisit g_visit;

// Runs inside the dialogs' own message loops: notes each title and answers
// the chooser as told and any message box with OK.
void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = t::visible_thread_dialog();
    if (!dialog || GetPropW(dialog, L"answered")) return;
    SetPropW(dialog, L"answered", reinterpret_cast<HANDLE>(1));
    g_visit.titles.push_back(t::window_text(dialog));
    const int answer = g_visit.titles.back() == L"マルコミ２" ? IDOK : g_visit.answer;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
}

// Presses the button with the dialog answerer running.
void press_with_dialogs(HWND button, int answer) {
    g_visit = DialogVisit{};
    g_visit.answer = answer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerDialog);
    SendMessageW(button, BM_CLICK, 0, 0);
    KillTimer(nullptr, timer);
    t::pump_messages();
}

TEST_F(StampSettingsWindow, FontChooserIsTitledForItsRowAndTakesTheConfirmedFont) {
    MARKOMI2_SKIP_UNLESS_WINE("IPAゴシック is a face of the test prefix");
    g_settings.global.active = 1;
    HWND host = open();
    ASSERT_TRUE(host);
    const FontSpec before = g_settings.slots[1].busho;

    press_with_dialogs(item(host, kSheetIdBushoFont), IDCANCEL);
    EXPECT_EQ(g_visit.titles, std::vector<std::wstring>{L"  部署のフォント変更"});
    EXPECT_EQ(g_settings.slots[1].busho.face_name, before.face_name);
    EXPECT_EQ(g_settings.slots[1].busho.weight, before.weight);
    EXPECT_EQ(g_settings.slots[1].busho.color, before.color);
    EXPECT_EQ(GetFocus(), item(host, kSheetIdBushoFont));

    // Confirmed as it opened: the face it started from is usable and kept.
    g_settings.slots[1].name.color = RGB(0, 128, 0);
    g_settings.slots[1].name.face_name = u"IPAゴシック";
    press_with_dialogs(item(host, kSheetIdNameFont), IDOK);
    EXPECT_EQ(g_visit.titles, std::vector<std::wstring>{L"  名前のフォント変更"});
    EXPECT_EQ(g_settings.slots[1].name.face_name, u"IPAゴシック");
    EXPECT_EQ(g_settings.slots[1].name.color, RGB(0, 128, 0));
    EXPECT_LT(g_settings.slots[1].name.height, 0);
}

TEST_F(StampSettingsWindow, ColourChooserIsTitledAndKeepsTheColourOnCancel) {
    g_settings.global.active = 1;
    g_settings.slots[1].frame.color = RGB(0, 0, 200);
    g_settings.global.cust_colors[3] = RGB(1, 2, 3);
    HWND host = open();
    ASSERT_TRUE(host);
    press_with_dialogs(item(host, kSheetIdFrameColour), IDCANCEL);
    EXPECT_EQ(g_visit.titles, std::vector<std::wstring>{L" 枠色変更"});
    EXPECT_EQ(g_settings.slots[1].frame.color, RGB(0, 0, 200));

    press_with_dialogs(item(host, kSheetIdFrameColour), IDOK);
    EXPECT_EQ(g_visit.titles, std::vector<std::wstring>{L" 枠色変更"});
    EXPECT_EQ(g_settings.slots[1].frame.color, RGB(0, 0, 200));
    EXPECT_EQ(g_settings.global.cust_colors[3], RGB(1, 2, 3));
}

// The clipboard is shared with the test programs running beside this one:
// "nothing copied" is read from its owner, never this process's main window.

// ---- Drag inside the window ----------------------------------------------------------

TEST_F(StampSettingsWindow, ADragThatEndsInsideTheWindowCancelsWithoutStamping) {
    HWND host = open();
    ASSERT_TRUE(host);
    HWND s = sheet(host);
    const PreviewRect box = preview_box_rect(current_preview_box_size(), current_preview_box_origin());
    const LPARAM centre = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    const LPARAM beside = MAKELPARAM(box.right + 40, box.top + 10);  // over the labels

    SendMessageW(s, WM_MOUSEMOVE, 0, centre);
    EXPECT_EQ(g_drag_substate, static_cast<int>(DragCursor::kHover));
    SendMessageW(s, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    EXPECT_EQ(g_drag_state, kDragDragging);
    EXPECT_EQ(GetCapture(), s);
    EXPECT_EQ(g_drag_substate, static_cast<int>(DragCursor::kGrab));
    SendMessageW(s, WM_MOUSEMOVE, MK_LBUTTON, beside);
    EXPECT_EQ(g_drag_substate, static_cast<int>(DragCursor::kNoDrop));
    SendMessageW(s, WM_LBUTTONUP, 0, beside);
    EXPECT_EQ(g_drag_state, kDragIdle);
    EXPECT_NE(GetCapture(), s);
    EXPECT_NE(GetClipboardOwner(), g_main_window);  // nothing was copied

    // Dropped back on the preview: cancelled too.
    SendMessageW(s, WM_RBUTTONDOWN, MK_RBUTTON, centre);
    EXPECT_EQ(g_drag_state, kDragDragging);
    SendMessageW(s, WM_RBUTTONUP, 0, centre);
    EXPECT_EQ(g_drag_state, kDragIdle);
    EXPECT_EQ(g_drag_substate, static_cast<int>(DragCursor::kHover));
    EXPECT_NE(GetClipboardOwner(), g_main_window);  // nothing was copied
    EXPECT_EQ(g_settings.global.format, u"M");
}

// ---- Closing -------------------------------------------------------------------------

TEST_F(StampSettingsWindow, OkInResidentModeClosesAndSavesWithoutCopying) {
    HWND host = open();
    ASSERT_TRUE(host);
    SetWindowTextW(item(host, kSheetIdBusho), L"経理部");
    press(host, kSheetIdOk);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);
    EXPECT_TRUE(IsWindow(g_main_window));
    EXPECT_NE(GetClipboardOwner(), g_main_window);  // nothing was copied
    EXPECT_TRUE(saved_line(L"BUSHO=経理部")) << saved_file();
}

TEST_F(StampSettingsWindow, OkInNormalModeCopiesTheStampAndEndsTheProgram) {
    g_settings.global.station_type = 0;
    g_settings.global.format = u"B";
    HWND host = open();
    ASSERT_TRUE(host);
    press(host, kSheetIdOk);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(IsWindow(g_main_window));
    g_main_window = nullptr;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    CloseClipboard();
    EXPECT_TRUE(t::file_exists(folder_.file(L"Markomi2.ini")));
}

TEST_F(StampSettingsWindow, MenuCommandsHandTheWindowOverToTheMainWindow) {
    g_settings.global.station_type = 0;
    HWND host = open();
    ASSERT_TRUE(host);
    SetWindowPos(host, nullptr, 130, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(host, WM_COMMAND, kCmdPreferences, 0);
    EXPECT_FALSE(IsWindow(host));
    t::pump_messages();
    ASSERT_FALSE(t::recorded_commands().empty());
    EXPECT_EQ(LOWORD(t::recorded_commands().back().wparam), kCmdPreferences);
    EXPECT_TRUE(t::file_exists(folder_.file(L"Markomi2.ini")));
    // The place it was moved to is where the next window opens.
    EXPECT_EQ(g_host_position.x, 130);
    EXPECT_EQ(g_host_position.y, 90);
    host = open();
    RECT w{};
    GetWindowRect(host, &w);
    EXPECT_EQ(w.left, 130);
    EXPECT_EQ(w.top, 90);

    SendMessageW(host, WM_COMMAND, kCmdExit, 0);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(IsWindow(g_main_window));
    g_main_window = nullptr;
}

TEST_F(StampSettingsWindow, HelpWithoutTheHelpFileSaysSo) {
    g_settings.global.station_type = 0;
    // An install folder without Markomi2.chm.
    lstrcpynW(g_install_folder, folder_.path().c_str(), ARRAYSIZE(g_install_folder));
    HWND host = open();
    ASSERT_TRUE(host);
    const std::vector<t::SeenMessageBox> seen = t::answering_message_boxes(
        [host] { SendMessageW(host, WM_COMMAND, kCmdHelp, 0); });
    g_install_folder[0] = L'\0';
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, L"マルコミ２");
    EXPECT_NE(seen[0].text.find(L"Markomi2.chm"), std::wstring::npos) << seen[0].text;
    EXPECT_TRUE(IsWindow(host));  // the window stays as it was
}

// ---- Screenshots -----------------------------------------------------------------------

TEST_F(StampSettingsWindow, ScreenshotsOfEveryTabAtTwoResolutionsAndBothSizes) {
    g_settings.global.station_type = 0;
    for (int dpi : {96, 144}) {
        for (int expand : {0, 1}) {
            g_current_dpi = dpi;
            g_settings.global.expand = expand;
            for (int slot = 0; slot < kSlotCount; ++slot) {
                g_settings.global.active = slot;
                g_host_position = POINT{20, 20};
                HMENU menu = CreateMenu();
                for (auto [id, text] : {std::pair{112, L"印影保存"}, std::pair{117, L"PDFに捺印…"},
                                        std::pair{113, L"環境設定"},
                                        std::pair{114, L"ヘルプ"}, std::pair{115, L"バージョン情報"},
                                        std::pair{116, L"終了"}})
                    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text);
                HWND host = open(menu);
                ASSERT_TRUE(host);
                t::pump_until([] { return false; }, 150);
                const std::wstring name = L"stamp_settings_" + std::to_wstring(dpi) + L"dpi_expand" +
                                          std::to_wstring(expand) + L"_tab" + std::to_wstring(slot + 1);
                const t::Capture shot = t::capture_window(host, name);
                EXPECT_GT(shot.width, 0);
                // The sheet's last row fits in the client area.
                RECT client{};
                GetClientRect(host, &client);
                const RECT sr = t::child_rect(sheet(host));
                EXPECT_LE(sr.top + t::child_rect(item(host, kSheetIdMonth)).bottom, client.bottom);
                DestroyWindow(host);
            }
        }
    }
}

}  // namespace
}  // namespace markomi

// ---- Reaching 「PDFに捺印」 ----------------------------------------------------

namespace markomi {
namespace {

// A drop as Explorer makes it: DROPFILES, then the wide names, each ended
// by a NUL, the list by another.
HDROP make_drop(const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& p : paths) names += p + L'\0';
    const std::size_t bytes = (names.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);  // zeroed: the list's NUL
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    *drop = DROPFILES{sizeof(DROPFILES), {}, FALSE, TRUE};
    memcpy(drop + 1, names.c_str(), bytes);
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// True when `action` opened the stamping: its window (left open, owned by
// `host`; closed here) or, in the flow before it, a first dialog (answered
// with Cancel). `told`: the text of a message box it showed instead.
bool opens_stamping(HWND host, const std::function<void()>& action, std::wstring* told = nullptr) {
    bool opened = false;
    for (const auto& box : t::answering_message_boxes(action, IDCANCEL)) {
        opened |= box.title.rfind(L"PDFに捺印", 0) == 0 || box.title.rfind(L"捺印する PDF", 0) == 0;
        if (told && box.title == L"マルコミ２") *told = box.text;
    }
    for (HWND w = nullptr; !opened && (w = FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr;) {
        wchar_t title[64] = L"";
        GetWindowTextW(w, title, 64);
        if (GetWindow(w, GW_OWNER) == host && wcsncmp(title, L"PDFに捺印", 6) == 0) opened = DestroyWindow(w);
    }
    return opened;
}

TEST_F(StampSettingsWindow, DroppedPdfsAndTheResidentWindowMenuOpenTheStamping) {
    HWND host = open();
    ASSERT_TRUE(host);
    const std::wstring pdf = folder_.file(L"請求書 1.pdf");
    const std::wstring text = folder_.file(L"memo.txt");
    ASSERT_TRUE(t::write_bytes(pdf, {'%', 'P', 'D', 'F'}));
    ASSERT_TRUE(t::write_bytes(text, {'x'}));
    const auto drop = [&](const std::vector<std::wstring>& files) {
        return [&, files] { SendMessageW(host, WM_DROPFILES, reinterpret_cast<WPARAM>(make_drop(files)), 0); };
    };
    // Only other files (or a PDF that is gone): told, nothing opens.
    std::wstring told;
    EXPECT_FALSE(opens_stamping(host, drop({text, folder_.file(L"gone.pdf")}), &told));
    EXPECT_EQ(told.rfind(L"PDF ファイルではない", 0), 0u) << told.size();
    EXPECT_TRUE(opens_stamping(host, drop({text, pdf})));

    // Resident mode has no menu bar: the window menu offers the command.
    wchar_t item[64] = L"";
    GetMenuStringW(GetSystemMenu(host, FALSE), 0x0750, item, 64, MF_BYCOMMAND);
    EXPECT_STREQ(item, L"PDFに捺印(&P)…");
    EXPECT_TRUE(opens_stamping(host, [&] { SendMessageW(host, WM_SYSCOMMAND, 0x0750, 0); }));
}

}  // namespace
}  // namespace markomi
