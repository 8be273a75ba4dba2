#pragma once
// The date row of a stamp and the caption beside the date picker.
#include <string>

#include "dates/era_table.h"
#include "settings/settings_record.h"

namespace markomi {

// Month style 1: the English three-letter abbreviation ("???" for a month
// outside 1..12); any other style: the month as "%02d".
std::u16string month_text(int month_style, int month);

// The date row for era style 1..5 (1 era full name, 2 era short name, 3 era
// symbol, 4 four-digit year, 5 apostrophe and two-digit year) and delimiter
// 1 "/", 2 ".", otherwise "-". Only year, month and day of `date` are used.
// Returns false and leaves *out as it was for an era style outside 1..5.
bool format_date_text(int era_style, int delimiter, const StampDate& date, int month_style,
                      const EraTable& eras, std::u16string* out);

// Day of the week in the proleptic Gregorian calendar, 0 = Sunday .. 6 =
// Saturday. Months outside 1..12 and days outside the month roll over.
int weekday_of(int year, int month, int day);

// "  2025年  5月  1日 (木)": the weekday is computed from the date itself,
// not taken from date.weekday.
std::u16string date_picker_caption(const StampDate& date);

}  // namespace markomi
