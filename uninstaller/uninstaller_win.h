#pragma once
// The uninstaller's work on the system: ending a running stamp program,
// finding the installation, the copy that runs from the temporary folder,
// and the removal itself.
#include <windows.h>

#include <string>

#include "uninstaller/uninstall_rules.h"

namespace markomi {

// Where the installation is, as found at start.
struct Installation {
    std::wstring install_folder;   // the registry's "Path"; may be empty
    std::wstring settings_folder;  // <local application data>\Markomi2; empty when unknown
};
extern Installation g_installation;

// Ends a running stamp program (WM_DESTROY to its main window); true when
// one was there.
bool end_running_stamp_program();
bool stamp_program_running();

// True when the uninstall key exists and opens for reading.
bool installation_key_present();
// Reads "Path" and works out the settings folder.
Installation find_installation();

// First stage: copies the uninstaller to the temporary folder, marks the
// copy for deletion at the next restart and starts it with "/u". Returns
// the copy's path (empty when it could not be made).
std::wstring copy_and_restart();

// Judges the install folder against the folders that must never be removed.
FolderVerdict judge_installation_folder(const std::wstring& folder);

// The user's own part, run as the user who started the uninstaller (an
// administrator who elevates it has a profile of their own): the settings
// folder and the desktop and startup shortcuts. Nothing is reported.
void remove_user_parts(const Installation& installation);

// The machine-wide part, run elevated: the uninstall key, the install folder
// (when safe) and the all-users program-menu shortcut; it also marks this
// temporary copy for deletion at the next restart, which a standard user's
// first stage could not. A folder refused as unsafe is told to the user and
// left alone. True when the uninstall key is gone.
bool remove_machine_parts(const Installation& installation);

// Starts this very file elevated ("runas") with the machine switch and waits
// for it, the window `owner` disabled meanwhile and its messages (sent ones
// too) handled.
MachineRemoval remove_machine_parts_elevated(HWND owner);

// Shows one of the uninstaller's message boxes (no owner, error icon,
// system-modal, titled "マルコミ２").
void uninstaller_message(const std::wstring& text);

}  // namespace markomi
