// The preferences window in the settings host window, driven in-process
// under Wine: layout, captions and fills, the resident-mode rule, the
// keyboard, cancel and apply.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <iostream>
#include <string>
#include <vector>

#include "app/app_windows_win.h"
#include "base/process_globals_win.h"
#include "settings/settings_files_win.h"
#include "settings/settings_record.h"
#include "support/message_boxes.h"
#include "support/resident_windows.h"
#include "support/test_files.h"
#include "ui/host_window_win.h"
#include "ui/preferences_rules.h"
#include "ui/preferences_window_win.h"
#include "ui/shortcuts_win.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"

namespace markomi {
namespace {

namespace t = testing;

// Ctrl+Alt+Shift+F11: nothing else on the test desktop takes it.
constexpr std::int32_t kTestHotkey = ((HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT) << 8) | VK_F11;

const int kToggleIds[] = {150, 152, 146, 151, 148, 149, 147};

class PreferencesWindow : public ::testing::Test {
protected:
    void SetUp() override {
        t::register_resident_window_classes();
        t::set_host_window_procedure(PreferencesWndProc);
        g_instance = GetModuleHandleW(nullptr);
        g_current_dpi = 96;
        g_settings = SettingsSet{};
        g_settings.global.station_type = 1;
        g_host_position = POINT{-1, -1};
        g_main_window = t::create_recording_window();
        t::recorded_commands().clear();
        lstrcpynW(g_settings_folder, folder_.path().c_str(), ARRAYSIZE(g_settings_folder));
        lstrcpynW(g_install_folder, L"C:\\Tools\\Markomi2", ARRAYSIZE(g_install_folder));
        SetCursorPos(1400, 800);
    }
    void TearDown() override {
        if (g_host_window) DestroyWindow(g_host_window);
        unregister_hotkey();
        if (g_main_window) DestroyWindow(g_main_window);
        g_host_window = nullptr;
        g_main_window = nullptr;
        g_settings_folder[0] = L'\0';
        t::set_host_window_procedure(nullptr);
        t::pump_messages();
    }

    // What the main window does for command 113.
    HWND open_preferences() { return t::open_host_window_for_test(); }

    void click(HWND host, int id) { SendMessageW(GetDlgItem(host, id), BM_CLICK, 0, 0); }

    bool settings_file_exists() const { return t::file_exists(folder_.file(L"Markomi2.ini")); }

    t::TempFolder folder_;
};

FontSetMetrics measured_metrics(HWND host) {
    TEXTMETRICW tm{};
    HDC dc = GetDC(host);
    HGDIOBJ old = SelectObject(dc, g_window_fonts.normal);
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(host, dc);
    return FontSetMetrics{tm.tmAveCharWidth, tm.tmHeight + tm.tmExternalLeading};
}

void expect_at(HWND control, const LayoutRect& r) {
    ASSERT_TRUE(control);
    const RECT c = t::child_rect(control);
    EXPECT_EQ(c.left, r.x);
    EXPECT_EQ(c.top, r.y);
    EXPECT_EQ(c.right - c.left, r.width);
    EXPECT_EQ(c.bottom - c.top, r.height);
}

int font_height(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf.lfHeight;
}

TEST_F(PreferencesWindow, SizeAndControlsInCharacterUnits) {
    SIZE previous{0, 0};
    for (int expand : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "EXPAND " << expand);
        g_settings.global.expand = expand;
        HWND host = open_preferences();
        ASSERT_TRUE(host);
        EXPECT_EQ(g_host_window, host);
        EXPECT_EQ(font_height(g_window_fonts.normal), expand ? -17 : -15);
        const FontSetMetrics m = measured_metrics(host);
        const PreferencesLayout layout = preferences_layout(m.a, m.l);
        RECT w{};
        GetWindowRect(host, &w);
        EXPECT_EQ(w.right - w.left, layout.window.width);
        EXPECT_EQ(w.bottom - w.top, layout.window.height);
        EXPECT_EQ(w.right - w.left, m.a * 706 / 10);

        for (int i = 0; i < kPrefToggleCount; ++i) {
            SCOPED_TRACE(kToggleIds[i]);
            HWND button = GetDlgItem(host, kToggleIds[i]);
            expect_at(button, layout.toggles[static_cast<size_t>(i)]);
            EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        }
        expect_at(GetDlgItem(host, 153), layout.hotkey_field);
        expect_at(GetDlgItem(host, 122), layout.cancel);
        expect_at(GetDlgItem(host, 121), layout.apply);
        const std::vector<HWND> labels = t::children_of_class(host, L"Static");
        ASSERT_EQ(labels.size(), 2u);
        expect_at(labels[0], layout.title);
        expect_at(labels[1], layout.hotkey_label);
        EXPECT_EQ(t::window_text(labels[0]), L"環境設定");
        EXPECT_EQ(t::window_text(labels[1]), L"ホットキー");

        // Everything inside the client area.
        RECT client{};
        GetClientRect(host, &client);
        EXPECT_LE(t::child_rect(GetDlgItem(host, 121)).bottom, client.bottom);
        EXPECT_LE(t::child_rect(GetDlgItem(host, 121)).right, client.right);

        if (expand) {
            EXPECT_GT(w.right - w.left, previous.cx);
            EXPECT_GT(w.bottom - w.top, previous.cy);
        }
        previous = SIZE{w.right - w.left, w.bottom - w.top};
        DestroyWindow(host);
        EXPECT_EQ(g_host_window, nullptr);
    }
}

TEST_F(PreferencesWindow, OpensWithTitleButtonsFocusAndTheStoredHotkey) {
    g_settings.global.hotkey = kTestHotkey;
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    EXPECT_EQ(t::window_text(host), L"マルコミ２ 環境設定");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 121)), L"実　行");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 122)), L"キャンセル");
    EXPECT_EQ(GetFocus(), GetDlgItem(host, 121));
    HWND field = GetDlgItem(host, 153);
    wchar_t name[64] = L"";
    GetClassNameW(field, name, 64);
    EXPECT_EQ(lstrcmpiW(name, HOTKEY_CLASSW), 0);
    EXPECT_EQ(LOWORD(SendMessageW(field, HKM_GETHOTKEY, 0, 0)), kTestHotkey);
    const UINT close_state = GetMenuState(GetSystemMenu(host, FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_NE(close_state, static_cast<UINT>(-1));
    EXPECT_TRUE(close_state & MF_GRAYED);

    // Resident mode: bottom-right corner at the pointer (it may have moved:
    // other tests share it, so only the relation is checked).
    RECT w{};
    GetWindowRect(host, &w);
    EXPECT_LT(w.left, 1400);
    EXPECT_LT(w.top, 800);
}

TEST_F(PreferencesWindow, NormalModeOpensAtTheRememberedPositionOrCentred) {
    g_settings.global.station_type = 0;
    g_host_position = POINT{420, 310};
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    RECT r{};
    GetWindowRect(host, &r);
    EXPECT_EQ(r.left, 420);
    EXPECT_EQ(r.top, 310);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(host, 153)));
    DestroyWindow(host);

    // Nothing remembered yet: centred on the display, and remembered.
    g_host_position = POINT{-1, -1};
    host = open_preferences();
    ASSERT_TRUE(host);
    GetWindowRect(host, &r);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, (width - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (height - (r.bottom - r.top)) / 2);
    EXPECT_EQ(g_host_position.x, r.left);
    EXPECT_EQ(g_host_position.y, r.top);
    DestroyWindow(host);

    // Remembered on a monitor that is gone: moved onto the nearest work
    // area, wholly inside it here, where it fits.
    g_host_position = POINT{5000, 3000};
    host = open_preferences();
    ASSERT_TRUE(host);
    GetWindowRect(host, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
    EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(r.right, monitor.rcWork.right);
    EXPECT_EQ(r.bottom, monitor.rcWork.bottom);
    EXPECT_GE(r.left, monitor.rcWork.left);
    EXPECT_GE(r.top, monitor.rcWork.top);
}

TEST_F(PreferencesWindow, NearTheTopLeftCornerOpensBesideThePointer) {
    // The pointer is shared with tests running beside this one: open again
    // when it moved while the window was placed.
    HWND host = nullptr;
    POINT used{};
    for (int attempt = 0; attempt < 5 && !host; ++attempt) {
        SetCursorPos(120, 90);
        POINT before{}, after{};
        GetCursorPos(&before);
        host = open_preferences();
        GetCursorPos(&after);
        if (host && (before.x != after.x || before.y != after.y)) {
            DestroyWindow(host);
            host = nullptr;
        }
        used = before;
    }
    ASSERT_TRUE(host);
    const FontSetMetrics m = measured_metrics(host);
    RECT r{};
    GetWindowRect(host, &r);
    EXPECT_EQ(r.left, std::max<int>(used.x, horizontal_taskbar_margin()) + 2 * m.a);
    EXPECT_EQ(r.top, std::max<int>(used.y, vertical_taskbar_margin()) + 2 * m.l);
}

// The fill colour a reader sees inside a toggle, past its two frames.
std::uint32_t fill_seen(const t::Capture& shot, HWND host, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(host, id), &r);
    RECT w{};
    GetWindowRect(host, &w);
    return shot.at(r.left - w.left + 3, r.top - w.top + 2);
}

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kLightRed = 0xFF8080;  // 0x00RRGGBB in captures
constexpr std::uint32_t kGrey = 0x6D6D6D;

TEST_F(PreferencesWindow, CaptionsAndFillsFollowTheSettings) {
    g_settings.global.format = u"B";
    g_settings.global.paste = 1;
    g_settings.global.expand = 1;
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    EXPECT_EQ(t::window_text(GetDlgItem(host, 150)), L"はんこレイアウトを自動調整する。");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 152)), L"ウィンドウを大きめサイズで表示する。");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 151)), L"ビットマップとして捺印する。(背景が透けません)");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 148)), L"マルコミ２を常駐モードで使用する。");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 149)), L"捺印時クリップボードにコピー＆ペーストする。");
    const bool desktop = shortcut_exists(CSIDL_DESKTOP);
    EXPECT_EQ(t::window_text(GetDlgItem(host, 146)),
              desktop ? L"ディスクトップにアイコンを作成する。" : L"ディスクトップにアイコンを作成しない。");

    t::pump_messages();
    std::wstring path;
    const t::Capture shot = t::capture_window(host, L"preferences_window", &path);
    std::wcout << L"preferences window screenshot: " << path << std::endl;
    EXPECT_EQ(fill_seen(shot, host, 150), kWhite);
    EXPECT_EQ(fill_seen(shot, host, 152), kLightRed);
    EXPECT_EQ(fill_seen(shot, host, 151), kLightRed);
    EXPECT_EQ(fill_seen(shot, host, 148), kLightRed);
    EXPECT_EQ(fill_seen(shot, host, 149), kLightRed);
    EXPECT_EQ(fill_seen(shot, host, 146), desktop ? kWhite : kLightRed);
    // The outer frame is black on an enabled toggle.
    RECT r{}, w{};
    GetWindowRect(GetDlgItem(host, 150), &r);
    GetWindowRect(host, &w);
    EXPECT_EQ(shot.at(r.left - w.left + 10, r.top - w.top), 0u);
    EXPECT_EQ(shot.at(r.left - w.left + 10, r.top - w.top + 1), kWhite);

    // Back to metafile output: that toggle turns white.
    click(host, 151);
    EXPECT_EQ(t::window_text(GetDlgItem(host, 151)), L"メタファイルとして捺印する。(背景が透けます)");
    t::pump_messages();
    const t::Capture after = t::capture_window(host, L"preferences_window_metafile");
    EXPECT_EQ(fill_seen(after, host, 151), kWhite);
}

// For looking at: every caption whole and inside its toggle, at both
// resolutions and both window sizes.
TEST_F(PreferencesWindow, ScreenshotsAtTwoResolutionsAndBothSizes) {
    for (int dpi : {96, 144}) {
        for (int expand : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << dpi << " dpi, EXPAND " << expand);
            g_current_dpi = dpi;
            g_settings.global.expand = expand;
            HWND host = open_preferences();
            ASSERT_TRUE(host);
            t::pump_messages();
            t::capture_window(host, L"preferences_" + std::to_wstring(dpi) + L"dpi_expand" +
                                        std::to_wstring(expand));
            HDC dc = GetDC(host);
            HGDIOBJ old = SelectObject(dc, g_window_fonts.normal);
            for (int id : kToggleIds) {
                const std::wstring caption = t::window_text(GetDlgItem(host, id));
                SIZE extent{};
                GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
                const RECT r = t::child_rect(GetDlgItem(host, id));
                EXPECT_LT(extent.cx, r.right - r.left) << id;
                EXPECT_LE(extent.cy, r.bottom - r.top) << id;
            }
            SelectObject(dc, old);
            ReleaseDC(host, dc);
            DestroyWindow(host);
        }
    }
}

TEST_F(PreferencesWindow, LeavingResidentModeGreysOutPasteStartupAndHotkey) {
    g_settings.global.paste = 1;
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    for (int id : {149, 147, 153}) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(host, id))) << id;
    click(host, 147);
    EXPECT_EQ(t::window_text(GetDlgItem(host, 147)),
              L"スタートアップフォルダーにアイコンを作成する。");

    click(host, 148);
    EXPECT_EQ(t::window_text(GetDlgItem(host, 148)), L"マルコミ２を通常モードで使用する。");
    for (int id : {149, 147, 153}) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(host, id))) << id;
    EXPECT_EQ(t::window_text(GetDlgItem(host, 149)), L"捺印時クリップボードにコピーする。");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 147)),
              L"スタートアップフォルダーにアイコンを作成しない。");
    t::pump_messages();
    const t::Capture shot = t::capture_window(host, L"preferences_window_normal_mode");
    // Disabled toggles: grey frame, white fill.
    RECT r{}, w{};
    GetWindowRect(GetDlgItem(host, 149), &r);
    GetWindowRect(host, &w);
    EXPECT_EQ(shot.at(r.left - w.left + 10, r.top - w.top), kGrey);
    EXPECT_EQ(fill_seen(shot, host, 149), kWhite);

    // Back to resident mode: enabled again, but paste and startup stay off.
    click(host, 148);
    for (int id : {149, 147, 153}) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(host, id))) << id;
    EXPECT_EQ(t::window_text(GetDlgItem(host, 149)), L"捺印時クリップボードにコピーする。");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 147)),
              L"スタートアップフォルダーにアイコンを作成しない。");
    // Nothing is stored before apply.
    EXPECT_EQ(g_settings.global.station_type, 1);
    EXPECT_EQ(g_settings.global.paste, 1);
    EXPECT_FALSE(settings_file_exists());
}

TEST_F(PreferencesWindow, CancelChangesNothingAndRestoresTheHotkey) {
    g_settings.global.hotkey = kTestHotkey;
    register_hotkey();
    ASSERT_TRUE(hotkey_registered());
    const bool desktop = shortcut_exists(CSIDL_DESKTOP);
    const bool startup = shortcut_exists(CSIDL_STARTUP);

    HWND host = open_preferences();
    ASSERT_TRUE(host);
    EXPECT_FALSE(hotkey_registered());  // free to be typed into the field
    for (int id : kToggleIds) click(host, id);
    SendMessageW(GetDlgItem(host, 153), HKM_SETHOTKEY, 0x0441, 0);
    click(host, 122);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);
    EXPECT_TRUE(hotkey_registered());
    EXPECT_EQ(g_settings.global.hotkey, kTestHotkey);
    EXPECT_EQ(g_settings.global.station_type, 1);
    EXPECT_EQ(g_settings.global.format, u"M");
    EXPECT_EQ(g_settings.global.ajust, 1);
    EXPECT_FALSE(settings_file_exists());
    EXPECT_EQ(shortcut_exists(CSIDL_DESKTOP), desktop);
    EXPECT_EQ(shortcut_exists(CSIDL_STARTUP), startup);
    t::pump_messages();
    EXPECT_TRUE(t::recorded_commands().empty());

    // Normal mode: the stamp settings window comes back.
    g_settings.global.station_type = 0;
    host = open_preferences();
    ASSERT_TRUE(host);
    click(host, 122);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(hotkey_registered());  // no hotkey in normal mode
    t::pump_messages();
    EXPECT_EQ(t::commands_with_id(kCmdStampSettings), 1);
    EXPECT_FALSE(settings_file_exists());
}

// Whether some window holds `hotkey` (a hotkey control's value) system-wide.
bool hotkey_held(std::int32_t hotkey) {
    UINT modifiers = 0;
    if (hotkey & (HOTKEYF_SHIFT << 8)) modifiers |= MOD_SHIFT;
    if (hotkey & (HOTKEYF_CONTROL << 8)) modifiers |= MOD_CONTROL;
    if (hotkey & (HOTKEYF_ALT << 8)) modifiers |= MOD_ALT;
    if (RegisterHotKey(nullptr, 0x4711, modifiers, hotkey & 0xFF)) {
        UnregisterHotKey(nullptr, 0x4711);
        return false;
    }
    return true;
}

TEST_F(PreferencesWindow, TheHotkeyComesBackHoweverTheWindowGoes) {
    g_settings.global.hotkey = kTestHotkey;
    register_hotkey();
    ASSERT_TRUE(hotkey_registered());

    // A stamp from the icon, a command or a rebuild at another resolution
    // destroys the window without its buttons.
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    EXPECT_FALSE(hotkey_held(kTestHotkey));
    DestroyWindow(host);
    EXPECT_TRUE(hotkey_registered());
    EXPECT_TRUE(hotkey_held(kTestHotkey));

    // Normal mode has no hotkey to give back.
    unregister_hotkey();
    g_settings.global.station_type = 0;
    host = open_preferences();
    ASSERT_TRUE(host);
    DestroyWindow(host);
    EXPECT_FALSE(hotkey_registered());
    EXPECT_FALSE(hotkey_held(kTestHotkey));
}

// Through the host window's own procedure, as the program opens it.
TEST_F(PreferencesWindow, OnlyAnotherResolutionRebuildsTheWindowOnceWhereSuggested) {
    t::set_host_window_procedure(HostWndProc);
    open_host_window(kCmdPreferences);
    HWND first = g_host_window;
    ASSERT_TRUE(first);
    // Built for its monitor's resolution.
    const int built = host_window_dpi();
    EXPECT_EQ(built, g_current_dpi);
    const int other = built * 3 / 2;
    RECT before{};
    GetWindowRect(first, &before);

    // Moved onto a monitor of the same resolution it was built at: nothing.
    RECT same = before;
    OffsetRect(&same, -100, -50);
    SendMessageW(first, WM_DPICHANGED, MAKEWPARAM(built, built), reinterpret_cast<LPARAM>(&same));
    t::pump_messages();
    EXPECT_EQ(g_host_window, first);
    // Nor a forged notice of a resolution no screen has.
    for (WORD bogus : {WORD{0}, WORD{65535}})
        SendMessageW(first, WM_DPICHANGED, MAKEWPARAM(bogus, bogus), reinterpret_cast<LPARAM>(&same));
    t::pump_messages();
    EXPECT_EQ(g_host_window, first);
    EXPECT_EQ(host_window_dpi(), built);

    // Another resolution: one new window, at the suggested corner, with the
    // larger font, built for that resolution.
    const RECT suggested{300, 200, 300 + (before.right - before.left) * 3 / 2,
                         200 + (before.bottom - before.top) * 3 / 2};
    SendMessageW(first, WM_DPICHANGED, MAKEWPARAM(other, other),
                 reinterpret_cast<LPARAM>(&suggested));
    t::pump_messages();
    EXPECT_FALSE(IsWindow(first));
    HWND second = g_host_window;
    ASSERT_TRUE(second);
    EXPECT_EQ(host_window_dpi(), other);
    EXPECT_EQ(font_height(g_window_fonts.normal), -(other * 15 / 96));
    RECT after{};
    GetWindowRect(second, &after);
    EXPECT_EQ(after.left, suggested.left);
    EXPECT_EQ(after.top, suggested.top);
    EXPECT_GT(after.right - after.left, before.right - before.left);

    // The rebuilt window told of the resolution it has: no second rebuild.
    SendMessageW(second, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&after));
    t::pump_messages();
    EXPECT_EQ(g_host_window, second);
    DestroyWindow(second);
    g_current_dpi = 96;
}

// Dragged onto a monitor of another resolution before キャンセル or 実　行:
// the rebuilt window still shows what was chosen, and nothing is applied.
TEST_F(PreferencesWindow, ARebuildAtAnotherResolutionKeepsWhatWasChosenButNotApplied) {
    g_settings.global.hotkey = kTestHotkey;
    t::set_host_window_procedure(HostWndProc);
    open_host_window(kCmdPreferences);
    HWND first = g_host_window;
    ASSERT_TRUE(first);
    click(first, 151);  // bitmap
    click(first, 149);  // paste
    click(first, 150);  // no automatic layout
    constexpr std::int32_t kTyped = (HOTKEYF_ALT << 8) | 'Q';
    SendMessageW(GetDlgItem(first, 153), HKM_SETHOTKEY, kTyped, 0);
    std::vector<std::wstring> chosen;
    for (int id : kToggleIds) chosen.push_back(t::window_text(GetDlgItem(first, id)));
    ASSERT_EQ(chosen[3], L"ビットマップとして捺印する。(背景が透けません)");

    const int other = host_window_dpi() * 3 / 2;
    HWND second = t::rebuild_host_at_a_larger_resolution(first);
    ASSERT_TRUE(second);
    ASSERT_NE(second, first);
    ASSERT_EQ(host_window_dpi(), other);
    for (std::size_t i = 0; i < std::size(kToggleIds); ++i) {
        SCOPED_TRACE(kToggleIds[i]);
        EXPECT_EQ(t::window_text(GetDlgItem(second, kToggleIds[i])), chosen[i]);
    }
    EXPECT_EQ(LOWORD(SendMessageW(GetDlgItem(second, 153), HKM_GETHOTKEY, 0, 0)), kTyped);
    EXPECT_EQ(g_settings.global.format, u"M");
    EXPECT_EQ(g_settings.global.paste, 0);
    EXPECT_EQ(g_settings.global.ajust, 1);
    EXPECT_EQ(g_settings.global.hotkey, kTestHotkey);
    EXPECT_FALSE(settings_file_exists());

    // Cancelled, the next window starts from the settings again.
    click(second, 122);
    ASSERT_FALSE(IsWindow(second));
    open_host_window(kCmdPreferences);
    ASSERT_TRUE(g_host_window);
    EXPECT_EQ(t::window_text(GetDlgItem(g_host_window, 151)),
              L"メタファイルとして捺印する。(背景が透けます)");
    EXPECT_EQ(LOWORD(SendMessageW(GetDlgItem(g_host_window, 153), HKM_GETHOTKEY, 0, 0)),
              kTestHotkey);
    DestroyWindow(g_host_window);
    g_current_dpi = 96;
}

TEST_F(PreferencesWindow, EscapeFromAnyControlIsCancel) {
    g_settings.global.hotkey = kTestHotkey;
    register_hotkey();
    ASSERT_TRUE(hotkey_registered());
    // From the hotkey field (which would otherwise take the key), a toggle
    // and the apply button.
    for (int id : {153, 150, 121}) {
        SCOPED_TRACE(id);
        HWND host = open_preferences();
        ASSERT_TRUE(host);
        for (int toggle : kToggleIds) click(host, toggle);
        SetFocus(GetDlgItem(host, id));
        SendMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
        SendMessageW(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
        t::pump_messages();
        EXPECT_FALSE(IsWindow(host));
        EXPECT_EQ(g_host_window, nullptr);
        EXPECT_TRUE(hotkey_registered());
        EXPECT_EQ(g_settings.global.hotkey, kTestHotkey);
        EXPECT_EQ(g_settings.global.format, u"M");
        EXPECT_FALSE(settings_file_exists());
        EXPECT_TRUE(t::recorded_commands().empty());
    }
    // Normal mode: as キャンセル, the stamp settings window comes back.
    g_settings.global.station_type = 0;
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    SendMessageW(host, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(IsWindow(host));
    t::pump_messages();
    EXPECT_EQ(t::commands_with_id(kCmdStampSettings), 1);
}

TEST_F(PreferencesWindow, CloseRequestFollowsTheHostWindowRule) {
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    SendMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);
    EXPECT_TRUE(IsWindow(g_main_window));
    EXPECT_FALSE(settings_file_exists());
}

int focused_id() { return GetDlgCtrlID(GetFocus()); }

void key_down(WPARAM vk) { SendMessageW(GetFocus(), WM_KEYDOWN, vk, 1); }

TEST_F(PreferencesWindow, TabDownAndUpWalkTheRingSkippingDisabledControls) {
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    ASSERT_EQ(focused_id(), 121);
    const int forward[] = {150, 152, 146, 151, 148, 149, 147, 153, 122, 121};
    for (int i = 0; i < 10; ++i) {
        key_down(i % 2 ? VK_DOWN : VK_TAB);
        EXPECT_EQ(focused_id(), forward[i]) << "step " << i;
    }
    const int backward[] = {122, 153, 147, 149, 148, 151, 146, 152, 150, 121};
    for (int i = 0; i < 10; ++i) {
        key_down(VK_UP);
        EXPECT_EQ(focused_id(), backward[i]) << "step " << i;
    }

    // Normal mode: from resident mode straight to cancel and back.
    click(host, 148);
    SetFocus(GetDlgItem(host, 148));
    key_down(VK_TAB);
    EXPECT_EQ(focused_id(), 122);
    key_down(VK_UP);
    EXPECT_EQ(focused_id(), 148);
    key_down(VK_DOWN);
    EXPECT_EQ(focused_id(), 122);
    // Tab characters and key-ups do nothing.
    SendMessageW(GetFocus(), WM_CHAR, L'\t', 1);
    SendMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
    EXPECT_EQ(focused_id(), 122);
    EXPECT_TRUE(IsWindow(host));
}

TEST_F(PreferencesWindow, EnterAndSpaceCharactersPressSpaceKeyDownsDoNot) {
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    HWND metafile = GetDlgItem(host, 151);
    SetFocus(metafile);
    // The button's own Space click (key down, key up) is filtered out.
    SendMessageW(metafile, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(metafile, WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_EQ(t::window_text(metafile), L"メタファイルとして捺印する。(背景が透けます)");
    SendMessageW(metafile, WM_CHAR, L' ', 1);
    EXPECT_EQ(t::window_text(metafile), L"ビットマップとして捺印する。(背景が透けません)");
    SendMessageW(metafile, WM_CHAR, L'\r', 1);
    EXPECT_EQ(t::window_text(metafile), L"メタファイルとして捺印する。(背景が透けます)");

    // The hotkey field never takes Space, but other keys reach it; a key
    // without a modifier gets Alt.
    HWND field = GetDlgItem(host, 153);
    SetFocus(field);
    SendMessageW(field, WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(LOWORD(SendMessageW(field, HKM_GETHOTKEY, 0, 0)), 0);
    SendMessageW(field, WM_KEYDOWN, 'K', 1);
    EXPECT_EQ(LOWORD(SendMessageW(field, HKM_GETHOTKEY, 0, 0)), (HOTKEYF_ALT << 8) | 'K');
    // Up leaves the field instead of becoming its key.
    SendMessageW(field, WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(focused_id(), 147);
    EXPECT_EQ(LOWORD(SendMessageW(field, HKM_GETHOTKEY, 0, 0)), (HOTKEYF_ALT << 8) | 'K');

    // Space on cancel closes the window, once.
    HWND cancel = GetDlgItem(host, 122);
    SetFocus(cancel);
    SendMessageW(cancel, WM_CHAR, L' ', 1);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(settings_file_exists());
}

// Apply writes the real desktop and startup shortcuts, which the shortcut
// tests create and delete too: this suite runs alone.
class DesktopPreferencesApply : public PreferencesWindow {
protected:
    void SetUp() override {
        PreferencesWindow::SetUp();
        for (int k = 0; k < 2; ++k) {
            const int csidl = k ? CSIDL_STARTUP : CSIDL_DESKTOP;
            std::wstring link;
            ASSERT_TRUE(shortcut_path_of(csidl, &link));
            links_[k] = link;
            had_[k] = t::file_exists(link);
            if (had_[k]) saved_[k] = t::read_bytes(link);
            DeleteFileW(link.c_str());
        }
    }
    void TearDown() override {
        for (int k = 0; k < 2; ++k) {
            DeleteFileW(links_[k].c_str());
            if (had_[k]) t::write_bytes(links_[k], saved_[k]);
        }
        PreferencesWindow::TearDown();
    }
    SettingsSet stored() {
        SettingsSet set;
        load_settings_in(folder_.path().c_str(), set);
        return set;
    }
    std::wstring links_[2];
    bool had_[2] = {false, false};
    std::vector<unsigned char> saved_[2];
};

TEST_F(DesktopPreferencesApply, StoresTheOptionsAndMakesTheShortcuts) {
    g_settings.global.hotkey = kTestHotkey;
    HWND host = open_preferences();
    ASSERT_TRUE(host);
    for (int id : {150, 152, 146, 151, 149, 147}) click(host, id);
    SendMessageW(GetDlgItem(host, 153), HKM_SETHOTKEY, kTestHotkey, 0);
    click(host, 121);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);

    const SettingsSet set = stored();
    EXPECT_EQ(set.global.ajust, 0);
    EXPECT_EQ(set.global.expand, 1);
    EXPECT_EQ(set.global.format, u"B");
    EXPECT_EQ(set.global.station_type, 1);
    EXPECT_EQ(set.global.paste, 1);
    EXPECT_EQ(set.global.hotkey, kTestHotkey);
    EXPECT_TRUE(shortcut_exists(CSIDL_DESKTOP));
    EXPECT_TRUE(shortcut_exists(CSIDL_STARTUP));
    EXPECT_TRUE(hotkey_registered());
    t::pump_messages();
    EXPECT_EQ(t::commands_with_id(kCmdStampSettings), 0);  // resident: nothing opens

    // Again: both icons off, Ctrl+V typed as the hotkey, normal mode.
    host = open_preferences();
    ASSERT_TRUE(host);
    EXPECT_EQ(t::window_text(GetDlgItem(host, 146)), L"ディスクトップにアイコンを作成する。");
    EXPECT_EQ(t::window_text(GetDlgItem(host, 147)),
              L"スタートアップフォルダーにアイコンを作成する。");
    click(host, 146);
    SendMessageW(GetDlgItem(host, 153), HKM_SETHOTKEY, kCtrlVHotkey, 0);
    click(host, 148);  // normal mode takes the startup icon with it
    click(host, 121);
    EXPECT_FALSE(IsWindow(host));
    const SettingsSet normal = stored();
    EXPECT_EQ(normal.global.station_type, 0);
    EXPECT_EQ(normal.global.paste, 0);
    EXPECT_EQ(normal.global.hotkey, 0);
    EXPECT_FALSE(shortcut_exists(CSIDL_DESKTOP));
    EXPECT_FALSE(shortcut_exists(CSIDL_STARTUP));
    EXPECT_FALSE(hotkey_registered());
    t::pump_messages();
    EXPECT_EQ(t::commands_with_id(kCmdStampSettings), 1);
}

// Becoming resident closes every window; the opening notice says where the
// program went. Staying resident shows nothing.
TEST_F(DesktopPreferencesApply, BecomingResidentShowsTheOpeningNotice) {
    for (int was : {0, 1}) {
        g_settings.global.station_type = was;
        HWND host = open_preferences();
        ASSERT_TRUE(host);
        if (was == 0) click(host, 148);  // resident mode on
        click(host, 121);
        t::pump_messages();
        EXPECT_EQ(g_settings.global.station_type, 1);
        EXPECT_EQ(g_opening_window != nullptr, was == 0) << was;
        if (g_opening_window) DestroyWindow(g_opening_window);
        delete_tray_icon();
    }
}

TEST_F(DesktopPreferencesApply, AHotkeyHeldByAnotherProgramIsReportedOnce) {
    // Another program (here: this thread, without the main window) holds the key.
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x4712, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F11));
    g_settings.global.hotkey = kTestHotkey;
    // Opens the preferences, applies them and lets what they posted run.
    const auto apply = [this] {
        return t::answering_message_boxes([this] {
            HWND host = open_preferences();
            ASSERT_TRUE(host);
            click(host, 121);
            EXPECT_FALSE(IsWindow(host));
            t::pump_messages();
        });
    };
    const std::vector<t::SeenMessageBox> boxes = apply();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"ホットキー"), std::wstring::npos) << boxes[0].text;
    EXPECT_FALSE(hotkey_registered());
    UnregisterHotKey(nullptr, 0x4712);

    // No hotkey, or normal mode: nothing to tell.
    for (int station : {1, 0}) {
        SCOPED_TRACE(station);
        g_settings.global.station_type = station;
        g_settings.global.hotkey = station ? 0 : kTestHotkey;
        ASSERT_TRUE(RegisterHotKey(nullptr, 0x4712, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F11));
        EXPECT_TRUE(apply().empty());
        UnregisterHotKey(nullptr, 0x4712);
    }
}

}  // namespace
}  // namespace markomi
