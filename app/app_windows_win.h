#pragma once
// The main window's side of the program's windows: its messages and timers,
// the notification icon, the hotkey, the stamp copy and what follows a
// stamp. The handles, commands and host placement every window shares are
// in ui/program_windows_win.h, which this brings along. Everything runs on
// the one user-interface thread.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/program_windows_win.h"

namespace markomi {

// ---- Messages and timers of the main window family ----
// WM_USER + 3 is the host window's (kMsgRebuildHost).
constexpr UINT kMsgTrayCallback = WM_USER + 1;   // notification-icon callback
constexpr UINT kMsgReAddTrayIcon = WM_USER + 2;  // refill the icon record and add it again
constexpr UINT kMsgHotkeyTaken = WM_USER + 4;    // tell the user the hotkey is held elsewhere
constexpr UINT kMsgSettingsLoadProblem = WM_USER + 5;  // tell the user the settings file was not usable
constexpr UINT kMsgOpenDocuments = WM_USER + 6;  // open the stamping window with the documents handed over
constexpr UINT kTrayIconId = 32517;
constexpr UINT_PTR kTimerTrayAnimation = 1;      // main window, 500 ms
constexpr UINT kTrayAnimationPeriodMs = 500;
constexpr UINT_PTR kTimerOpening = 2;            // opening window, 2000 ms
constexpr int kHotkeyId = 1;

// ---- Operations of the main window ----

// In resident mode adds the notification icon; in normal mode removes it
// and opens the stamp settings window instead. False only when the shell
// did not take the icon.
bool add_tray_icon();
// Removes the notification icon (also when none was added).
void delete_tray_icon();
// One tick of the icon's animation (timer 1); `counter` starts at 1 on a click.
void step_tray_animation(int& counter);

// The clock moved on, jumped or the system woke up: the stamp date follows
// it (unless a day was picked), and the icon's tip and an open settings
// window show the date in force.
void follow_clock_change();
// The opening notice, as at a resident start.
void show_resident_notice();
// The icon's tip: what a click and a right click do, and the picked day
// when one is in force.
std::wstring tray_tip_text();
// The icon's tip again, after the stamp date changed.
void update_tray_tip();

// Registers the hotkey from HOTKEY in resident mode; the flag records success.
void register_hotkey();
void unregister_hotkey();
bool hotkey_registered();
// True when the last registration had a key to register and the system
// refused it: another program holds that key.
bool hotkey_taken();
// Tells the user that the hotkey is held by another program.
void report_hotkey_taken();

// After a stamp copy from the icon: hide the host window, then either show
// the overlay (PASTE 1) or apply the stamping end rule.
void finish_stamp_copy();
// After a stamp or a cancel: in normal mode end the program, in resident
// mode hide the main window and destroy the host window.
void apply_stamp_end_rule();

// Copies the active slot's impression to the clipboard (owner: the main
// window), metafile or bitmap by FORMAT and the Ctrl key. When the clipboard
// cannot be filled the user is told why (another program holds it, or the
// stamp could not be made) and false comes back: nothing may then be
// pasted, or an older content would land.
bool copy_active_stamp();

// Documents handed to the program (its own command line, or a copy started
// with documents): kept, and opened in the stamping window once the main
// window's messages run (never inside the sender's SendMessage).
void queue_documents(const std::vector<std::wstring>& documents);

// Hands the operations above that the pages and dialogs use (the icon, the
// hotkey, the copy, the drop paste) down to them (ui/program_windows_win.h).
// Start-up calls it before any window exists.
void connect_program_actions();

}  // namespace markomi
