#pragma once
// Measures the thread that walks, interval by interval, and asks ReadAheadTuner for the count of
// threads that read ahead of it. The kernel's schedule statistics of the thread split its time:
// on a core, runnable waiting for one, and (the rest of the clock) blocked, which for a walk is
// the file system. Made, ticked and destroyed on the walk's thread.

#include <cstdint>

#include "platform/ReadAheadTuner.h"

namespace zelk {

class ReadAheadPace {
  public:
    // fixed: see ReadAheadTuner. With ZELK_READ_AHEAD_TRACE=1 each change of the count goes
    // to the standard error.
    explicit ReadAheadPace(int fixed);
    ~ReadAheadPace();
    ReadAheadPace(const ReadAheadPace&) = delete;
    ReadAheadPace& operator=(const ReadAheadPace&) = delete;

    int Count() const { return tuner_.Count(); }
    // Counts an entry the walk handed out; true when the count has changed.
    bool Tick() { return tuner_.Adapts() && (++entries_ & 3) == 0 && Measure(); }

  private:
    struct Times {
        std::int64_t wall = 0;
        std::int64_t onCpu = 0;
        std::int64_t runnable = 0;
    };
    Times Now() const;
    bool Measure();

    ReadAheadTuner tuner_;
    int schedstat_ = -1;
    bool trace_ = false;
    std::uint64_t entries_ = 0;
    std::uint64_t entriesThen_ = 0;
    Times then_;
};

}  // namespace zelk
