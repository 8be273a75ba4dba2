#include "ui/stamp_date_win.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/win_handles_win.h"

#include "dates/clock_win.h"
#include "dates/stamp_date_choice.h"
#include "settings/settings_record.h"

namespace markomi {
namespace {

StampClock g_clock = nullptr;
StampDateChoice g_choice;

// MARKOMI2_CLOCK_SHIFT_FILE names a file holding a whole number of days
// the clock is taken to be ahead: how the whole-program tests carry a
// running copy past midnight without touching the system's clock. Read at
// every question, so the number may change while the program runs; a
// missing file or a number beyond ten years counts as none.
int clock_shift_days() {
    static const std::wstring path = [] {
        wchar_t value[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableW(L"MARKOMI2_CLOCK_SHIFT_FILE", value, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
    }();
    if (path.empty()) return 0;
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char text[16] = {};
    DWORD read = 0;
    if (!file.valid() || !ReadFile(file.get(), text, sizeof text - 1, &read, nullptr)) return 0;
    const long days = std::strtol(text, nullptr, 10);
    return days >= -3660 && days <= 3660 ? static_cast<int>(days) : 0;
}

StampDate shifted_by_days(const StampDate& date, int days) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(date.year);
    st.wMonth = static_cast<WORD>(date.month);
    st.wDay = static_cast<WORD>(date.day);
    st.wHour = static_cast<WORD>(date.hour);
    st.wMinute = static_cast<WORD>(date.minute);
    st.wSecond = static_cast<WORD>(date.second);
    FILETIME ft{};
    if (!SystemTimeToFileTime(&st, &ft)) return date;
    ULARGE_INTEGER at{};
    at.LowPart = ft.dwLowDateTime;
    at.HighPart = ft.dwHighDateTime;
    at.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(days) * 864000000000LL);
    ft.dwLowDateTime = at.LowPart;
    ft.dwHighDateTime = at.HighPart;
    if (!FileTimeToSystemTime(&ft, &st)) return date;
    StampDate shifted = date;
    shifted.year = st.wYear;
    shifted.month = st.wMonth;
    shifted.day = st.wDay;
    shifted.weekday = st.wDayOfWeek;
    return shifted;
}

StampDate clock_now() {
    if (g_clock) return g_clock();
    const int days = clock_shift_days();
    return days == 0 ? system_clock_date() : shifted_by_days(system_clock_date(), days);
}

}  // namespace

void set_stamp_clock(StampClock clock) { g_clock = clock; }

bool follow_stamp_date() {
    const StampDate before = g_settings.date;
    g_settings.date = stamp_date_now(g_choice, clock_now());
    return before.year != g_settings.date.year || before.month != g_settings.date.month ||
           before.day != g_settings.date.day;
}

void pick_stamp_day(const StampDate& picked) {
    g_choice = pick_stamp_date(picked, clock_now());
    follow_stamp_date();
}

void reset_stamp_date() {
    g_choice = StampDateChoice();
    follow_stamp_date();
}

std::u16string stamp_date_note() { return pinned_date_note(g_choice); }

}  // namespace markomi
