#pragma once
// The program's windows and the state the main window keeps for them, with
// the operations other windows call on the main window. Everything runs on
// the one user-interface thread.
#include <windows.h>

namespace markomi {

// ---- Messages, commands and timers of the main window family ----
constexpr UINT kMsgTrayCallback = WM_USER + 1;   // notification-icon callback
constexpr UINT kMsgReAddTrayIcon = WM_USER + 2;  // refill the icon record and add it again
constexpr UINT kMsgRebuildHost = WM_USER + 3;    // host window: rebuild at another resolution
constexpr UINT kMsgHotkeyTaken = WM_USER + 4;    // tell the user the hotkey is held elsewhere
constexpr UINT kMsgSettingsLoadProblem = WM_USER + 5;  // tell the user the settings file was not usable
constexpr UINT kTrayIconId = 32517;
constexpr UINT_PTR kTimerTrayAnimation = 1;      // main window, 500 ms
constexpr UINT kTrayAnimationPeriodMs = 500;
constexpr UINT_PTR kTimerOpening = 2;            // opening window, 2000 ms
constexpr int kHotkeyId = 1;

constexpr int kCmdStampSettings = 111;
constexpr int kCmdSaveImage = 112;
constexpr int kCmdPreferences = 113;
constexpr int kCmdHelp = 114;
constexpr int kCmdAbout = 115;
constexpr int kCmdExit = 116;

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

// ---- Operations of the main window ----

// STATIONTYPE 1: the program sits in the notification area.
bool resident_mode();

// In resident mode adds the notification icon; in normal mode removes it
// and opens the stamp settings window instead. False only when the shell
// did not take the icon.
bool add_tray_icon();
// Removes the notification icon (also when none was added).
void delete_tray_icon();
// One tick of the icon's animation (timer 1); `counter` starts at 1 on a click.
void step_tray_animation(int& counter);

// Registers the hotkey from HOTKEY in resident mode; the flag records success.
void register_hotkey();
void unregister_hotkey();
bool hotkey_registered();
// True when the last registration had a key to register and the system
// refused it: another program holds that key.
bool hotkey_taken();
// Tells the user that the hotkey is held by another program.
void report_hotkey_taken();

// Sets `window` as the foreground window and brings it to the top; true
// only when both succeed.
bool bring_to_front(HWND window);

// The host windows' WM_CLOSE: hide; in resident mode destroy the host
// window, in normal mode end the program.
void close_host_window();
// After a stamp copy from the icon: hide the host window, then either show
// the overlay (PASTE 1) or apply the stamping end rule.
void finish_stamp_copy();
// After a stamp or a cancel: in normal mode end the program, in resident
// mode hide the main window and destroy the host window.
void apply_stamp_end_rule();
// Destroys the host window, the overlay and the main window: the program ends.
void end_program_windows();

// Copies the active slot's impression to the clipboard (owner: the main
// window), metafile or bitmap by FORMAT and the Ctrl key. When the clipboard
// cannot be filled the user is told why (another program holds it, or the
// stamp could not be made) and false comes back: nothing may then be
// pasted, or an older content would land.
bool copy_active_stamp();

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

}  // namespace markomi
