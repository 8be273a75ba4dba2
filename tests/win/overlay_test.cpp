// The stamping overlay and the injected click and Ctrl+V, driven on the real
// (Xvfb) desktop: windows of this process record where clicks land and when
// Ctrl+V arrives. Suites named Desktop… run alone (cmake/windows.cmake):
// they move the mouse, change the foreground window and fill the clipboard.
#include <gtest/gtest.h>
#include <windows.h>
#include <windowsx.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/app_windows_win.h"
#include "app/input_injection_win.h"
#include "app/overlay_win.h"
#include "app/screen_mapping.h"
#include "base/process_globals_win.h"
#include "dates/era_table.h"
#include "render/surfaces_gdiplus.h"
#include "settings/settings_record.h"
#include "support/clipboard_text.h"
#include "support/golden.h"
#include "support/resident_windows.h"
#include "ui/window_classes.h"
#include "ui/window_fonts_win.h"

namespace markomi {
namespace {

constexpr wchar_t kRecorderClass[] = L"Markomi2TestRecorder";
constexpr wchar_t kMarkerText[] = L"marker: not a stamp";

// What a recording window saw, in order.
struct Event {
    enum Kind { kClick, kPaste } kind;
    POINT point;              // client point of a click
    bool stamp_on_clipboard;  // at a paste: a metafile or bitmap was there
};

struct Recorder {
    std::vector<Event> events;
    int clicks() const {
        int n = 0;
        for (const Event& e : events) n += e.kind == Event::kClick;
        return n;
    }
    int pastes() const { return static_cast<int>(events.size()) - clicks(); }
};

bool stamp_on_clipboard() {
    return IsClipboardFormatAvailable(CF_ENHMETAFILE) || IsClipboardFormatAvailable(CF_BITMAP);
}

// Test windows: record clicks (taking the focus, as controls do) and Ctrl+V;
// clear the program's handles when they stand in for its windows.
LRESULT CALLBACK RecorderProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* recorder = reinterpret_cast<Recorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
            if (recorder)
                recorder->events.push_back(
                    {Event::kClick, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}, false});
            return 0;
        case WM_KEYDOWN:
            if (recorder && wparam == 'V' && GetKeyState(VK_CONTROL) < 0)
                recorder->events.push_back({Event::kPaste, POINT{0, 0}, stamp_on_clipboard()});
            return 0;
        case WM_DESTROY:
            if (hwnd == g_host_window) g_host_window = nullptr;
            if (hwnd == g_main_window) g_main_window = nullptr;
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

void register_classes() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSW overlay{};
    overlay.lpfnWndProc = OverlayWndProc;
    overlay.hInstance = g_instance;
    overlay.hCursor = LoadCursorW(nullptr, IDC_HAND);
    overlay.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    overlay.lpszClassName = kOverlayWindowClass;
    RegisterClassW(&overlay);
    WNDCLASSW recorder{};
    recorder.lpfnWndProc = RecorderProc;
    recorder.hInstance = g_instance;
    recorder.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    recorder.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    recorder.lpszClassName = kRecorderClass;
    RegisterClassW(&recorder);
}

// Dispatches messages until `done` holds or about `limit_ms` have passed.
template <typename Done>
bool pump_until(Done done, int limit_ms = 4000) {
    return testing::pump_until(done, static_cast<DWORD>(limit_ms));
}

void pump_for(int ms) {
    pump_until([] { return false; }, ms);
}

POINT screen_origin_of(HWND window) {
    POINT p{0, 0};
    ClientToScreen(window, &p);
    return p;
}

void put_marker_on_clipboard() { ASSERT_TRUE(testing::put_text_on_clipboard(kMarkerText)); }

// What a second thread found of the program's message box before pressing OK.
struct MessageBoxSeen {
    std::atomic<bool> found{false};
    std::wstring text;
    HWND owner = nullptr;
};

// Waits for the box titled マルコミ２, reads it and presses OK.
std::thread answer_message_box(MessageBoxSeen& seen) {
    return std::thread([&seen] {
        for (int i = 0; i < 500; ++i) {
            HWND box = FindWindowW(L"#32770", kMessageBoxTitle);
            if (!box) {
                Sleep(20);
                continue;
            }
            Sleep(100);  // let it finish building its controls
            for (HWND child = GetWindow(box, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                wchar_t cls[32] = L"", text[200] = L"";
                GetClassNameW(child, cls, 32);
                GetWindowTextW(child, text, 200);
                if (lstrcmpiW(cls, L"Static") == 0 && text[0]) seen.text = text;
            }
            seen.owner = GetWindow(box, GW_OWNER);
            seen.found = true;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            return;
        }
    });
}

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_instance = GetModuleHandleW(nullptr);
        register_classes();
        init_measure_cache();
        create_surfaces();
        g_era_table = builtin_era_table();
        g_settings = SettingsSet{};
        g_settings.date.year = 2025;
        g_settings.date.month = 5;
        g_settings.date.day = 1;
        g_settings.global.station_type = 1;
        g_settings.global.paste = 1;
        g_settings.global.expand = 1;
        g_current_dpi = 96;
        // Shown (small, out of the way) so that the end rule's hiding shows.
        g_main_window =
            recorder_window(WS_POPUP | WS_VISIBLE, RECT{1800, 120, 1860, 160}, nullptr, nullptr);
        overlay_ = create_overlay_window(g_main_window);
        // Somewhere no test window lies, away from Wine's tray at the top left.
        SetCursorPos(1500, 1000);
    }

    void TearDown() override {
        if (g_overlay_window) DestroyWindow(g_overlay_window);
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if (IsWindow(*it)) DestroyWindow(*it);
        pump_for(50);
        g_main_window = g_host_window = g_overlay_window = nullptr;
        delete_window_fonts();
        release_surfaces();
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }

    // A recording window at `rect` (screen, or parent client coordinates).
    HWND recorder_window(DWORD style, RECT rect, HWND parent, Recorder* recorder,
                         const wchar_t* cls = kRecorderClass, DWORD ex_style = 0) {
        HWND w =
            CreateWindowExW(ex_style, cls, L"", style, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, parent, nullptr, g_instance, nullptr);
        EXPECT_NE(w, nullptr);
        if (recorder) SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(recorder));
        windows_.push_back(w);
        return w;
    }

    // The icon click with PASTE 1: the impression goes to the clipboard and
    // the overlay waits.
    void start_stamping() {
        ASSERT_TRUE(copy_active_stamp());
        finish_stamp_copy();
        ASSERT_TRUE(pump_until([this] { return IsWindowVisible(overlay_) != FALSE; }));
        pump_for(200);
    }

    HWND overlay_ = nullptr;
    std::vector<HWND> windows_;
};

class DesktopOverlay : public DesktopTest {};
class DesktopInjection : public DesktopTest {};

// ---- The overlay window ----

TEST_F(DesktopOverlay, IsCreatedHiddenTranslucentAndOwnedWithTheLargeWindowFont) {
    ASSERT_NE(overlay_, nullptr);
    EXPECT_EQ(g_overlay_window, overlay_);
    EXPECT_FALSE(IsWindowVisible(overlay_));
    EXPECT_EQ(GetWindow(overlay_, GW_OWNER), g_main_window);
    EXPECT_TRUE(GetWindowLongW(overlay_, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongW(overlay_, GWL_STYLE) & WS_POPUP);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(overlay_, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 100);
    EXPECT_TRUE(flags & LWA_ALPHA);

    // EXPAND 1 at 96 DPI: 19 pixels; EXPAND 0: 17.
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(g_window_fonts.normal, sizeof font, &font));
    EXPECT_EQ(font.lfHeight, -19);
    EXPECT_GT(g_window_fonts.metrics.a, 0);
    EXPECT_GE(g_window_fonts.metrics.l, 19);
    DestroyWindow(overlay_);
    EXPECT_EQ(g_overlay_window, nullptr);

    g_settings.global.expand = 0;
    overlay_ = create_overlay_window(g_main_window);
    ASSERT_TRUE(GetObjectW(g_window_fonts.normal, sizeof font, &font));
    EXPECT_EQ(font.lfHeight, -17);
}

TEST_F(DesktopOverlay, ShownItCoversTheDesktopWithTheBannerCentred) {
    start_stamping();
    RECT rect{};
    GetWindowRect(overlay_, &rect);
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(rect.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_EQ(GetForegroundWindow(), overlay_);

    // Where the banner must be: the text measured as the overlay measures it,
    // centred on the (single) monitor.
    const wchar_t banner[] = L"【マルコミ２】捺印したい場所で左クリック、キャンセルは右クリック";
    HDC dc = GetDC(overlay_);
    SIZE text{};
    GetTextExtentPoint32W(dc, banner, lstrlenW(banner), &text);
    ReleaseDC(overlay_, dc);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    BannerLayout b = banner_layout(ScreenArea{0, 0, width, height}, text.cx, text.cy,
                                   g_window_fonts.metrics.a, g_window_fonts.metrics.l);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP shot = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    auto pixel = [memory](int x, int y) { return GetPixel(memory, x, y); };
    auto reddish = [](COLORREF c) {
        return GetRValue(c) >= GetGValue(c) + 60 && GetRValue(c) >= GetBValue(c) + 60;
    };
    auto neutral = [](COLORREF c) {
        return abs(GetRValue(c) - GetGValue(c)) < 20 && abs(GetGValue(c) - GetBValue(c)) < 20;
    };
    // Inside the rectangle, clear of the text: banner colour. Just outside: the veil.
    EXPECT_TRUE(reddish(pixel(b.left + 3, b.top + 3))) << std::hex << pixel(b.left + 3, b.top + 3);
    EXPECT_TRUE(reddish(pixel(b.right - 4, b.bottom - 4)));
    EXPECT_TRUE(reddish(pixel(b.text_x - 5, b.text_y + text.cy / 2)));
    EXPECT_TRUE(neutral(pixel(b.left - 3, b.top - 3)));
    EXPECT_TRUE(neutral(pixel(b.right + 3, b.bottom + 3)));
    EXPECT_TRUE(neutral(pixel(width / 4, height / 4)));
    // The text: dark glyph pixels on its own (opaque) light background.
    int dark = 0, light = 0;
    for (int y = b.text_y; y < b.text_y + text.cy; ++y)
        for (int x = b.text_x; x < b.text_x + text.cx; ++x) {
            COLORREF c = pixel(x, y);
            if (GetRValue(c) < 90 && GetGValue(c) < 90) ++dark;
            if (neutral(c) && GetRValue(c) > 180) ++light;
        }
    EXPECT_GT(dark, text.cx);
    EXPECT_GT(light, text.cx * text.cy / 2);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    testing::save_bitmap_artifact(shot, L"overlay_shown");
    DeleteObject(shot);
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    path = path.substr(0, path.find_last_of(L'\\')) + L"\\render-artifacts\\overlay_shown.png";
    printf("overlay screenshot: %ls\n", path.c_str());
}

TEST_F(DesktopOverlay, LeftClickStampsIntoTheWindowBelowAndKeepsTheResidentProgram) {
    Recorder recorder;
    HWND frame = recorder_window(WS_POPUP | WS_VISIBLE | WS_BORDER, RECT{500, 300, 1300, 800},
                                 nullptr, nullptr);
    HWND target = recorder_window(WS_CHILD | WS_VISIBLE, RECT{100, 80, 600, 380}, frame, &recorder);
    HWND host =
        recorder_window(WS_POPUP | WS_VISIBLE, RECT{1400, 700, 1700, 900}, nullptr, nullptr);
    g_host_window = host;
    start_stamping();
    EXPECT_FALSE(IsWindowVisible(host));  // hidden by the stamp copy

    POINT origin = screen_origin_of(target);
    inject_click(POINT{origin.x + 123, origin.y + 77});  // the user's click on the overlay
    ASSERT_TRUE(pump_until([&] { return recorder.pastes() > 0; }));
    pump_for(100);

    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0].kind, Event::kClick);
    EXPECT_EQ(recorder.events[0].point.x, 123);
    EXPECT_EQ(recorder.events[0].point.y, 77);
    EXPECT_EQ(recorder.events[1].kind, Event::kPaste);
    EXPECT_TRUE(recorder.events[1].stamp_on_clipboard);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));  // FORMAT "M"

    EXPECT_FALSE(IsWindowVisible(overlay_));
    EXPECT_EQ(g_overlay_window, overlay_);
    ASSERT_TRUE(IsWindow(g_main_window));
    EXPECT_FALSE(IsWindowVisible(g_main_window));
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(g_host_window, nullptr);
}

TEST_F(DesktopOverlay, RightClickCancelsWithAMessageAndLeavesTheImpressionOnTheClipboard) {
    Recorder recorder;
    HWND target =
        recorder_window(WS_POPUP | WS_VISIBLE, RECT{400, 300, 900, 700}, nullptr, &recorder);
    HWND host =
        recorder_window(WS_POPUP | WS_VISIBLE, RECT{1400, 700, 1700, 900}, nullptr, nullptr);
    g_host_window = host;
    start_stamping();

    MessageBoxSeen seen;
    std::thread answer = answer_message_box(seen);
    POINT origin = screen_origin_of(target);
    inject_click(POINT{origin.x + 50, origin.y + 50}, MouseButton::kRight);
    pump_until([&] { return seen.found.load(); }, 10000);
    answer.join();
    pump_for(300);

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, L"捺印 はキャンセルされました。");
    // MB_TOPMOST is passed, but Wine 8 leaves the box without WS_EX_TOPMOST
    // (docs/wine-notes.md), so there is nothing to see of it here.
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    EXPECT_FALSE(IsWindowVisible(overlay_));
    ASSERT_TRUE(IsWindow(g_main_window));
    EXPECT_FALSE(IsWindowVisible(g_main_window));
    EXPECT_FALSE(IsWindow(host));
}

TEST_F(DesktopOverlay, EscAndACloseRequestCancelLikeTheRightButtonAndKeepTheVeil) {
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way ? "Alt+F4" : "Esc");
        start_stamping();
        MessageBoxSeen seen;
        std::thread answer = answer_message_box(seen);
        if (way == 0) {
            const BYTE scan = static_cast<BYTE>(MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC));
            keybd_event(VK_ESCAPE, scan, 0, 0);
            keybd_event(VK_ESCAPE, scan, KEYEVENTF_KEYUP, 0);
        } else {
            // What Alt+F4 makes of itself in the window's default handling.
            PostMessageW(overlay_, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        pump_until([&] { return seen.found.load(); }, 10000);
        answer.join();
        pump_for(200);
        EXPECT_TRUE(seen.found);
        EXPECT_EQ(seen.text, L"捺印 はキャンセルされました。");
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
        // Hidden, not gone: the next stamp from the icon waits on it again.
        ASSERT_TRUE(IsWindow(overlay_));
        EXPECT_EQ(g_overlay_window, overlay_);
        EXPECT_FALSE(IsWindowVisible(overlay_));
    }
    // A close request while it is hidden changes nothing and asks nothing.
    SendMessageW(overlay_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(overlay_));
    EXPECT_FALSE(IsWindowVisible(overlay_));
}

TEST_F(DesktopOverlay, NormalModeCancelEndsWithTheOverlayAndTheMainWindowDestroyed) {
    g_settings.global.station_type = 0;
    HWND main_window = g_main_window;
    start_stamping();
    MessageBoxSeen seen;
    std::thread answer = answer_message_box(seen);
    inject_click(POINT{960, 540}, MouseButton::kRight);
    pump_until([&] { return seen.found.load(); }, 10000);
    answer.join();
    pump_for(200);
    EXPECT_TRUE(seen.found);
    EXPECT_FALSE(IsWindow(overlay_));
    EXPECT_EQ(g_overlay_window, nullptr);
    EXPECT_FALSE(IsWindow(main_window));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
}

// ---- Injected input ----

TEST_F(DesktopInjection, ClicksLandOnTheExactPixelUpToTheScreenEdges) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    Recorder recorder;
    // Everything below Wine's tray window, to the right and bottom edges.
    HWND sheet =
        recorder_window(WS_POPUP | WS_VISIBLE, RECT{0, 60, width, height}, nullptr, &recorder);
    ASSERT_TRUE(bring_to_front(sheet));
    const POINT points[] = {
        {width / 2, height / 2},
        {width - 1, height - 1},
        {width - 2, height - 1},
        {width - 1, height - 2},
        {width - 1, 61},
        {1, height - 1},
        {0, 60},
        {167, 60},
        {1234, 567},
        {321, 987},
        {1501, 103},
        {width - 3, height / 2 + 1},
    };
    for (const POINT& p : points) {
        SCOPED_TRACE(::testing::Message() << p.x << "," << p.y);
        int before = recorder.clicks();
        inject_click(p);
        ASSERT_TRUE(pump_until([&] { return recorder.clicks() > before; }));
        POINT cursor{};
        GetCursorPos(&cursor);
        EXPECT_EQ(cursor.x, p.x);
        EXPECT_EQ(cursor.y, p.y);
        const Event& e = recorder.events.back();
        EXPECT_EQ(e.point.x, p.x);
        EXPECT_EQ(e.point.y, p.y - 60);
    }
}

TEST_F(DesktopInjection, DropOnTheSourceOrTheHostWindowInjectsNothingAndKeepsTheClipboard) {
    Recorder host_seen, source_seen, target_seen;
    HWND host =
        recorder_window(WS_POPUP | WS_VISIBLE, RECT{700, 300, 1300, 700}, nullptr, &host_seen);
    HWND source =
        recorder_window(WS_CHILD | WS_VISIBLE, RECT{50, 50, 450, 350}, host, &source_seen);
    recorder_window(WS_CHILD | WS_VISIBLE, RECT{10, 10, 110, 40}, source, nullptr, L"BUTTON");
    HWND target =
        recorder_window(WS_POPUP | WS_VISIBLE, RECT{200, 300, 600, 600}, nullptr, &target_seen);
    g_host_window = host;
    pump_for(100);
    put_marker_on_clipboard();
    POINT cursor_before{};
    GetCursorPos(&cursor_before);

    const POINT own_points[] = {
        {200, 150},  // the source itself
        {-30, -30},  // the host window around it
        {20, 20},    // a control on the source
    };
    for (const POINT& p : own_points) drop_paste(source, p);
    // A control of the host window that is not inside the source, dropped
    // from the source.
    recorder_window(WS_CHILD | WS_VISIBLE, RECT{470, 50, 570, 350}, host, nullptr, L"BUTTON");
    drop_paste(source, POINT{450, 100});
    pump_for(300);

    EXPECT_TRUE(host_seen.events.empty());
    EXPECT_TRUE(source_seen.events.empty());
    EXPECT_TRUE(target_seen.events.empty());
    EXPECT_EQ(testing::clipboard_text(), kMarkerText);
    EXPECT_FALSE(stamp_on_clipboard());
    POINT cursor_after{};
    GetCursorPos(&cursor_after);
    EXPECT_EQ(cursor_after.x, cursor_before.x);
    EXPECT_EQ(cursor_after.y, cursor_before.y);

    // Over another window: copied, clicked (the point is left of the source:
    // negative client coordinates) and pasted.
    POINT p = screen_origin_of(target);
    p.x += 100;
    p.y += 100;
    ScreenToClient(source, &p);
    EXPECT_LT(p.x, 0);
    drop_paste(source, p);
    ASSERT_TRUE(pump_until([&] { return target_seen.pastes() > 0; }));
    ASSERT_EQ(target_seen.events.size(), 2u);
    EXPECT_EQ(target_seen.events[0].point.x, 100);
    EXPECT_EQ(target_seen.events[0].point.y, 100);
    EXPECT_TRUE(target_seen.events[1].stamp_on_clipboard);
    EXPECT_NE(testing::clipboard_text(), kMarkerText);
}

// A window that lives on its own thread and closes itself after `after_ms`,
// while the stamping thread sleeps. It never takes the activation, so its
// going needs nothing from the stamping thread.
std::thread short_lived_window(RECT rect, Recorder* recorder, std::atomic<HWND>& created,
                               int after_ms) {
    return std::thread([=, &created] {
        HWND w = CreateWindowExW(WS_EX_NOACTIVATE, kRecorderClass, L"", WS_POPUP, rect.left,
                                 rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                 nullptr, g_instance, nullptr);
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(recorder));
        ShowWindow(w, SW_SHOWNOACTIVATE);
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        created = w;
        for (int waited = 0; waited < after_ms; waited += 10) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(10);
        }
        DestroyWindow(w);
    });
}

TEST_F(DesktopInjection, ATargetClosedDuringThePauseHandsTheStampToTheWindowBelow) {
    Recorder below_seen, closing_seen;
    recorder_window(WS_POPUP | WS_VISIBLE, RECT{400, 300, 1000, 800}, nullptr, &below_seen);
    pump_for(100);
    std::atomic<HWND> closing{nullptr};
    std::thread owner = short_lived_window(RECT{500, 400, 900, 700}, &closing_seen, closing, 200);
    ASSERT_TRUE(pump_until([&] { return closing.load() != nullptr; }));
    POINT point{650, 520};
    ASSERT_EQ(WindowFromPoint(point), closing.load());

    stamp_at_screen_point(point);
    owner.join();
    ASSERT_TRUE(pump_until([&] { return below_seen.pastes() > 0; }));
    EXPECT_TRUE(closing_seen.events.empty());
    ASSERT_EQ(below_seen.events.size(), 2u);
    EXPECT_EQ(below_seen.events[0].point.x, 250);
    EXPECT_EQ(below_seen.events[0].point.y, 220);
}

TEST_F(DesktopInjection, ATargetClosedDuringThePauseOverTheBareDesktopInjectsNothing) {
    Recorder closing_seen;
    std::atomic<HWND> closing{nullptr};
    std::thread owner = short_lived_window(RECT{500, 400, 900, 700}, &closing_seen, closing, 200);
    ASSERT_TRUE(pump_until([&] { return closing.load() != nullptr; }));
    POINT before{};
    GetCursorPos(&before);

    stamp_at_screen_point(POINT{650, 520});
    owner.join();
    pump_for(300);
    EXPECT_TRUE(closing_seen.events.empty());
    POINT after{};
    GetCursorPos(&after);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
}

TEST_F(DesktopInjection, HotkeyPasteGoesToTheFocusedWindowWithoutAClick) {
    Recorder seen;
    HWND focused =
        recorder_window(WS_POPUP | WS_VISIBLE, RECT{600, 400, 1000, 700}, nullptr, &seen);
    ASSERT_TRUE(bring_to_front(focused));
    SetFocus(focused);
    pump_for(100);
    put_marker_on_clipboard();
    POINT before{};
    GetCursorPos(&before);

    paste_into_focus(GetForegroundWindow());
    ASSERT_TRUE(pump_until([&] { return seen.pastes() > 0; }));
    EXPECT_EQ(seen.clicks(), 0);
    EXPECT_TRUE(seen.events.back().stamp_on_clipboard);
    POINT after{};
    GetCursorPos(&after);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
}

}  // namespace
}  // namespace markomi
