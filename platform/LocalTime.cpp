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

}  // namespace zelk
