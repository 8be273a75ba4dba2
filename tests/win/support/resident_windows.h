#pragma once
// In-process stand-ins for what the main window does for the resident
// program's small windows: the window classes, a hidden main window that
// records the commands it receives, a message pump, and a capture of a
// window as a person sees it.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace markomi::testing {

// Registers (once per process) "MARKOMI2CHILD", whose procedure hands every
// message to AboutWndProc as the host window does while it shows the about
// box, "MARKOMIOPENING" with OpeningWndProc, and the recording window class;
// and connects the program's actions (hotkey, icon, copy, drop paste) for
// the pages, as start-up does.
void register_resident_window_classes();
// What the host class hands its messages to from now on (null: AboutWndProc
// again), as the host window does for the command that opened it.
void set_host_window_procedure(WNDPROC procedure);

struct RecordedCommand {
    HWND window = nullptr;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
};
// WM_COMMAND messages the recording windows received, in order.
std::vector<RecordedCommand>& recorded_commands();
// How many of them carry command `id`.
int commands_with_id(int id);

// A hidden top-level window of the recording class.
HWND create_recording_window();

// Creates, shows and updates a host window ("MARKOMI2CHILD") as the main
// window does for its commands 111, 113 and 115; `menu` stands in for the
// class menu of the normal-mode stamp settings window.
HWND open_host_window_for_test(HMENU menu = nullptr);

// Dispatches what is waiting in [first, last] (0, 0: everything).
void pump_messages(UINT first = 0, UINT last = 0);
// Tells the open host window `first` that it now stands on a monitor of one
// and a half times its resolution, where it stands, and lets it rebuild:
// the host window afterwards (the rebuilt one, or `first` if none came).
HWND rebuild_host_at_a_larger_resolution(HWND first);
// Pumps until `done` holds or `limit_ms` has passed; true when it held.
bool pump_until(const std::function<bool()>& done, DWORD limit_ms);

// The window with its frame as drawn on screen, as 0x00RRGGBB rows.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
// Reads the window back from its own surface and writes it as
// render-artifacts/<name>.png beside the test program; `path` gets the file.
Capture capture_window(HWND window, const std::wstring& name, std::wstring* path = nullptr);

// The pixels of `area` of `window`'s client area as shown, 0x00RRGGBB rows.
std::vector<std::uint32_t> client_pixels(HWND window, const RECT& area);

// Children of `parent` of the given class ("Static", "Button"), sorted top
// to bottom, then left to right.
std::vector<HWND> children_of_class(HWND parent, const wchar_t* window_class);
std::wstring window_text(HWND window);
// The child's rectangle in its parent's client coordinates.
RECT child_rect(HWND child);

}  // namespace markomi::testing
