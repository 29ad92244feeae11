#include "platform/LocalTime.h"

#include <ctime>

namespace zelk {

bool LocalTimeOf(std::int64_t secondsSinceEpoch, LocalTime& local) {
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        return false;
    }
    local.Year = tm.tm_year + 1900;
    local.Month = tm.tm_mon + 1;
    local.Day = tm.tm_mday;
    local.Hour = tm.tm_hour;
    local.Minute = tm.tm_min;
    local.Second = tm.tm_sec;
    return true;
}

bool SecondsOfLocalTime(const LocalTime& local, std::int64_t& secondsSinceEpoch) {
    std::tm tm{};
    tm.tm_year = local.Year - 1900;
    tm.tm_mon = local.Month - 1;
    tm.tm_mday = local.Day;
    tm.tm_hour = local.Hour;
    tm.tm_min = local.Minute;
    tm.tm_sec = local.Second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    LocalTime back;
    // -1 is both the failure and one second before the epoch.
    if (t == static_cast<std::time_t>(-1) &&
        !(LocalTimeOf(-1, back) && back.Second == local.Second && back.Minute == local.Minute)) {
        return false;
    }
    secondsSinceEpoch = static_cast<std::int64_t>(t);
    return true;
}

}  // namespace zelk
