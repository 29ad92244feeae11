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

// Counts days from 1 January of year 1 (a Monday) one at a time, with its own month lengths.
struct DayWalker {
    int year = 1;
    int month = 1;
    int day = 1;
    int weekday = 2;  // 1 is Sunday

    void Next() {
        static const int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        weekday = weekday % 7 + 1;
        if (++day > kLengths[month - 1] + (month == 2 && leap ? 1 : 0)) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
};

std::uint16_t U(int v) {
    return static_cast<std::uint16_t>(v);
}

TEST(DateCalendar, EveryDayOfYearsOneToNineThousandNineHundredNinetyNineRoundTrips) {
    DayWalker walk;
    for (long count = 1; walk.year <= 9999; ++count, walk.Next()) {
        const auto number = DayNumberOf(U(walk.year), U(walk.month), U(walk.day));
        ASSERT_TRUE(number) << walk.year << "-" << walk.month << "-" << walk.day;
        ASSERT_EQ(*number, count - 693594) << walk.year << "-" << walk.month << "-" << walk.day;
        // Late in the day, on either side of 1899, the date stays the same.
        const double late = *number >= 0 ? *number + 0.999 : *number - 0.999;
        for (const double value : {*number, late}) {
            const CalendarDate date = CalendarDateOf(value);
            if (date.Year != walk.year || date.Month != walk.month || date.Day != walk.day ||
                WeekdayOf(value) != walk.weekday) {
                FAIL() << value << " gave " << date.Year << "-" << date.Month << "-" << date.Day
                       << " weekday " << WeekdayOf(value) << ", expected " << walk.year << "-"
                       << walk.month << "-" << walk.day << " weekday " << walk.weekday;
            }
        }
    }
    EXPECT_EQ(walk.year, 10000);
}

// The walk above numbers every real day; these are the dates it never asks about.
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
    EXPECT_EQ(*DayFractionOf(23, 59, 59, 999), 86399999.0 / 86400000.0);
    for (const auto& [h, mi, s, ms] :
         {std::array<int, 4>{0, 0, 0, 0}, {12, 0, 0, 500}, {23, 59, 59, 999}, {9, 5, 7, 1}}) {
        const ClockTime clock = ClockTimeOf(45000 + *DayFractionOf(U(h), U(mi), U(s), U(ms)));
        EXPECT_EQ(clock.Hour, h);
        EXPECT_EQ(clock.Minute, mi);
        EXPECT_EQ(clock.Second, s);
        EXPECT_EQ(clock.Millisecond, ms);
    }
    for (const auto& [h, mi, s, ms] :
         {std::array<int, 4>{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}}) {
        EXPECT_FALSE(DayFractionOf(U(h), U(mi), U(s), U(ms)))
            << h << ":" << mi << ":" << s << "." << ms;
    }
}

TEST(DateCalendar, MillisecondRoundingBreaksTiesToEvenAndCarriesIntoTheNextDay) {
    // 2^-11 and 3 * 2^-11 days are exactly 42187.5 and 126562.5 milliseconds.
    EXPECT_EQ(ClockTimeOf(std::ldexp(1.0, -11)).Millisecond, 188);
    EXPECT_EQ(ClockTimeOf(std::ldexp(3.0, -11)).Millisecond, 562);
    const double almostMidnight = 1 + 86399999.6 / 86400000.0;
    const CalendarDate date = CalendarDateOf(almostMidnight);
    EXPECT_EQ(date.Day, 1);  // 1 January 1900
    EXPECT_EQ(date.Month, 1);
    EXPECT_EQ(ClockTimeOf(almostMidnight).Hour, 0);
}

TEST(DateCalendar, ValuesBeforeYearOneOrBeyondAnyYearGiveDateZeroAndAWeekday) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double value : {-693594.0, -693594.5, -1e9, 1e300, -1e300, nan, inf, -inf}) {
        const CalendarDate date = CalendarDateOf(value);
        EXPECT_EQ(date.Year, 0) << value;
        EXPECT_EQ(date.Month, 0) << value;
        EXPECT_EQ(date.Day, 0) << value;
        EXPECT_GE(WeekdayOf(value), 1) << value;
        EXPECT_LE(WeekdayOf(value), 7) << value;
    }
    EXPECT_EQ(ClockTimeOf(nan).Hour, 0);
}

// Past 9999 the year is still written while it fits sixteen bits; the calendar repeats every
// 400 years (146097 days).
TEST(DateCalendar, LaterYearsRepeatTheFourHundredYearCycleUpToTheLastSixteenBitYear) {
    for (const double near : {*DayNumberOf(2000, 2, 29), *DayNumberOf(2100, 3, 1)}) {
        for (const int cycles : {20, 79, 158}) {
            const CalendarDate date = CalendarDateOf(near);
            const CalendarDate far = CalendarDateOf(near + 146097.0 * cycles);
            EXPECT_EQ(far.Year, date.Year + 400 * cycles) << near << " " << cycles;
            EXPECT_EQ(far.Month * 100 + far.Day, date.Month * 100 + date.Day);
        }
    }
    const CalendarDate last = CalendarDateOf(23242572);
    EXPECT_EQ(last.Year * 10000 + last.Month * 100 + last.Day, 655351231);
    EXPECT_EQ(CalendarDateOf(23242573).Year, 0);
}

}  // namespace
}  // namespace zelk
