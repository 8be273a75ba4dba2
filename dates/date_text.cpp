#include "dates/date_text.h"

#include <cstdint>

#include "base/u16_format.h"

namespace markomi {

namespace {

constexpr const char16_t* kMonthAbbreviations[12] = {
    u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
    u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

constexpr char16_t kWeekdayNames[7] = {u'日', u'月', u'火', u'水', u'木', u'金', u'土'};

char16_t delimiter_char(int delimiter) {
    if (delimiter == 1) return u'/';
    if (delimiter == 2) return u'.';
    return u'-';
}

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12); the
// calendar is counted from March so that the leap day ends each cycle year.
std::int64_t days_from_civil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2 ? 1 : 0;
    std::int64_t era = floor_div(y, 400);
    std::int64_t yoe = y - era * 400;                                // 0..399
    std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;  // 0..365 for valid days
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;        // 0..146096
    return era * 146097 + doe - 719468;
}

// printf's "%u" of an int: the bits read as unsigned.
std::uint32_t as_unsigned(std::int32_t v) { return static_cast<std::uint32_t>(v); }

}  // namespace

std::u16string month_text(int month_style, int month) {
    if (month_style == 1) {
        if (month >= 1 && month <= 12) return kMonthAbbreviations[month - 1];
        return u"???";
    }
    std::u16string text;
    append_decimal(text, month, 2);
    return text;
}

bool format_date_text(int era_style, int delimiter, const StampDate& date, int month_style,
                      const EraTable& eras, std::u16string* out) {
    if (era_style < 1 || era_style > 5) return false;
    const char16_t d = delimiter_char(delimiter);
    std::u16string text;
    if (era_style == 4) {
        append_decimal(text, date.year, 4);
    } else if (era_style == 5) {
        text.push_back(u'\'');
        append_decimal(text, date.year % 100, 2);
    } else {
        const EraEntry& era = find_era(eras, date.year, date.month, date.day);
        if (era_style == 1) {
            text += era.full_name.view();
        } else if (era_style == 2) {
            text += era.short_name.view();
        } else {
            text += era.symbol.view();
        }
        // 64-bit so that no stored year can overflow; the first year of an era is 1.
        append_decimal(text, static_cast<std::int64_t>(date.year) - era.start_year + 1);
    }
    text.push_back(d);
    text += month_text(month_style, date.month);
    text.push_back(d);
    append_decimal(text, date.day, 2);
    *out = std::move(text);
    return true;
}

int weekday_of(int year, int month, int day) {
    // Roll the month into 1..12 first so that any input has a defined answer.
    std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
    std::int64_t y = static_cast<std::int64_t>(year) + floor_div(m0, 12);
    std::int64_t m = m0 - floor_div(m0, 12) * 12 + 1;
    std::int64_t days = days_from_civil(y, m, day);
    // 1970-01-01 was a Thursday (4).
    std::int64_t w = (days + 4) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

std::u16string date_picker_caption(const StampDate& date) {
    std::u16string text = u"  ";
    append_decimal(text, as_unsigned(date.year));
    text += u"年 ";
    append_decimal(text, as_unsigned(date.month), 2, u' ');
    text += u"月 ";
    append_decimal(text, as_unsigned(date.day), 2, u' ');
    text += u"日 (";
    text.push_back(kWeekdayNames[weekday_of(date.year, date.month, date.day)]);
    text.push_back(u')');
    return text;
}

}  // namespace markomi
