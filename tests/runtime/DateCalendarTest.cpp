// Guards the calendar of the date-time value: day numbers and calendar dates agree with a plain
// day-by-day count for every day of years 1 to 9999, leap years follow the Gregorian rule, the
// time of day is rounded to milliseconds with ties to even, and values before 1899 or before
// year 1 still give sound fields.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "runtime/DateCalendar.h"

namespace zelk {
namespace {

std::uint16_t U(int v) {
    return static_cast<std::uint16_t>(v);
}

// Year, month, day and weekday (1 is Sunday) as the digits of one number.
long Packed(int year, int month, int day, int weekday) {
    return ((year * 100L + month) * 100 + day) * 10 + weekday;
}

long PackedDateOf(TDateTime value) {
    const CalendarDate date = CalendarDateOf(value);
    return Packed(date.Year, date.Month, date.Day, WeekdayOf(value));
}

long PackedClockOf(TDateTime value) {
    const ClockTime clock = ClockTimeOf(value);
    return ((clock.Hour * 100L + clock.Minute) * 100 + clock.Second) * 1000 + clock.Millisecond;
}

// Counts from 1 January of year 1, a Monday, one day at a time with its own month lengths.
TEST(DateCalendar, EveryDayOfYearsOneToNineThousandNineHundredNinetyNineRoundTrips) {
    static const int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 1, month = 1, day = 1, weekday = 2;
    for (long count = 1; year <= 9999; ++count) {
        const auto number = DayNumberOf(U(year), U(month), U(day));
        ASSERT_EQ(number.value_or(-1e9), count - 693594) << year << "-" << month << "-" << day;
        // Late in the day, on either side of 1899, the date stays the same.
        const double late = *number >= 0 ? *number + 0.999 : *number - 0.999;
        ASSERT_EQ(PackedDateOf(*number), Packed(year, month, day, weekday));
        ASSERT_EQ(PackedDateOf(late), Packed(year, month, day, weekday));
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        weekday = weekday % 7 + 1;
        if (++day > kLengths[month - 1] + (month == 2 && leap ? 1 : 0)) {
            day = 1;
            year += month == 12 ? 1 : 0;
            month = month % 12 + 1;
        }
    }
}

// The count above numbers every real day; these are the dates it never asks about.
TEST(DateCalendar, DatesOutsideTheCalendarAndLeapDaysOffTheCenturyRuleHaveNoDayNumber) {
    const std::array<int, 3> refused[] = {{0, 1, 1},    {10000, 1, 1}, {2026, 0, 1}, {2026, 13, 1},
                                          {2026, 1, 0}, {2026, 4, 31}, {2026, 2, 29}};
    for (const auto& [y, m, d] : refused) {
        EXPECT_FALSE(DayNumberOf(U(y), U(m), U(d))) << y << "-" << m << "-" << d;
    }
    for (int century = 1; century <= 99; ++century) {
        EXPECT_EQ(DayNumberOf(U(century * 100), 2, 29).has_value(), century % 4 == 0) << century;
    }
}

TEST(DateCalendar, FractionsOfTheDayRoundTripThroughTheClock) {
    EXPECT_EQ(*DayFractionOf(12, 0, 0, 500), 43200500.0 / 86400000.0);
    for (const long clock : {0L, 120000500L, 235959999L, 90507001L}) {
        const auto fraction = DayFractionOf(U(clock / 10000000), U(clock / 100000 % 100),
                                            U(clock / 1000 % 100), U(clock % 1000));
        EXPECT_EQ(PackedClockOf(45000 + *fraction), clock);
    }
    for (const auto& [h, mi, s, ms] :
         {std::array<int, 4>{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}}) {
        EXPECT_FALSE(DayFractionOf(U(h), U(mi), U(s), U(ms)))
            << h << ":" << mi << ":" << s << "." << ms;
    }
}

// 2^-11 and 3 * 2^-11 days are exactly 42187.5 and 126562.5 milliseconds; the last fraction of
// a millisecond before midnight rounds into 1 January 1900.
TEST(DateCalendar, MillisecondRoundingBreaksTiesToEvenAndCarriesIntoTheNextDay) {
    EXPECT_EQ(ClockTimeOf(std::ldexp(1.0, -11)).Millisecond, 188);
    EXPECT_EQ(ClockTimeOf(std::ldexp(3.0, -11)).Millisecond, 562);
    const double almostMidnight = 1 + 86399999.6 / 86400000.0;
    EXPECT_EQ(PackedDateOf(almostMidnight), Packed(1900, 1, 1, 2));
    EXPECT_EQ(PackedClockOf(almostMidnight), 0);
}

TEST(DateCalendar, ValuesBeforeYearOneOrBeyondAnyYearGiveDateZeroAndAWeekday) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double value : {-693594.0, -693594.5, -1e9, 1e300, -1e300, nan, inf, -inf}) {
        EXPECT_EQ(PackedDateOf(value) / 10, 0) << value;
        EXPECT_GE(WeekdayOf(value), 1) << value;
        EXPECT_LE(WeekdayOf(value), 7) << value;
    }
    EXPECT_EQ(ClockTimeOf(nan).Hour, 0);
}

// Past 9999 the year is still written while it fits sixteen bits; the calendar repeats every
// 400 years (146097 days), and so does the week.
TEST(DateCalendar, LaterYearsRepeatTheFourHundredYearCycleUpToTheLastSixteenBitYear) {
    for (const double near : {*DayNumberOf(2000, 2, 29), *DayNumberOf(2100, 3, 1)}) {
        for (const int cycles : {20, 79, 158}) {
            EXPECT_EQ(PackedDateOf(near + 146097.0 * cycles),
                      PackedDateOf(near) + 40000000L * cycles)
                << near << " " << cycles;
        }
    }
    EXPECT_EQ(PackedDateOf(23242572) / 10, 655351231);
    EXPECT_EQ(PackedDateOf(23242573) / 10, 0);
}

}  // namespace
}  // namespace zelk
