// Draws the help's picture of the stamping window 「PDFに捺印」 as the help is
// built, as the design pictures are: the program's own window, opened on a
// sample invoice with the stamp put at its top right, copied from the screen.
//   stamping_window_picture OUT.png WORK_FOLDER
// It runs beside Markomi2Stamp.exe, which draws the page. Exit 0 with the
// picture written, 1 otherwise.
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/program_paths_win.h"
#include "base/process_globals_win.h"
#include "dates/era_registry_win.h"
#include "output/vector/vector_writers.h"
#include "render/stamp_renderer_gdiplus.h"
#include "render/surfaces_gdiplus.h"
#include "settings/settings_record.h"
#include "tools/page_png_win.h"
#include "ui/stamp_date_win.h"
#include "ui/stamping_window_ids.h"
#include "ui/stamping_window_rules.h"
#include "ui/stamping_window_win.h"

namespace {

using namespace markomi;

// An A4 invoice drawn in lines and blocks alone: the build's Wine has no
// fonts for a PDF's standard ones, so text would not show.
std::string invoice_pdf() {
    const std::string content =
        "0.85 0.1 0.1 rg 56 760 140 26 re f\n"                               // the sender's mark
        "0.55 g 360 770 180 8 re f 360 752 150 8 re f 360 734 165 8 re f\n"  // address, telephone
        "0 g 56 690 200 14 re f\n"                                           // the addressee
        "0.4 g 56 660 120 8 re f\n"
        "0 G 1 w 56 600 m 539 600 l S 56 580 m 539 580 l S\n"  // the table
        "0.5 w 56 560 m 539 560 l S 56 540 m 539 540 l S 56 520 m 539 520 l S 56 500 m 539 500 l "
        "S\n"
        "0.6 g 66 586 150 8 re f 66 566 130 8 re f 66 546 170 8 re f 66 526 110 8 re f 66 506 140 "
        "8 re f\n"
        "440 566 80 8 re f 440 546 80 8 re f 440 526 80 8 re f 440 506 80 8 re f\n"
        "0.9 0.93 1 rg 360 440 179 40 re f 0 g 440 456 80 10 re f\n";  // the total
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
    };
    return pdf_document(objects);
}

bool write_bytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The day every example of the help shows.
StampDate help_day() {
    StampDate d;
    d.year = 2025;
    d.month = 5;
    d.day = 1;
    d.weekday = 4;
    return d;
}

// Pumps this thread's messages until `done` holds, for at most `ms`.
template <typename Done>
bool pump_until(Done done, DWORD ms) {
    for (DWORD waited = 0;; waited += 20) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (is_stamping_window_message(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (waited >= ms) return false;
        Sleep(20);
    }
}

// The window's screen as 24-bit rows, red first.
bool copy_window(HWND window, const std::wstring& out) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
        if (ok) {
            std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
            const auto* bgra = static_cast<const std::uint8_t*>(bits);
            for (std::size_t i = 0; i < static_cast<std::size_t>(w) * h; ++i) {
                rgb[i * 3] = bgra[i * 4 + 2];
                rgb[i * 3 + 1] = bgra[i * 4 + 1];
                rgb[i * 3 + 2] = bgra[i * 4];
            }
            ok = write_page_png(out, rgb, w, h, 96);
        }
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

int draw(const std::wstring& out, const std::wstring& work) {
    const std::wstring pdf = work + L"\\請求書.pdf";
    CreateDirectoryW(work.c_str(), nullptr);
    if (!write_bytes(pdf, invoice_pdf())) return 1;

    g_instance = GetModuleHandleW(nullptr);
    g_startup_dpi = g_current_dpi = read_screen_dpi();
    resolve_program_folders();
    Gdiplus::GdiplusStartupInput gdiplus_input;
    Gdiplus::GdiplusStartup(&g_gdiplus_token, &gdiplus_input, nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    load_era_table();
    set_stamp_clock(help_day);
    reset_stamp_date();
    init_measure_cache();
    create_surfaces();
    run_layout_pass(true);

    open_stamping_window(nullptr, {pdf});
    HWND window = nullptr;
    pump_until([&] { return (window = FindWindowW(kStampingWindowClass, nullptr)) != nullptr; },
               10000);
    if (!window) return 1;
    SetWindowPos(window, HWND_TOP, 0, 0, 900, 700, SWP_SHOWWINDOW);
    HWND save = GetDlgItem(window, kIdSave);
    if (!pump_until([&] { return IsWindowEnabled(save) != FALSE; }, 30000)) return 1;
    // The stamp where a receiving clerk puts it: under the total, clear of
    // the sender's address.
    HWND view = GetDlgItem(window, kIdPageView);
    RECT client{};
    GetClientRect(view, &client);
    const PageFit fit = fit_page(client.right, client.bottom, 210.0, 297.0, kPageViewBorder);
    const int x = static_cast<int>(fit.left + 168 * fit.px_per_mm),
              y = static_cast<int>(fit.top + 163 * fit.px_per_mm);
    PostMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    // The page comes from the companion: drawn once the sender's red mark
    // (44 mm across, 24 mm down) shows on the screen.
    POINT mark{static_cast<LONG>(fit.left + 44 * fit.px_per_mm),
               static_cast<LONG>(fit.top + 24 * fit.px_per_mm)};
    ClientToScreen(view, &mark);
    const auto page_drawn = [&] {
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, mark.x, mark.y);
        ReleaseDC(nullptr, screen);
        return c != CLR_INVALID && GetRValue(c) > 150 && GetGValue(c) < 100;
    };
    if (!pump_until(page_drawn, 30000)) return 1;
    pump_until([] { return false; }, 300);  // the stamp's own redraw after the click
    return copy_window(window, out) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: stamping_window_picture OUT.png WORK_FOLDER\n", stderr);
        return 1;
    }
    const int code = draw(argv[1], argv[2]);
    if (code != 0) std::fputs("the stamping window's picture could not be made\n", stderr);
    // Ended here: closing the window would remember its place in this
    // prefix's settings, which the tests own.
    std::fflush(stderr);
    ExitProcess(static_cast<UINT>(code));
}
