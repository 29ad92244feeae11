#pragma once
// The local date-time values of Unix times, each converted once for each second met: the files
// of a directory are often written within the same few seconds, and a local-time conversion costs
// more than the rest of an entry's handling.

#include <cstddef>
#include <cstdint>

namespace zelk {

class DateCache {
  public:
    double DateOf(std::int64_t seconds);

    // The conversion itself: the local last-write time as a date-time value, 0 when it has no
    // calendar date.
    static double Convert(std::int64_t seconds);

  private:
    struct Slot {
        std::int64_t seconds = 0;
        double date = 0;
        bool filled = false;
    };
    static constexpr std::size_t kSlots = 64;
    Slot slots_[kSlots];
};

}  // namespace zelk
