#pragma once
// Reading and writing "Markomi2.ini" and "Markomi2_enable.ini" in the
// settings folder. Both are read whole and parsed in memory with the rules of
// the platform's profile functions (memory_profile.h), and written whole
// through a staging file (base/safe_file_win.h) under a lock file shared by
// every copy of the program. Files without the UTF-16 mark are Shift-JIS or
// UTF-8 (profile_encoding.h) whatever the system's code page is.
#include <optional>
#include <string>
#include <string_view>

#include "settings/profile_store.h"
#include "settings/settings_record.h"

namespace markomi {

// What reading a settings file found. Only a file that was read (or is
// missing) may later be replaced by a save: one that exists but could not be
// read keeps the user's values, whatever this run does.
enum class SettingsFileState {
    kMissing,     // no file: defaults
    kRead,        // read (whatever its encoding)
    kUnreadable,  // exists, but stayed locked or denied reading: defaults, never replaced
    kSetAside,    // too large or not text: moved aside as "<name>.bak", defaults
};

// Fills g_settings' options and slots from "Markomi2.ini" (defaults for
// anything missing). Never fails; a file that could not be read, or that was
// set aside, is told once in a message box posted after start-up
// (report_settings_load_problem).
void load_settings();
// Writes g_settings back as they are. The program's windows save through
// save_fitted_settings (ui/settings_save_win.h), which fits every slot's rows
// first when AJUST is 1: measuring is not this folder's business. The whole
// file is built in memory, written to a staging file beside it and moved
// over it in one step, so a failed or interrupted write leaves the old file
// byte for byte; a save whose bytes equal the file's writes nothing. Returns
// false when the file could not be brought up to date; the user is then told
// so in one message box, unless saves are quiet (end of session, or an end
// that another process asked for), when the failure is only logged.
bool save_settings();

// While one of these lives (made with `quiet` true), a failed save is logged
// and never shown.
class QuietSaves {
public:
    explicit QuietSaves(bool quiet = true);
    ~QuietSaves();
    QuietSaves(const QuietSaves&) = delete;
    QuietSaves& operator=(const QuietSaves&) = delete;

private:
    bool quiet_;
};

// Shows, once, the message about a settings file load_settings() could not
// use. Does nothing when there is nothing to tell.
void report_settings_load_problem();
bool settings_load_problem();

void load_field_enable();
bool save_field_enable();

// A new, empty file in the temporary folder, named "Markomi2-<process
// id>-<n>" and `extension` (".ini" or ".txt") so that the sweep below
// removes one a killed run left or could not delete. Empty when none could
// be made. The caller deletes it when done.
std::wstring create_temporary_program_file(const wchar_t* extension);

// Such a file for a copy of the settings (the user's name among them).
std::wstring create_temporary_settings_copy();

// Removes the temporary files above that a killed or crashed run (of this
// version or an earlier one) left in the temporary folder, and the folders
// of page pictures its stamping window left.
void sweep_stale_temporary_copies();

// The folder-explicit forms the above use (the folder holds the two files).
// An empty folder means there is no settings folder: nothing is read (the
// defaults) and nothing is saved. save_settings_in refuses to replace a file
// whose load state says it was not read (`state`, when given).
SettingsFileState load_settings_in(const wchar_t* folder, SettingsSet& set);
bool save_settings_in(const wchar_t* folder, SettingsSet& set,
                      SettingsFileState state = SettingsFileState::kRead);
void load_field_enable_in(const wchar_t* folder, FieldEnable& enable);
bool save_field_enable_in(const wchar_t* folder, const FieldEnable& enable);

// Saves as save_settings_in does, into the file at `path` (a full path),
// under the lock of its folder: for the companion's --ini FILE.
bool save_settings_file(const std::wstring& path, SettingsSet& set,
                        SettingsFileState state = SettingsFileState::kRead);

// Reads a settings file at any path (a missing one gives defaults), in
// whichever encoding it is: for programs that take the file from the user.
// Nothing is set aside or written.
SettingsFileState load_settings_file(const std::wstring& path, SettingsSet& set);

constexpr wchar_t kSettingsFileName[] = L"Markomi2.ini";
constexpr wchar_t kEnableFileName[] = L"Markomi2_enable.ini";

}  // namespace markomi
