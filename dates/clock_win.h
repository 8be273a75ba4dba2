#pragma once
// The system's local date and time as a stamp date.
#include "settings/settings_record.h"

namespace markomi {

// The local date and time now, moved on by `days_ahead` whole days (back
// for a negative number), with the weekday of the day it gives.
StampDate system_clock_date(int days_ahead = 0);

}  // namespace markomi
