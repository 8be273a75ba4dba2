#pragma once
// The program's windows as its pages and dialogs know them: their handles,
// the main window's commands, the placement of the settings host window, and
// what the pages ask of the program above them (its notification icon, its
// hotkey, the stamp copy and the paste), which the program connects at
// start-up. Everything runs on the one user-interface thread.
#include <windows.h>

namespace markomi {

// ---- The host window's own message; the main window's commands ----
// WM_USER + 1, 2, 4 and 5 are the main window's (app/app_windows_win.h).
constexpr UINT kMsgRebuildHost = WM_USER + 3;  // host window: rebuild at another resolution

constexpr int kCmdStampSettings = 111;
constexpr int kCmdSaveImage = 112;
constexpr int kCmdPreferences = 113;
constexpr int kCmdHelp = 114;
constexpr int kCmdAbout = 115;
constexpr int kCmdExit = 116;
constexpr int kCmdStampPdf = 117;

// ---- Window handles (null when the window does not exist) ----
extern HWND g_main_window;
extern HWND g_host_window;      // settings host: stamp settings, preferences or about box
extern HWND g_overlay_window;   // target-picking overlay, hidden between uses
extern HWND g_tab_sheet_window; // stamp tab sheet inside the stamp settings window
extern HWND g_opening_window;   // opening notice

// The command (111, 113 or 115) that last opened the host window; never cleared.
extern int g_host_command;
// Top-left corner remembered from the last host window; (-1, -1) until stored.
extern POINT g_host_position;

// Cursors of the tab sheet's drag-stamping, loaded when the main window is
// created: arrow, hover, grab, no-drop, drop; and its two drag-state values.
extern HCURSOR g_drag_cursors[5];
extern int g_drag_state;
extern int g_drag_substate;

// STATIONTYPE 1: the program sits in the notification area.
bool resident_mode();

// Sets `window` as the foreground window and brings it to the top; true
// only when both succeed.
bool bring_to_front(HWND window);

// The host windows' WM_CLOSE: hide; in resident mode destroy the host
// window, in normal mode end the program.
void close_host_window();
// Destroys the host window, the overlay and the main window: the program ends.
void end_program_windows();

// ---- Placement of host windows ----
POINT remembered_host_position();
// Stores the window's top-left corner in screen coordinates (where a
// minimised window will stand again; the cursor position when neither can
// be read).
void store_host_position(HWND window);
// Moves a window that opened where no monitor shows it (its monitor was
// unplugged since the position was remembered) onto the nearest work area.
void keep_window_reachable(HWND window);
// Screen height (width) minus the maximised window's, never below 0: the
// room a taskbar at the bottom (side) takes.
int vertical_taskbar_margin();
int horizontal_taskbar_margin();
// Normal mode, first time only: centre `window` on the display and remember it.
void centre_host_window(HWND window);

// ---- What the pages ask of the program ----
// The notification icon, the hotkey, the clipboard copy and the paste belong
// to the main window, which sits above this folder: it hands them down here
// at start-up. Until then they do nothing and answer false.
struct ProgramActions {
    // Resident mode: adds the notification icon; normal mode: removes it and
    // opens the stamp settings window. False only when the shell did not
    // take the icon.
    bool (*add_tray_icon)();
    // Registers the hotkey from HOTKEY in resident mode / releases it.
    void (*register_hotkey)();
    void (*unregister_hotkey)();
    bool (*hotkey_registered)();
    // The last registration had a key and the system refused it.
    bool (*hotkey_taken)();
    // Tells the user that another program holds the hotkey.
    void (*report_hotkey_taken)();
    // Copies the active slot's impression to the clipboard; false (the user
    // told why) when the clipboard could not be filled.
    bool (*copy_active_stamp)();
    // Drag released at `client` (in `source`'s client coordinates): copies
    // and pastes into the window there, unless it is one of the program's.
    void (*drop_paste)(HWND source, POINT client);
    // The stamp date's day or its picked state changed: the notification
    // icon's tip says which date is in force.
    void (*stamp_date_changed)();
    // The program has just become resident: the opening notice shows where
    // it now lives (an icon the taskbar may keep in its overflow area).
    void (*show_resident_notice)();
};
void set_program_actions(const ProgramActions& actions);
const ProgramActions& program_actions();

}  // namespace markomi
