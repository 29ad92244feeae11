#pragma once
// Local calendar time of a file time, in the process's time zone.

#include <cstdint>

namespace zelk {

struct LocalTime {
    int Year = 0;   // full year, such as 1998
    int Month = 0;  // 1 to 12
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;  // 0 to 60
};

// false when the time cannot be expressed as a local time.
bool LocalTimeOf(std::int64_t secondsSinceEpoch, LocalTime& local);

// The seconds since the epoch of a local calendar time; a time that occurs twice (the hour the
// clocks go back) gives one of its two instants, which read back as the same local time.
bool SecondsOfLocalTime(const LocalTime& local, std::int64_t& secondsSinceEpoch);

}  // namespace zelk
