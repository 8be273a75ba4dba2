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

StampDate clock_now() { return g_clock ? g_clock() : system_clock_date(clock_shift_days()); }

}  // namespace

void set_stamp_clock(StampClock clock) { g_clock = clock; }

bool follow_stamp_date() {
    const StampDate before = g_settings.date;
    g_settings.date = stamp_date_now(g_choice, clock_now());
    return !same_stamp_day(before, g_settings.date);
}

void pick_stamp_day(const StampDate& picked) {
    g_choice = pick_stamp_date(picked, clock_now());
    follow_stamp_date();
}

StampDate stamp_clock_today() { return stamp_date_now(StampDateChoice(), clock_now()); }

void reset_stamp_date() {
    g_choice = StampDateChoice();
    follow_stamp_date();
}

std::u16string stamp_date_note() { return pinned_date_note(g_choice); }

}  // namespace markomi
