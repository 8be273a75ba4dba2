#pragma once
// The system's local date and time as a stamp date.
#include "settings/settings_record.h"

namespace markomi {

// Today's local date and time now, with its weekday.
StampDate system_clock_date();

}  // namespace markomi
