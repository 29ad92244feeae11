#pragma once
// Calendar arithmetic of the date-time value: a double whose integer part counts days from
// 30 December 1899 and whose fraction is the time of day (proleptic Gregorian calendar).

#include <cstdint>
#include <optional>

namespace zelk {

using TDateTime = double;

struct CalendarDate {
    std::uint16_t Year = 0;
    std::uint16_t Month = 0;
    std::uint16_t Day = 0;
};

struct ClockTime {
    std::uint16_t Hour = 0;
    std::uint16_t Minute = 0;
    std::uint16_t Second = 0;
    std::uint16_t Millisecond = 0;
};

// The whole-day value of a date, or nothing for a date outside 1/1/1 to 9999/12/31.
std::optional<double> DayNumberOf(std::uint16_t year, std::uint16_t month, std::uint16_t day);

// The fraction of a day, or nothing for a clock time out of range.
std::optional<double> DayFractionOf(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                                    std::uint16_t millisecond);

// The value is first rounded to whole milliseconds (ties to even). Days before 1 January of
// year 1, and values too large for a 16-bit year, NaN or infinite, give year, month and day 0.
CalendarDate CalendarDateOf(TDateTime value);
// The time of day by the fraction's magnitude, so -1.25 is 06:00. Non-finite values give 0.
ClockTime ClockTimeOf(TDateTime value);
// 1 for Sunday to 7 for Saturday, for every value (days before year 1 continue the week).
int WeekdayOf(TDateTime value);

int DaysInMonth(std::uint16_t year, std::uint16_t month);

}  // namespace zelk
