#include "runtime/DateCalendar.h"

#include <chrono>
#include <cmath>

namespace zelk {
namespace {

namespace chrono = std::chrono;

constexpr std::int64_t kMsPerDay = 86400000;
// Day 1 is 1 January of year 1; 30 December 1899 is this day.
constexpr std::int64_t kDayOfZeroValue = 693594;
// 31 December 65535, the last day whose year fits the 16-bit field.
constexpr std::int64_t kLastDay = 23936166;
constexpr chrono::sys_days kFirstDay = chrono::year{1} / 1 / 1;
constexpr chrono::sys_days kZeroValueDay = chrono::year{1899} / 12 / 30;
// The Gregorian calendar repeats every 400 years; chrono's years end at 32767.
constexpr std::int64_t kDaysPer400Years = 146097;

// The value split into its day count D and the milliseconds of its time of day.
struct SplitValue {
    std::int64_t Day = 0;
    std::int64_t Milliseconds = 0;
};

std::optional<SplitValue> Split(TDateTime value) {
    // Beyond this the day count is far past any representable year anyway.
    if (!(std::fabs(value) < 1e12)) {
        return std::nullopt;
    }
    // value * kMsPerDay < 2^63 here, and nearbyint rounds ties to even in the default mode.
    const auto t = static_cast<std::int64_t>(std::nearbyint(value * kMsPerDay));
    const std::int64_t magnitude = t < 0 ? -t : t;
    const std::int64_t q = magnitude / kMsPerDay;
    return SplitValue{t >= 0 ? kDayOfZeroValue + q : kDayOfZeroValue - q, magnitude % kMsPerDay};
}

bool IsLeapYear(std::uint16_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

int DaysInMonth(std::uint16_t year, std::uint16_t month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) {
        return 29;
    }
    return kDays[month - 1];
}

std::optional<double> DayNumberOf(std::uint16_t year, std::uint16_t month, std::uint16_t day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    const chrono::sys_days date = chrono::year{year} / chrono::month{month} / chrono::day{day};
    return static_cast<double>((date - kZeroValueDay).count());
}

std::optional<double> DayFractionOf(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                                    std::uint16_t millisecond) {
    if (hour >= 24 || minute >= 60 || second >= 60 || millisecond >= 1000) {
        return std::nullopt;
    }
    const double ms = hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond;
    return ms / 86400000.0;
}

CalendarDate CalendarDateOf(TDateTime value) {
    const auto split = Split(value);
    if (!split || split->Day <= 0 || split->Day > kLastDay) {
        return {};
    }
    const std::int64_t cycles = (split->Day - 1) / kDaysPer400Years;
    const chrono::year_month_day date{kFirstDay +
                                      chrono::days{(split->Day - 1) % kDaysPer400Years}};
    return {static_cast<std::uint16_t>(static_cast<int>(date.year()) + 400 * cycles),
            static_cast<std::uint16_t>(static_cast<unsigned>(date.month())),
            static_cast<std::uint16_t>(static_cast<unsigned>(date.day()))};
}

ClockTime ClockTimeOf(TDateTime value) {
    const auto split = Split(value);
    if (!split) {
        return {};
    }
    const auto ms = static_cast<std::uint32_t>(split->Milliseconds);
    return {static_cast<std::uint16_t>(ms / 3600000), static_cast<std::uint16_t>(ms / 60000 % 60),
            static_cast<std::uint16_t>(ms / 1000 % 60), static_cast<std::uint16_t>(ms % 1000)};
}

int WeekdayOf(TDateTime value) {
    const auto split = Split(value);
    if (!split) {
        return 1;
    }
    // A floored remainder, so that days before year 1 still name a weekday.
    const std::int64_t r = split->Day % 7;
    return static_cast<int>(r < 0 ? r + 7 : r) + 1;
}

}  // namespace zelk
