#pragma once
// Calendar arithmetic of the date-time value: a double whose integer part counts days from
// 30 December 1899 and whose fraction is the time of day (proleptic Gregorian calendar).

#include <cstdint>
#include <optional>

namespace zelk {

using TDateTime = double;

// The whole-day value of a date, or nothing for a date outside 1/1/1 to 9999/12/31.
std::optional<double> DayNumberOf(std::uint16_t year, std::uint16_t month, std::uint16_t day);

// The fraction of a day, or nothing for a clock time out of range.
std::optional<double> DayFractionOf(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                                    std::uint16_t millisecond);

bool IsLeapYear(std::uint16_t year);
int DaysInMonth(std::uint16_t year, std::uint16_t month);

}  // namespace zelk
