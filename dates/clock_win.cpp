#include "dates/clock_win.h"

#include <windows.h>

namespace markomi {

StampDate system_clock_date() {
    SYSTEMTIME now;
    GetLocalTime(&now);
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
