#pragma once
// Which date a stamp carries: today's, taken from the clock at every stamp
// and every preview, or a date the user picked in the settings window, kept
// until the user picks today again or the program ends. The clock is passed
// in, so the rules never read it themselves.
#include <string>

#include "settings/settings_record.h"

namespace markomi {

struct StampDateChoice {
    bool pinned = false;  // a picked date is in force
    StampDate picked;     // its year, month and day
};

// Whether two dates fall on the same day (year, month and day alike).
bool same_stamp_day(const StampDate& a, const StampDate& b);

// The date to stamp now, `clock` being the clock's date and time: the
// picked day (with the clock's time of day and the picked day's weekday)
// while one is in force, else the clock's.
StampDate stamp_date_now(const StampDateChoice& choice, const StampDate& clock);

// The user picked year/month/day of `picked` while the clock says `clock`:
// today's date returns to following the clock, any other day is kept.
StampDateChoice pick_stamp_date(const StampDate& picked, const StampDate& clock);

// "（日付固定：2026/12/01）" while a picked date is in force, else empty: the
// end of the notification icon's tip and of the settings window's title.
std::u16string pinned_date_note(const StampDateChoice& choice);

}  // namespace markomi
