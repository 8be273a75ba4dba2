#pragma once
// The running program's stamp date (the rules are dates/stamp_date_choice.h):
// today's from the clock at every stamp and preview, or the day the user
// picked, kept in the process-wide settings' date.
#include <string>

#include "settings/settings_record.h"

namespace markomi {

// The clock the stamp date follows. Tests put their own; null returns to
// the system clock.
using StampClock = StampDate (*)();
void set_stamp_clock(StampClock clock);

// Sets the process-wide settings' date to the one to stamp now. True when
// its day changed (a picker or caption showing it needs refreshing).
bool follow_stamp_date();

// The user picked `picked` (year, month and day) in the date picker; the
// settings' date follows at once.
void pick_stamp_day(const StampDate& picked);

// Today's date by the clock the stamp follows, whatever day is picked.
StampDate stamp_clock_today();

// Back to the clock, as at the program's start.
void reset_stamp_date();

// "（日付固定：2026/12/01）" while a picked day is in force, else empty.
std::u16string stamp_date_note();

}  // namespace markomi
