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

// True when the uninstall key exists and opens with full access.
bool installation_key_present();
// Reads "Path" and works out the settings folder.
Installation find_installation();

// First stage: copies the uninstaller to the temporary folder, marks the
// copy for deletion at the next restart and starts it with "/u". Returns
// the copy's path (empty when it could not be made).
std::wstring copy_and_restart();

// Judges the install folder against the folders that must never be removed.
FolderVerdict judge_installation_folder(const std::wstring& folder);

// Removes the uninstall key, the install folder (when safe), the settings
// folder and the three shortcuts. A folder refused as unsafe is told to the
// user and left alone; nothing else is reported.
void remove_installation(const Installation& installation);

// Shows one of the uninstaller's message boxes (no owner, error icon,
// system-modal, titled "マルコミ２").
void uninstaller_message(const std::wstring& text);

}  // namespace markomi
