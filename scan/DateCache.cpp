#include "scan/DateCache.h"

#include "platform/LocalTime.h"
#include "runtime/DateCalendar.h"

namespace zelk {

double DateCache::DateOf(std::int64_t seconds) {
    Slot& slot = slots_[static_cast<std::uint64_t>(seconds) % kSlots];
    if (!slot.filled || slot.seconds != seconds) {
        slot = Slot{seconds, Convert(seconds), true};
    }
    return slot.date;
}

double DateCache::Convert(std::int64_t seconds) {
    LocalTime local;
    if (!LocalTimeOf(seconds, local) || local.Year < 1 || local.Year > 9999) {
        return 0;
    }
    const auto day =
        DayNumberOf(static_cast<std::uint16_t>(local.Year), static_cast<std::uint16_t>(local.Month),
                    static_cast<std::uint16_t>(local.Day));
    // A leap second reads as the last second of its minute.
    const auto time = DayFractionOf(
        static_cast<std::uint16_t>(local.Hour), static_cast<std::uint16_t>(local.Minute),
        static_cast<std::uint16_t>(local.Second > 59 ? 59 : local.Second), 0);
    if (!day || !time) {
        return 0;
    }
    // Before 30 December 1899 the time of day counts away from zero, like the whole days.
    return *day >= 0 ? *day + *time : *day - *time;
}

}  // namespace zelk
