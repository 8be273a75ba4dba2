#pragma once
// Two complete settings sets that differ in almost every key, for tests that
// save one over the other and must tell a whole file from a mix of the two.
// Shared by the fault tests and the save loop they start.
#include <string>

#include "settings/settings_record.h"

namespace markomi::testing {

// Set 'A' or set 'B' (anything else gives B): within every range, so a
// load gives back exactly what a save wrote; texts with Japanese, every
// section's numbers and faces, and values away from the defaults.
SettingsSet settings_value_set(char which);

// save_settings() on the process-wide settings, in `folder`, without the
// automatic fit (it needs the shared surfaces of start-up).
bool save_global_settings_in(const std::wstring& folder, const SettingsSet& set);

}  // namespace markomi::testing
