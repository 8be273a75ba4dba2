#include "dates/clock_win.h"

#include <windows.h>

namespace markomi {

StampDate system_clock_date(int days_ahead) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (days_ahead != 0) {
        // Through FILETIME, whose 100-ns ticks carry the calendar's months
        // and years for the day count.
        FILETIME ticks{};
        if (SystemTimeToFileTime(&now, &ticks)) {
            ULARGE_INTEGER at{};
            at.LowPart = ticks.dwLowDateTime;
            at.HighPart = ticks.dwHighDateTime;
            at.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(days_ahead) * 864000000000LL);
            ticks.dwLowDateTime = at.LowPart;
            ticks.dwHighDateTime = at.HighPart;
            SYSTEMTIME moved;
            if (FileTimeToSystemTime(&ticks, &moved)) now = moved;
        }
    }
    StampDate date;
    date.year = now.wYear;
    date.month = now.wMonth;
    date.day = now.wDay;
    date.hour = now.wHour;
    date.minute = now.wMinute;
    date.second = now.wSecond;
    date.weekday = now.wDayOfWeek;
    return date;
}

}  // namespace markomi
