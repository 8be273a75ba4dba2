#pragma once
// Loads the era table from the system's calendar data in the registry.
#include <windows.h>

#include <vector>

#include "dates/era_table.h"

namespace markomi {

// The key of the system's Japanese era list, under HKEY_LOCAL_MACHINE.
constexpr const wchar_t* kEraKeyPath = L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars\\Japanese\\Eras";

// Reads every value of an open era key. Values too large for the 500-unit
// name or 500-byte data buffers are left out. *ok becomes false when the
// enumeration fails for any other reason (the values are then unusable).
std::vector<RawEraValue> read_era_values(HKEY key, bool* ok);

// Reads the values of the system's era key; false when the key is missing or
// cannot be read.
bool read_system_era_values(std::vector<RawEraValue>* values);

// Fills g_era_table from the registry, or with the built-in list when the
// registry cannot be read. Never fails.
void load_era_table();

// Releases g_era_table (at the main window's teardown).
void free_era_table();

}  // namespace markomi
