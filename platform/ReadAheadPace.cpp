#include "platform/ReadAheadPace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace zelk {
namespace {

// Long enough for a few hundred entries of a local disk, short enough to grow to dozens of
// threads within a fraction of a second on a slow drive.
constexpr std::int64_t kInterval = 20'000'000;

std::int64_t Nanoseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

ReadAheadPace::ReadAheadPace(int fixed) : tuner_(fixed) {
    if (!tuner_.Adapts()) {
        return;
    }
    // Opened once: it stays this thread's as other threads come and go.
    schedstat_ = open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    const char* trace = std::getenv("ZELK_READ_AHEAD_TRACE");
    trace_ = trace != nullptr && std::strcmp(trace, "1") == 0;
    then_ = Now();
}

ReadAheadPace::~ReadAheadPace() {
    if (schedstat_ >= 0) {
        close(schedstat_);
    }
}

ReadAheadPace::Times ReadAheadPace::Now() const {
    Times now;
    now.wall = Nanoseconds(CLOCK_MONOTONIC);
    char text[96];
    const ssize_t got = schedstat_ >= 0 ? pread(schedstat_, text, sizeof text - 1, 0) : -1;
    if (got > 0) {
        text[got] = '\0';
        char* end = nullptr;
        now.onCpu = std::strtoll(text, &end, 10);
        now.runnable = std::strtoll(end, nullptr, 10);
    } else {
        // Without the statistics waiting for a core counts as blocked.
        now.onCpu = Nanoseconds(CLOCK_THREAD_CPUTIME_ID);
    }
    return now;
}

bool ReadAheadPace::Measure() {
    if (Nanoseconds(CLOCK_MONOTONIC) - then_.wall < kInterval) {
        return false;
    }
    const Times now = Now();
    const ReadAheadTuner::Sample sample{static_cast<double>(now.wall - then_.wall),
                                        static_cast<double>(now.onCpu - then_.onCpu),
                                        static_cast<double>(now.runnable - then_.runnable),
                                        static_cast<double>(entries_ - entriesThen_)};
    then_ = now;
    entriesThen_ = entries_;
    const int before = tuner_.Count();
    const int after = tuner_.Next(sample);
    if (trace_ && after != before) {
        std::fprintf(stderr, "read-ahead %d -> %d threads (cpu %.0f%%, runnable %.0f%%, %.0f/s)\n",
                     before, after, 100 * sample.onCpu / sample.wall,
                     100 * sample.runnable / sample.wall, 1e9 * sample.entries / sample.wall);
    }
    return after != before;
}

}  // namespace zelk
