// The bench's yardstick for start-up: a bare Win32 program that registers a
// class, creates one hidden top-level window (as the stamp program's main
// window is) and ends as soon as it has. Start to end of this program is
// what any windowed program pays before its own work begins.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"Markomi2BenchBareWindow";
    if (!RegisterClassW(&window_class)) return 1;
    HWND window =
        CreateWindowExW(0, window_class.lpszClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    DestroyWindow(window);
    return 0;
}
