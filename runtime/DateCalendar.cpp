#include "runtime/DateCalendar.h"

namespace zelk {

bool IsLeapYear(std::uint16_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

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
    int dayOfYear = day;
    for (std::uint16_t m = 1; m < month; ++m) {
        dayOfYear += DaysInMonth(year, m);
    }
    const int y = year - 1;
    return static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - 693594);
}

std::optional<double> DayFractionOf(std::uint16_t hour, std::uint16_t minute, std::uint16_t second,
                                    std::uint16_t millisecond) {
    if (hour >= 24 || minute >= 60 || second >= 60 || millisecond >= 1000) {
        return std::nullopt;
    }
    const double ms = hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond;
    return ms / 86400000.0;
}

}  // namespace zelk
