#include "support/resident_windows.h"

#include <algorithm>
#include <cstdint>

#include "app/app_windows_win.h"
#include "app/opening_window_win.h"
#include "base/process_globals_win.h"
#include "support/golden.h"
#include "ui/about_box_win.h"
#include "ui/host_window_win.h"
#include "ui/tab_sheet_win.h"
#include "ui/window_classes.h"

namespace markomi::testing {
namespace {

constexpr wchar_t kRecordingClass[] = L"Markomi2TestRecorder";

WNDPROC g_host_procedure = AboutWndProc;

LRESULT CALLBACK HostForwardingProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    return g_host_procedure(hwnd, msg, wparam, lparam);
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_COMMAND) {
        recorded_commands().push_back(RecordedCommand{hwnd, wparam, lparam});
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void register_class(const wchar_t* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

}  // namespace

void register_resident_window_classes() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    // The pages reach the hotkey, the icon and the copy as the program wires them.
    connect_program_actions();
    HBRUSH face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    register_class(kHostWindowClass, HostForwardingProc, face);
    register_class(kOpeningWindowClass, OpeningWndProc,
                   static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    register_class(kRecordingClass, RecordingProc, face);
    register_class(kTabSheetWindowClass, TabSheetWndProc, face);
}

void set_host_window_procedure(WNDPROC procedure) {
    g_host_procedure = procedure ? procedure : AboutWndProc;
}

std::vector<RecordedCommand>& recorded_commands() {
    static std::vector<RecordedCommand> commands;
    return commands;
}

int commands_with_id(int id) {
    return static_cast<int>(std::count_if(recorded_commands().begin(), recorded_commands().end(),
                                          [id](const RecordedCommand& c) { return LOWORD(c.wparam) == id; }));
}

HWND create_recording_window() {
    register_resident_window_classes();
    return CreateWindowExW(0, kRecordingClass, L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

HWND open_host_window_for_test(HMENU menu) {
    HWND host = CreateWindowExW(0, kHostWindowClass, L"", WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                nullptr, menu, g_instance, nullptr);
    if (host) {
        ShowWindow(host, SW_SHOWNORMAL);
        UpdateWindow(host);
    }
    return host;
}

void pump_messages(UINT first, UINT last) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool pump_until(const std::function<bool()>& done, DWORD limit_ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit_ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        pump_messages();
    }
    return true;
}

namespace {

// Copies `width` x `height` pixels at (x, y) of `dc` into a new 32-bit
// top-down DIB section, as 0x00RRGGBB; the bitmap is the caller's.
HBITMAP copy_pixels(HDC dc, int x, int y, int width, int height, std::vector<std::uint32_t>* pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    pixels->assign(p, p + static_cast<size_t>(width) * height);
    for (std::uint32_t& px : *pixels) px &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

}  // namespace

Capture capture_window(HWND window, const std::wstring& name, std::wstring* path) {
    Capture capture;
    RECT r{};
    GetWindowRect(window, &r);
    capture.width = r.right - r.left;
    capture.height = r.bottom - r.top;
    if (capture.width <= 0 || capture.height <= 0) return capture;

    HDC window_dc = GetWindowDC(window);
    HBITMAP bitmap = copy_pixels(window_dc, 0, 0, capture.width, capture.height, &capture.pixels);
    ReleaseDC(window, window_dc);

    save_bitmap_artifact(bitmap, name);
    DeleteObject(bitmap);
    if (path) {
        wchar_t exe[MAX_PATH];
        std::wstring folder(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
        *path = folder.substr(0, folder.find_last_of(L'\\')) + L"\\render-artifacts\\" + name +
                L".png";
    }
    return capture;
}

std::vector<std::uint32_t> client_pixels(HWND window, const RECT& area) {
    std::vector<std::uint32_t> pixels;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return pixels;
    HDC dc = GetDC(window);
    DeleteObject(copy_pixels(dc, area.left, area.top, width, height, &pixels));
    ReleaseDC(window, dc);
    return pixels;
}

std::vector<HWND> children_of_class(HWND parent, const wchar_t* window_class) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = L"";
        GetClassNameW(child, name, 64);
        if (lstrcmpiW(name, window_class) == 0) found.push_back(child);
    }
    std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra = child_rect(a), rb = child_rect(b);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return found;
}

std::wstring window_text(HWND window) {
    wchar_t buffer[256] = L"";
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

RECT child_rect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND rebuild_host_at_a_larger_resolution(HWND first) {
    const int other = host_window_dpi() * 3 / 2;
    RECT rect{};
    GetWindowRect(first, &rect);
    SendMessageW(first, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&rect));
    pump_messages();
    return g_host_window;
}

}  // namespace markomi::testing
