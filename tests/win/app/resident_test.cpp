// Whole-program drives of the resident Markomi2.exe: the notification icon,
// its menu, the overlay and the pasted stamp, the hotkey, the opening notice
// and the faults a user's desktop can throw at it. A target window of this
// test process plays the document the stamp is pasted into.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/support/program_driver.h"
#include "app/support/target_document.h"
#include "dates/clock_win.h"
#include "dates/era_table.h"
#include "output/raster/image_file_win.h"
#include "render/surfaces_gdiplus.h"
#include "settings/memory_profile.h"
#include "settings/settings_rules.h"
#include "support/clipboard_image.h"
#include "support/decoded_image.h"
#include "support/sample_pdf.h"
#include "support/test_files.h"
#include "ui/stamping_window_ids.h"

namespace {

namespace t = markomi::testing;
using t::clipboard_format_now;
using t::clipboard_text;
using t::click_at;
using t::create_target;
using t::g_target_log;
using t::press_keys;
using t::put_text_on_clipboard;
using t::TargetLog;

constexpr UINT kTrayCallback = WM_USER + 1;
constexpr UINT kTrayIconId = 32517;
constexpr wchar_t kTitle[] = L"マルコミ２";
// Ctrl+Alt+K as a hotkey control stores it: key in the low byte, control 2 + alt 4 above.
constexpr int kHotkeyValue = ((2 | 4) << 8) | 'K';

// ---- The program's windows ----------------------------------------------------

// The icon's callback as the shell sends it. The program answers once the
// stamp is on the clipboard (and the overlay up); where it opens a message
// box instead, the test passes a short wait and answers the box itself.
void tray_message(HWND main, UINT mouse_message, UINT wait_ms = 20000) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main, kTrayCallback, kTrayIconId, mouse_message, SMTO_NORMAL, wait_ms,
                        &result);
}

void command(HWND main, int id) { PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(id), 0); }

bool tray_icon_exists(HWND main) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = main;
    data.uID = kTrayIconId;
    data.uFlags = NIF_TIP;
    lstrcpynW(data.szTip, L"マルコミ２\n左クリック：捺印　右クリック：設定", ARRAYSIZE(data.szTip));
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

std::wstring message_box_text(HWND box) {
    wchar_t text[256] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, ARRAYSIZE(text));
    return text;
}

// The program's message box (title マルコミ２), once it is up.
HWND wait_for_message_box(DWORD pid) {
    return t::wait_for_window([&] { return t::find_program_window(pid, L"#32770", kTitle); });
}

bool wait_until_gone(HWND w, int tries = 200) {
    for (int i = 0; i < tries && IsWindow(w) && IsWindowVisible(w); ++i) t::pump_messages(50);
    return !IsWindow(w) || !IsWindowVisible(w);
}

std::wstring startup_shortcut() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\マルコミ２.lnk";
}

bool has_line(const std::wstring& file, const wchar_t* line) {
    for (const auto& l : t::split_lines(t::utf16_file_text(file)))
        if (l == line) return true;
    return false;
}

// ---- The clipboard's transparent formats -----------------------------------

// The PNG writer's bytes for the active slot of these settings lines, made in
// this process as the program makes its stamps (built-in eras; today's date,
// or the day `days_ahead` days from today).
std::vector<unsigned char> writers_png(const std::wstring& lines, const std::wstring& path,
                                       int days_ahead = 0, bool bmp = false) {
    markomi::init_measure_cache();
    markomi::create_surfaces();
    markomi::g_era_table = markomi::builtin_era_table();
    const std::wstring text = L"[MARKOMI]\r\n" + lines;
    markomi::MemoryProfile profile =
        markomi::MemoryProfile::parse(std::u16string(text.begin(), text.end()));
    markomi::SettingsSet set;
    markomi::load_settings_from(profile, set);
    set.date = markomi::system_clock_date(days_ahead);
    const bool written =
        bmp ? markomi::save_stamp_bmp(set, set.global.active, nullptr, path.c_str())
            : markomi::save_stamp_image(set, set.global.active, markomi::ImageWriter::kPng, path.c_str());
    markomi::release_surfaces();
    return written ? t::read_bytes(path) : std::vector<unsigned char>{};
}

// Another program pasting: it holds the clipboard open and, once told, asks for
// "PNG", which sends the owner WM_RENDERFORMAT for a format only offered.
struct PngPaster {
    PngPaster() : thread_([this] {
        opened_ = OpenClipboard(nullptr) != FALSE;
        SetEvent(holding_);
        WaitForSingleObject(ask_, INFINITE);
        if (opened_) png_ = t::clipboard_block_bytes(GetClipboardData(RegisterClipboardFormatW(L"PNG"))), CloseClipboard();
        SetEvent(answered_);
    }) { WaitForSingleObject(holding_, 10000); }
    ~PngPaster() { SetEvent(ask_), thread_.join(), CloseHandle(holding_), CloseHandle(ask_), CloseHandle(answered_); }
    // Asks and waits at most `bound_ms` for the answer; empty without one.
    std::vector<unsigned char> ask(DWORD bound_ms) {
        SetEvent(ask_);
        return WaitForSingleObject(answered_, bound_ms) == WAIT_OBJECT_0 ? png_ : std::vector<unsigned char>{};
    }
    HANDLE holding_ = CreateEventW(nullptr, TRUE, FALSE, nullptr), ask_ = CreateEventW(nullptr, TRUE, FALSE, nullptr),
           answered_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool opened_ = false;
    std::vector<unsigned char> png_;
    std::thread thread_;
};

// The companion the program started (Markomi2Stamp.exe, a child of `parent`), its
// threads suspended until this goes: the program waits for it as long as the test needs.
struct HeldCompanion {
    explicit HeldCompanion(DWORD parent) {
        for (int i = 0; i < 4000 && threads.empty(); ++i, Sleep(5)) {
            HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
            PROCESSENTRY32W p{};
            p.dwSize = sizeof p;
            DWORD pid = 0;
            for (BOOL more = Process32FirstW(snapshot, &p); more && !pid; more = Process32NextW(snapshot, &p))
                if (p.th32ParentProcessID == parent && lstrcmpiW(p.szExeFile, L"Markomi2Stamp.exe") == 0)
                    pid = p.th32ProcessID;
            THREADENTRY32 e{};
            e.dwSize = sizeof e;
            for (BOOL more = pid && Thread32First(snapshot, &e); more; more = Thread32Next(snapshot, &e))
                if (e.th32OwnerProcessID == pid)
                    if (HANDLE h = OpenThread(THREAD_SUSPEND_RESUME, FALSE, e.th32ThreadID))
                        SuspendThread(h) != static_cast<DWORD>(-1) ? threads.push_back(h) : void(CloseHandle(h));
            CloseHandle(snapshot);
        }
    }
    ~HeldCompanion() { for (HANDLE h : threads) ResumeThread(h), CloseHandle(h); }
    std::vector<HANDLE> threads;
};

// The Unix name of a Windows path; empty where there is no Unix side.
std::string unix_path(const std::wstring& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unix_name ? unix_name(path.c_str()) : nullptr;
    if (!name) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Runs a command line of the Unix shell (Wine starts Unix programs) and
// waits until it has ended, which it tells by writing `done`. False where
// there is no Unix side or it did not end in time. (ASCII paths only.)
bool run_unix_shell(const std::string& command, const std::wstring& done) {
    const std::string done_name = unix_path(done);
    if (done_name.empty()) return false;
    const std::string line = "/bin/sh -c \"" + command + "; echo > '" + done_name + "'\"";
    std::wstring wide(line.begin(), line.end());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);  // a Unix child's handle cannot be waited on
    for (int i = 0; i < 300 && !t::file_exists(done); ++i) Sleep(50);
    return t::file_exists(done);
}

// ---- Fixture ----------------------------------------------------------------

class DesktopResident : public ::testing::Test {
protected:
    void SetUp() override {
        t::end_all_copies();
        t::remove_tree(t::settings_folder());
        g_target_log = TargetLog{};
        put_text_on_clipboard(L"marker");
    }
    void TearDown() override {
        if (target_) DestroyWindow(target_);
        t::close_program(program_);
        t::end_all_copies();
        t::remove_tree(t::settings_folder());
        DeleteFileW(startup_shortcut().c_str());
    }

    // Starts the program with the given settings and waits for its main
    // window (and, in resident mode, lets the opening notice go by).
    HWND start(const std::wstring& settings, bool wait_out_notice = true) {
        EXPECT_TRUE(t::write_settings(settings));
        program_ = t::start_program();
        main_ = t::wait_for_main_window(program_.pid);
        if (main_ && wait_out_notice) {
            HWND notice = t::wait_for_window(
                [&] { return t::find_program_window(program_.pid, L"MARKOMIOPENING"); }, 100);
            if (notice) wait_until_gone(notice);
        }
        return main_;
    }

    HWND overlay() { return t::find_program_window(program_.pid, L"MARKOMI2SIMULATE"); }
    HWND host(const wchar_t* title = nullptr) {
        return t::find_program_window(program_.pid, L"MARKOMI2CHILD", title);
    }
    bool alive() {
        DWORD_PTR result;
        DWORD code = 0;
        if (t::has_exited(program_, 0, &code)) {
            ADD_FAILURE() << "the program ended with code 0x" << std::hex << code;
            return false;
        }
        return
               SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
    }

    // The help viewer, or the program's box saying the help file is
    // missing, came up (and is closed again).
    void expect_help_answered() {
        HWND help_box = nullptr, viewer = nullptr;
        t::wait_for_window([&] {
            help_box = t::find_program_window(program_.pid, L"#32770", kTitle);
            viewer = t::find_program_window(program_.pid, L"HH Parent");
            return help_box ? help_box : viewer;
        });
        ASSERT_TRUE(help_box || viewer);
        if (help_box) {
            EXPECT_NE(message_box_text(help_box).find(L"Markomi2.chm"), std::wstring::npos)
                << message_box_text(help_box);
            PostMessageW(help_box, WM_COMMAND, IDOK, 0);
            EXPECT_TRUE(wait_until_gone(help_box));
        } else {
            PostMessageW(viewer, WM_CLOSE, 0, 0);
            EXPECT_TRUE(wait_until_gone(viewer));
        }
    }

    t::Program program_;
    HWND main_ = nullptr;
    HWND target_ = nullptr;
};

// ---- The icon -----------------------------------------------------------------

TEST_F(DesktopResident, IconClickCopiesTheActiveSlotInTheFormatOfTheSettings) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\nPASTE=0\r\nFORMAT=M\r\nACTIVE=2\r\n"), nullptr);
    EXPECT_TRUE(tray_icon_exists(main_));
    tray_message(main_, WM_LBUTTONDOWN);
    t::pump_messages(300);
    EXPECT_EQ(clipboard_format_now(), static_cast<UINT>(CF_ENHMETAFILE));
    EXPECT_EQ(GetClipboardOwner(), main_);
    // PASTE 0: the overlay never shows and the program stays resident.
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_TRUE(alive());
    t::close_program(program_);

    put_text_on_clipboard(L"marker");
    ASSERT_NE(start(L"STATIONTYPE=1\r\nPASTE=0\r\nFORMAT=B\r\n"), nullptr);
    tray_message(main_, WM_LBUTTONDOWN);
    t::pump_messages(300);
    EXPECT_EQ(clipboard_format_now(), static_cast<UINT>(CF_BITMAP));
    EXPECT_EQ(GetClipboardOwner(), main_);
    // With the transparent picture beside the bitmap.
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"PNG")));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIBV5));
}

// The icon's bitmap stamp only offers "PNG" and CF_DIBV5; the program makes
// them from that copy's picture when another program reads them, as the PNG
// writer's very bytes. What nobody read is made before the program ends, so
// it outlives the program as the bitmap does.
TEST_F(DesktopResident, ABitmapStampsTransparentFormatsAreMadeWhenReadAndBeforeTheEnd) {
    const std::wstring lines = L"STATIONTYPE=1\r\nPASTE=0\r\nFORMAT=B\r\nACTIVE=2\r\n";
    ASSERT_NE(start(lines), nullptr);
    t::TempFolder folder;
    const std::vector<unsigned char> expected = writers_png(lines, folder.file(L"stamp.png"));
    ASSERT_FALSE(expected.empty());
    const t::DecodedImage picture = t::decode_image_bytes(expected.data(), expected.size());
    const UINT png = RegisterClipboardFormatW(L"PNG");

    tray_message(main_, WM_LBUTTONDOWN);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardOwner(), main_);
    // Offered in the order programs look for them, before anything is made.
    std::vector<UINT> order;
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
        if (f == png || f == CF_DIBV5 || f == CF_DIB || f == CF_BITMAP) order.push_back(f);
    EXPECT_EQ(order, (std::vector<UINT>{png, CF_DIBV5, CF_DIB, CF_BITMAP}));
    EXPECT_TRUE(t::starts_with(t::clipboard_block_bytes(GetClipboardData(png)), expected));
    EXPECT_EQ(t::dib_v5_differences(t::clipboard_block_bytes(GetClipboardData(CF_DIBV5)), picture), 0);
    // CF_DIB is the bitmap's own picture on white: the BMP writer's file after its 14-byte header.
    const std::vector<unsigned char> bmp = writers_png(lines, folder.file(L"stamp.bmp"), 0, true);
    ASSERT_GT(bmp.size(), 14u);
    EXPECT_TRUE(t::starts_with(t::clipboard_block_bytes(GetClipboardData(CF_DIB)), {bmp.begin() + 14, bmp.end()}));
    CloseClipboard();

    tray_message(main_, WM_LBUTTONDOWN);
    command(main_, 116);  // 終了
    ASSERT_TRUE(t::has_exited(program_, 10000));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(t::starts_with(t::clipboard_block_bytes(GetClipboardData(png)), expected));
    EXPECT_EQ(t::dib_v5_differences(t::clipboard_block_bytes(GetClipboardData(CF_DIBV5)), picture), 0);
    CloseClipboard();
}

// A paste holding the clipboard asks for an offered "PNG" while the program waits for its
// companion (held suspended), then while it ends retrying to open the clipboard: answered.
TEST_F(DesktopResident, APasteHoldingTheClipboardIsAnsweredWhileTheProgramWaits) {
    const std::wstring lines = L"STATIONTYPE=1\r\nPASTE=0\r\nFORMAT=B\r\n";
    ASSERT_NE(start(lines), nullptr);
    t::TempFolder folder;
    const std::vector<unsigned char> expected = writers_png(lines, folder.file(L"stamp.png"));
    ASSERT_TRUE(t::write_bytes(folder.file(L"in.pdf"), t::sample_pdf(3, false)));
    tray_message(main_, WM_LBUTTONDOWN);  // "PNG" offered, not made
    std::optional<PngPaster> paster(std::in_place);
    command(main_, 117);  // PDFに捺印…: the file, the window's choices (not opened afterwards), the copy's name
    HWND open = t::wait_for_window([&] { return t::find_program_window(program_.pid, L"#32770", L"捺印する PDF を開く"); });
    ASSERT_NE(open, nullptr);
    SetDlgItemTextW(open, GetDlgItem(open, 1148) ? 1148 : 1152, folder.file(L"in.pdf").c_str());
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    HWND window = t::wait_for_window(
        [&] { return t::find_program_window(program_.pid, markomi::kStampingWindowClass, L"PDFに捺印"); });
    ASSERT_NE(window, nullptr);
    CheckDlgButton(window, markomi::kIdOpenAfter, BST_UNCHECKED);
    ASSERT_TRUE(t::wait_for_window([&] { return IsWindowEnabled(GetDlgItem(window, markomi::kIdSave)) ? window : nullptr; }));
    PostMessageW(window, WM_COMMAND, markomi::kIdSave, 0);
    HWND save = t::wait_for_window([&] { return t::find_program_window(program_.pid, L"#32770", L"捺印した PDF の保存"); });
    ASSERT_NE(save, nullptr);
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    {
        const HeldCompanion companion(program_.pid);
        ASSERT_FALSE(companion.threads.empty()) << "the companion was not seen running";
        EXPECT_TRUE(t::starts_with(paster->ask(2000), expected));
    }
    HWND told = t::wait_for_window([&] { return t::find_program_window(program_.pid, L"#32770", L"PDFに捺印"); });
    ASSERT_NE(told, nullptr);  // the summary
    PostMessageW(told, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_until_gone(told));

    tray_message(main_, WM_LBUTTONDOWN);
    paster.emplace();
    command(main_, 116);  // 終了
    Sleep(300);           // the program is retrying to open the clipboard now
    EXPECT_TRUE(t::starts_with(paster->ask(2000), expected));
    paster.reset();
    EXPECT_TRUE(t::has_exited(program_, 10000));
}

// A program of the X desktop (Wine's clipboard is the X selection) pastes the
// stamp's PNG, which the program makes only when asked: the writer's bytes.
TEST_F(DesktopResident, AnXClientPastesTheWritersPngOfABitmapStamp) {
    if (unix_path(L"C:\\").empty() || !t::file_exists(L"Z:\\usr\\bin\\xclip"))
        GTEST_SKIP() << "no X desktop with xclip here";
    const std::wstring lines = L"STATIONTYPE=1\r\nPASTE=0\r\nFORMAT=B\r\nACTIVE=6\r\n";
    ASSERT_NE(start(lines), nullptr);
    t::TempFolder folder;
    const std::vector<unsigned char> expected = writers_png(lines, folder.file(L"stamp.png"));
    ASSERT_FALSE(expected.empty());

    tray_message(main_, WM_LBUTTONDOWN);
    const std::wstring pasted = folder.file(L"pasted.png");
    ASSERT_TRUE(run_unix_shell("xclip -selection clipboard -t image/png -o > '" + unix_path(pasted) + "'",
                               folder.file(L"done")));
    EXPECT_TRUE(t::starts_with(t::read_bytes(pasted), expected)) << t::read_bytes(pasted).size() << " bytes";
    EXPECT_TRUE(alive());
}

// A resident copy runs for days: each stamp carries the clock's day, after
// midnight (the system says its time changed) and after the system woke up.
// The program's test clock file moves its clock on by whole days.
TEST_F(DesktopResident, EachStampCarriesTheClocksDayAfterMidnightAndAfterAResume) {
    t::TempFolder folder;
    const std::wstring shift = folder.file(L"days ahead");
    auto days_ahead = [&](const std::string& days) {
        ASSERT_TRUE(t::write_bytes(shift, std::vector<unsigned char>(days.begin(), days.end())));
    };
    days_ahead("0");
    const std::wstring lines = L"STATIONTYPE=1\r\nPASTE=0\r\nFORMAT=B\r\nACTIVE=1\r\n";
    SetEnvironmentVariableW(L"MARKOMI2_CLOCK_SHIFT_FILE", shift.c_str());
    ASSERT_NE(start(lines), nullptr);
    SetEnvironmentVariableW(L"MARKOMI2_CLOCK_SHIFT_FILE", nullptr);
    const UINT png = RegisterClipboardFormatW(L"PNG");
    auto stamped_png = [&] {
        tray_message(main_, WM_LBUTTONDOWN);
        std::vector<unsigned char> bytes;
        if (OpenClipboard(nullptr)) {
            bytes = t::clipboard_block_bytes(GetClipboardData(png));
            CloseClipboard();
        }
        return bytes;
    };

    const std::vector<unsigned char> today = stamped_png();
    EXPECT_TRUE(t::starts_with(today, writers_png(lines, folder.file(L"0.png"))));
    days_ahead("1");
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main_, WM_TIMECHANGE, 0, 0, SMTO_NORMAL, 5000, &result);
    const std::vector<unsigned char> tomorrow = stamped_png();
    EXPECT_TRUE(t::starts_with(tomorrow, writers_png(lines, folder.file(L"1.png"), 1)));
    EXPECT_NE(tomorrow, today);
    days_ahead("40");
    SendMessageTimeoutW(main_, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, SMTO_NORMAL, 5000, &result);
    EXPECT_TRUE(t::starts_with(stamped_png(), writers_png(lines, folder.file(L"40.png"), 40)));
    EXPECT_TRUE(alive());
}

TEST_F(DesktopResident, OverlayClickPastesTheStampWhereTheUserClicked) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\nPASTE=1\r\nFORMAT=M\r\n"), nullptr);
    target_ = create_target(RECT{500, 250, 1300, 850});
    tray_message(main_, WM_LBUTTONDOWN);
    HWND shown = t::wait_for_window([&] { return overlay(); });
    ASSERT_NE(shown, nullptr);
    RECT cover{};
    GetWindowRect(shown, &cover);
    EXPECT_LE(cover.left, 0);
    EXPECT_LE(cover.top, 0);
    EXPECT_GE(cover.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(cover.bottom, GetSystemMetrics(SM_CYSCREEN));
    t::pump_messages(300);
    t::save_screen_artifact(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                            L"overlay-screen");

    const POINT spot{811, 533};
    click_at(spot);
    for (int i = 0; i < 100 && g_target_log.pastes.empty(); ++i) t::pump_messages(50);

    POINT expected = spot;
    ScreenToClient(target_, &expected);
    ASSERT_FALSE(g_target_log.clicks.empty());
    EXPECT_EQ(g_target_log.clicks.back().x, expected.x);
    EXPECT_EQ(g_target_log.clicks.back().y, expected.y);
    ASSERT_EQ(g_target_log.pastes.size(), 1u);
    EXPECT_TRUE(g_target_log.pastes[0].metafile);
    EXPECT_EQ(g_target_log.pastes[0].clipboard_owner, main_);
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_TRUE(alive());
}

TEST_F(DesktopResident, RightClickOnTheOverlayCancelsAndKeepsTheClipboard) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\nPASTE=1\r\nFORMAT=B\r\n"), nullptr);
    target_ = create_target(RECT{500, 250, 1300, 850});
    tray_message(main_, WM_LBUTTONDOWN);
    ASSERT_NE(t::wait_for_window([&] { return overlay(); }), nullptr);
    click_at(POINT{900, 600}, true);

    HWND box = wait_for_message_box(program_.pid);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), L"捺印 はキャンセルされました。");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_until_gone(box));
    t::pump_messages(300);

    EXPECT_TRUE(g_target_log.pastes.empty());
    EXPECT_TRUE(g_target_log.clicks.empty());
    EXPECT_EQ(clipboard_format_now(), static_cast<UINT>(CF_BITMAP));
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_EQ(host(), nullptr);
    EXPECT_TRUE(alive());
    EXPECT_TRUE(tray_icon_exists(main_));
}

TEST_F(DesktopResident, ATargetThatClosesDuringThePauseIsSurvived) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\nPASTE=1\r\n"), nullptr);
    target_ = create_target(RECT{500, 250, 1300, 850});
    tray_message(main_, WM_LBUTTONDOWN);
    ASSERT_NE(t::wait_for_window([&] { return overlay(); }), nullptr);
    click_at(POINT{800, 500});
    // The program waits half a second before it looks for the window.
    t::pump_messages(50);
    DestroyWindow(target_);
    target_ = nullptr;
    t::pump_messages(1500);
    EXPECT_TRUE(alive());
    EXPECT_EQ(overlay(), nullptr);
    // Still usable: the next click copies again.
    put_text_on_clipboard(L"marker");
    tray_message(main_, WM_LBUTTONDOWN);
    ASSERT_NE(t::wait_for_window([&] { return overlay(); }), nullptr);
    EXPECT_EQ(clipboard_format_now(), static_cast<UINT>(CF_ENHMETAFILE));
    click_at(POINT{900, 600}, true);
    HWND box = wait_for_message_box(program_.pid);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_until_gone(box));
}

TEST_F(DesktopResident, AClipboardHeldByAnotherProgramIsReportedAndNothingIsPasted) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\nPASTE=1\r\n"), nullptr);
    target_ = create_target(RECT{500, 250, 1300, 850});
    ASSERT_TRUE(OpenClipboard(target_));
    tray_message(main_, WM_LBUTTONDOWN, 200);
    HWND box = wait_for_message_box(program_.pid);
    CloseClipboard();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(message_box_text(box).find(L"クリップボード"), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_until_gone(box));
    t::pump_messages(300);
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_EQ(clipboard_text(), L"marker");
    EXPECT_TRUE(alive());
}

TEST_F(DesktopResident, TaskbarRestartBringsTheIconBack) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\n"), nullptr);
    ASSERT_TRUE(tray_icon_exists(main_));
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = main_;
    data.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    EXPECT_FALSE(tray_icon_exists(main_));
    DWORD_PTR result;
    SendMessageTimeoutW(main_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_NORMAL, 5000,
                        &result);
    EXPECT_TRUE(tray_icon_exists(main_));
}

// ---- The menu and its commands --------------------------------------------------

TEST_F(DesktopResident, RightClickMenuOpensTheSettingsAndExitRemovesTheIcon) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\n"), nullptr);
    SetCursorPos(1500, 900);
    tray_message(main_, WM_RBUTTONDOWN, 200);
    HWND menu = t::wait_for_window([&] { return t::find_program_window(program_.pid, L"#32768"); });
    ASSERT_NE(menu, nullptr);
    // The menu opens above and left of the cursor.
    RECT r{};
    GetWindowRect(menu, &r);
    EXPECT_LE(r.right, 1500);
    EXPECT_LE(r.bottom, 900);
    t::pump_messages(200);
    press_keys({VK_DOWN});
    press_keys({VK_RETURN});
    HWND settings = t::wait_for_window([&] { return host(); });
    ASSERT_NE(settings, nullptr);

    // While a host window is open the right button only brings it forward.
    SetForegroundWindow(GetDesktopWindow());
    tray_message(main_, WM_RBUTTONDOWN);
    t::pump_messages(300);
    EXPECT_EQ(t::find_program_window(program_.pid, L"#32768"), nullptr);
    EXPECT_EQ(GetForegroundWindow(), settings);

    command(main_, 116);
    DWORD code = 1;
    EXPECT_TRUE(t::has_exited(program_, 10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(tray_icon_exists(main_));
}

TEST_F(DesktopResident, CommandsOpenOneHostWindowAtATime) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\n"), nullptr);
    command(main_, 113);
    HWND preferences = t::wait_for_window([&] { return host(); });
    ASSERT_NE(preferences, nullptr);
    // Another command only brings the open window forward.
    command(main_, 115);
    t::pump_messages(300);
    EXPECT_EQ(host(), preferences);
    PostMessageW(preferences, WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_until_gone(preferences));
    EXPECT_TRUE(alive());

    command(main_, 115);
    HWND about = t::wait_for_window([&] { return host(L"マルコミ２ について"); });
    ASSERT_NE(about, nullptr);
    t::pump_messages(300);
    RECT r{};
    GetWindowRect(about, &r);
    t::save_screen_artifact(r, L"about-box");
    HWND ok = GetDlgItem(about, 145);
    ASSERT_NE(ok, nullptr);
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(145, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    EXPECT_TRUE(wait_until_gone(about));

    // Help shows the viewer, or, where the help file is missing (it depends
    // on where the program finds its install folder), says so; either way
    // something answers and nothing is harmed.
    command(main_, 114);
    expect_help_answered();
    EXPECT_TRUE(alive());
    EXPECT_EQ(host(), nullptr);

    command(main_, 111);
    HWND settings = t::wait_for_window([&] { return host(); });
    ASSERT_NE(settings, nullptr);

    // Moving to a monitor of another resolution rebuilds the open window at
    // the new size.
    RECT before{};
    GetWindowRect(settings, &before);
    // A forged notice of a resolution no screen has is not taken.
    PostMessageW(main_, WM_DPICHANGED, MAKEWPARAM(0, 0), 0);
    PostMessageW(main_, WM_DPICHANGED, MAKEWPARAM(65535, 65535), 0);
    Sleep(500);
    EXPECT_EQ(host(), settings);
    DWORD_PTR result;
    SendMessageTimeoutW(main_, WM_DPICHANGED, MAKEWPARAM(144, 144), 0, SMTO_NORMAL, 5000, &result);
    HWND rebuilt = t::wait_for_window([&] {
        HWND w = host();
        return w != settings ? w : nullptr;
    });
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_FALSE(IsWindow(settings));
    RECT after{};
    GetWindowRect(rebuilt, &after);
    EXPECT_GT(after.bottom - after.top, before.bottom - before.top);

    // F1 pressed in the window (the focus on one of its controls) opens help.
    SetForegroundWindow(rebuilt);
    t::wait_for_window([&] { return GetForegroundWindow() == rebuilt ? rebuilt : nullptr; }, 40);
    press_keys({VK_F1});
    expect_help_answered();
    EXPECT_TRUE(alive());
}

TEST_F(DesktopResident, TheMenusSaveDialogIsNotOwnedByTheHiddenMainWindow) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\n"), nullptr);
    command(main_, 112);
    HWND dialog = t::wait_for_window([&] { return t::find_program_window(program_.pid, L"#32770", L"印影保存"); });
    ASSERT_NE(dialog, nullptr);
    // No settings window is open, so no owner: one owned by the hidden main
    // window can open behind the user's windows.
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(wait_until_gone(dialog));
    EXPECT_TRUE(alive());
}

// Two file dialogs open at once crash the program in their clean-up: a
// second request while one is open brings that one forward.
TEST_F(DesktopResident, ASecondDialogRequestStartsNoSecondDialog) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\n"), nullptr);
    command(main_, 112);  // 印影保存
    HWND dialog = t::wait_for_window([&] { return t::find_program_window(program_.pid, L"#32770", L"印影保存"); });
    ASSERT_NE(dialog, nullptr);
    command(main_, 112);
    command(main_, 117);  // PDFに捺印…
    const auto another = [&]() -> HWND {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;)
            if (w != dialog && t::owner_of(w) == program_.pid && IsWindowVisible(w)) return w;
        return nullptr;
    };
    EXPECT_EQ(t::wait_for_window(another, 40), nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(wait_until_gone(dialog));
    EXPECT_TRUE(alive());
}

// ---- The hotkey ------------------------------------------------------------------

bool hotkey_taken() {
    if (RegisterHotKey(nullptr, 77, MOD_CONTROL | MOD_ALT, 'K')) {
        UnregisterHotKey(nullptr, 77);
        return false;
    }
    return true;
}

TEST_F(DesktopResident, HotkeyIsRegisteredOnlyInResidentModeWithAValue) {
    ASSERT_NE(start(L"STATIONTYPE=0\r\nHOTKEY=" + std::to_wstring(kHotkeyValue) + L"\r\n"), nullptr);
    EXPECT_FALSE(hotkey_taken());
    t::close_program(program_);
    ASSERT_NE(start(L"STATIONTYPE=1\r\nHOTKEY=0\r\n"), nullptr);
    EXPECT_FALSE(hotkey_taken());
    t::close_program(program_);
    ASSERT_NE(start(L"STATIONTYPE=1\r\nHOTKEY=-5\r\n"), nullptr);
    EXPECT_FALSE(hotkey_taken());
    t::close_program(program_);
    ASSERT_NE(start(L"STATIONTYPE=1\r\nHOTKEY=" + std::to_wstring(kHotkeyValue) + L"\r\n"), nullptr);
    EXPECT_TRUE(hotkey_taken());
    // Ending the program gives the key back.
    t::close_program(program_);
    EXPECT_FALSE(hotkey_taken());
}

TEST_F(DesktopResident, HotkeyAskedAndAnsweredYesPastesIntoTheFocus) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\nPASTE=1\r\nFORMAT=B\r\nHOTKEY=" +
                    std::to_wstring(kHotkeyValue) + L"\r\n"),
              nullptr);
    target_ = create_target(RECT{500, 250, 1300, 850});
    press_keys({VK_CONTROL, VK_MENU, 'K'});
    HWND box = wait_for_message_box(program_.pid);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_box_text(box), L"捺印します。\nよろしいですか？");
    // While the question is open the hotkey is free again: no second box.
    EXPECT_FALSE(hotkey_taken());
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    for (int i = 0; i < 100 && g_target_log.pastes.empty(); ++i) t::pump_messages(50);
    ASSERT_EQ(g_target_log.pastes.size(), 1u);
    EXPECT_TRUE(g_target_log.pastes[0].bitmap);
    // No click and no overlay on this road, whatever PASTE says.
    EXPECT_TRUE(g_target_log.clicks.empty());
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_TRUE(hotkey_taken());
}

TEST_F(DesktopResident, HotkeyAnsweredNoLeavesTheClipboardAlone) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\nHOTKEY=" + std::to_wstring(kHotkeyValue) + L"\r\n"), nullptr);
    target_ = create_target(RECT{500, 250, 1300, 850});
    press_keys({VK_CONTROL, VK_MENU, 'K'});
    HWND box = wait_for_message_box(program_.pid);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    EXPECT_TRUE(wait_until_gone(box));
    t::pump_messages(300);
    EXPECT_EQ(clipboard_text(), L"marker");
    EXPECT_TRUE(g_target_log.pastes.empty());
    EXPECT_TRUE(hotkey_taken());
}

TEST_F(DesktopResident, HotkeyValuesThatNameNoKeyLeaveTheProgramUsable) {
    for (const wchar_t* value : {L"65611", L"512", L"1", L"2147483647"}) {
        ASSERT_NE(start(std::wstring(L"STATIONTYPE=1\r\nHOTKEY=") + value + L"\r\n"), nullptr)
            << value;
        tray_message(main_, WM_LBUTTONDOWN);
        t::pump_messages(300);
        EXPECT_EQ(clipboard_format_now(), static_cast<UINT>(CF_ENHMETAFILE)) << value;
        EXPECT_TRUE(alive()) << value;
        t::close_program(program_);
        put_text_on_clipboard(L"marker");
    }
}

TEST_F(DesktopResident, AHotkeyHeldByAnotherProgramIsReportedOnceAtStart) {
    // This test program holds Ctrl+Alt+K first.
    struct HeldKey {
        bool held = RegisterHotKey(nullptr, 78, MOD_CONTROL | MOD_ALT, 'K') != FALSE;
        ~HeldKey() {
            if (held) UnregisterHotKey(nullptr, 78);
        }
    } key;
    ASSERT_TRUE(key.held);
    ASSERT_NE(start(L"STATIONTYPE=1\r\nHOTKEY=" + std::to_wstring(kHotkeyValue) + L"\r\n", false),
              nullptr);
    HWND box = wait_for_message_box(program_.pid);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(message_box_text(box).find(L"ホットキー"), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_until_gone(box));
    // Once only, and the program carries on.
    t::pump_messages(1500);
    EXPECT_EQ(t::find_program_window(program_.pid, L"#32770", kTitle), nullptr);
    EXPECT_TRUE(alive());
    t::close_program(program_);

    // Normal mode, or no hotkey: nothing to tell.
    for (const std::wstring& settings :
         {L"STATIONTYPE=0\r\nHOTKEY=" + std::to_wstring(kHotkeyValue) + L"\r\n",
          std::wstring(L"STATIONTYPE=1\r\nHOTKEY=0\r\n")}) {
        ASSERT_NE(start(settings), nullptr);
        t::pump_messages(1000);
        EXPECT_EQ(t::find_program_window(program_.pid, L"#32770", kTitle), nullptr);
        t::close_program(program_);
    }
}

// ---- The opening notice -----------------------------------------------------------

TEST_F(DesktopResident, OpeningNoticeShowsForTwoSecondsInResidentModeOnly) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\n", false), nullptr);
    HWND notice = t::wait_for_window(
        [&] { return t::find_program_window(program_.pid, L"MARKOMIOPENING"); });
    ASSERT_NE(notice, nullptr);
    t::pump_messages(300);  // let it paint before the picture is taken
    RECT r{};
    GetWindowRect(notice, &r);
    t::save_screen_artifact(r, L"opening-notice");
    // Centred on the screen.
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);
    EXPECT_TRUE(wait_until_gone(notice));
    EXPECT_TRUE(alive());
    EXPECT_TRUE(tray_icon_exists(main_));
    t::close_program(program_);

    ASSERT_NE(start(L"STATIONTYPE=0\r\n", false), nullptr);
    EXPECT_NE(t::wait_for_window([&] { return host(); }), nullptr);
    EXPECT_EQ(t::find_program_window(program_.pid, L"MARKOMIOPENING"), nullptr);
    EXPECT_FALSE(tray_icon_exists(main_));
}

TEST_F(DesktopResident, OpeningSwitchTurnsTheProgramIntoNormalModeForGood) {
    ASSERT_TRUE(t::write_bytes(startup_shortcut(), {'L', 0, 0, 0}));
    ASSERT_NE(start(L"STATIONTYPE=1\r\nPASTE=1\r\nHOTKEY=" + std::to_wstring(kHotkeyValue) + L"\r\n",
                    false),
              nullptr);
    HWND notice = t::wait_for_window(
        [&] { return t::find_program_window(program_.pid, L"MARKOMIOPENING"); });
    ASSERT_NE(notice, nullptr);
    HWND button = GetDlgItem(notice, 156);
    ASSERT_NE(button, nullptr);
    PostMessageW(notice, WM_COMMAND, MAKEWPARAM(156, BN_CLICKED), reinterpret_cast<LPARAM>(button));

    EXPECT_NE(t::wait_for_window([&] { return host(); }), nullptr);
    EXPECT_FALSE(IsWindow(notice));
    EXPECT_FALSE(tray_icon_exists(main_));
    EXPECT_FALSE(t::file_exists(startup_shortcut()));
    EXPECT_TRUE(has_line(t::settings_file(), L"STATIONTYPE=0"));
    EXPECT_TRUE(has_line(t::settings_file(), L"PASTE=0"));
    t::close_program(program_);

    // The next start is a normal one: no notice.
    program_ = t::start_program();
    main_ = t::wait_for_main_window(program_.pid);
    ASSERT_NE(main_, nullptr);
    EXPECT_NE(t::wait_for_window([&] { return host(); }), nullptr);
    EXPECT_EQ(t::find_program_window(program_.pid, L"MARKOMIOPENING"), nullptr);
}

// ---- Documents handed to the program ---------------------------------------------

// The stamping window (or, in the flow before it, its first dialog): a
// visible window of `pid` whose title starts 「PDFに捺印」.
HWND stamping_window(DWORD pid) {
    wchar_t title[64];
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr;)
        if (t::owner_of(w) == pid && IsWindowVisible(w) && GetWindowTextW(w, title, 64) &&
            wcsncmp(title, L"PDFに捺印", 6) == 0)
            return w;
    return nullptr;
}

TEST_F(DesktopResident, PdfsGivenToASecondStartOpenTheStampingWindowOfTheRunningCopy) {
    ASSERT_NE(start(L"STATIONTYPE=1\r\n"), nullptr);
    t::TempFolder folder;
    const std::wstring pdf = folder.file(L"請求書 1.pdf");
    ASSERT_TRUE(t::write_bytes(pdf, t::sample_pdf(1, false)));
    // A second start naming the PDF (quoted: the name has a space) hands it
    // over and ends; the running copy stays and opens the window itself.
    // (Drops are the settings window's tests: a drop's memory is its process's.)
    t::Program second = t::start_process(t::markomi2_exe(), L"\"" + pdf + L"\"");
    DWORD code = 1;
    EXPECT_TRUE(t::has_exited(second, 20000, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(second.process);
    HWND window = t::wait_for_window([&] { return stamping_window(program_.pid); });
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(alive());
    EXPECT_EQ(t::main_windows(), std::vector<HWND>{main_});
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_until_gone(window));

    // A forged block (no terminator) is refused and opens nothing.
    const wchar_t forged[] = {L'a', L'.', L'p', L'd', L'f'};
    COPYDATASTRUCT data{0x444B504Du, sizeof forged, const_cast<wchar_t*>(forged)};
    DWORD_PTR answer = 1;
    SendMessageTimeoutW(main_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(answer, 0u);

    // With no copy running, the program starts and opens them itself.
    t::close_program(program_);
    program_ = t::start_process(t::markomi2_exe(), L"\"" + pdf + L"\"");
    main_ = t::wait_for_main_window(program_.pid);
    ASSERT_NE(main_, nullptr);
    window = t::wait_for_window([&] { return stamping_window(program_.pid); });
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_until_gone(window));
}

}  // namespace
