#include <gtest/gtest.h>

#include "base/u16_format.h"
#include "dates/stamp_date_choice.h"

namespace markomi {
namespace {

StampDate clock_at(int y, int m, int d, int hour = 9, int weekday = 0) {
    StampDate date;
    date.year = y;
    date.month = m;
    date.day = d;
    date.hour = hour;
    date.minute = 30;
    date.second = 15;
    date.weekday = weekday;
    return date;
}

bool same(const StampDate& a, const StampDate& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.weekday == b.weekday;
}

// Following the clock, every stamp carries the clock's day, the one after
// midnight or a resume included; a day picked by the user stays through
// day changes, with the clock's time and its own weekday; picking today
// again returns to the clock.
TEST(StampDateChoice, TheStampFollowsTheClockUntilAnotherDayIsPicked) {
    const StampDate evening = clock_at(2026, 12, 9, 23, 3);
    const StampDate next_morning = clock_at(2026, 12, 10, 7, 4);

    StampDateChoice following;
    EXPECT_TRUE(same(stamp_date_now(following, evening), evening));
    EXPECT_TRUE(same(stamp_date_now(following, next_morning), next_morning));
    EXPECT_EQ(pinned_date_note(following), u"");

    const StampDateChoice pinned = pick_stamp_date(clock_at(2026, 12, 1, 0, 6), evening);
    ASSERT_TRUE(pinned.pinned);
    StampDate stamped = stamp_date_now(pinned, next_morning);
    EXPECT_TRUE(same(stamped, clock_at(2026, 12, 1, 7, 2)));  // 2026-12-01 is a Tuesday
    EXPECT_EQ(u16_to_utf8(pinned_date_note(pinned)), "（日付固定：2026/12/01）");

    // Today, whatever time of day the picker carried.
    const StampDateChoice back = pick_stamp_date(clock_at(2026, 12, 10, 0, 0), next_morning);
    EXPECT_FALSE(back.pinned);
    EXPECT_TRUE(same(stamp_date_now(back, next_morning), next_morning));
    EXPECT_EQ(pinned_date_note(back), u"");
}

}  // namespace
}  // namespace markomi
