#pragma once
// The Japanese desktop with the clock's year fixed at 2026, and values built from their fields.

#include "runtime/DateCalendar.h"
#include "runtime/LocaleTestSupport.h"

namespace zelk {

// A value from its fields; before 30 December 1899 the time counts away from zero, as the
// whole days do.
inline TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                    int millisecond = 0) {
    const auto u = [](int v) { return static_cast<std::uint16_t>(v); };
    const double date = DayNumberOf(u(year), u(month), u(day)).value();
    const double time = DayFractionOf(u(hour), u(minute), u(second), u(millisecond)).value();
    return date >= 0 ? date + time : date - time;
}

using DateTimeTest = JapaneseDesktopTest;

}  // namespace zelk
