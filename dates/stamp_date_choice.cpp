#include "dates/stamp_date_choice.h"

#include "base/u16_format.h"
#include "dates/date_text.h"

namespace markomi {
bool same_stamp_day(const StampDate& a, const StampDate& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

StampDate stamp_date_now(const StampDateChoice& choice, const StampDate& clock) {
    if (!choice.pinned) return clock;
    StampDate date = clock;
    date.year = choice.picked.year;
    date.month = choice.picked.month;
    date.day = choice.picked.day;
    date.weekday = weekday_of(date.year, date.month, date.day);
    return date;
}

StampDateChoice pick_stamp_date(const StampDate& picked, const StampDate& clock) {
    StampDateChoice choice;
    choice.pinned = !same_stamp_day(picked, clock);
    if (choice.pinned) choice.picked = picked;
    return choice;
}

std::u16string pinned_date_note(const StampDateChoice& choice) {
    if (!choice.pinned) return {};
    std::u16string note = u"（日付固定：";
    append_decimal(note, choice.picked.year);
    note.push_back(u'/');
    append_decimal(note, choice.picked.month, 2);
    note.push_back(u'/');
    append_decimal(note, choice.picked.day, 2);
    note.push_back(u'）');
    return note;
}

}  // namespace markomi
