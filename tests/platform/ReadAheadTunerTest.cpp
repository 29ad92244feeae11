// Guards the count of reading-ahead threads: a walk waiting on a drive that serves requests in
// parallel grows to the most threads; one whose drive gains nothing from them and one that
// computes shrink back to one, one that waits for a core to none unless its helper still pays;
// a fixed count never moves.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/ReadAheadTuner.h"

namespace zelk::test {
namespace {

using Sample = ReadAheadTuner::Sample;
constexpr double kWall = 20e6;

// An interval of the walk's thread: shares of the clock on a core and runnable, and entries.
Sample Interval(double onCpu, double runnable, double entries) {
    return Sample{kWall, onCpu * kWall, runnable * kWall, entries};
}

// Entries per interval that grow with the requests in flight, as on a network drive.
Sample Network(int count) {
    return Interval(0.1, 0, 40.0 * (1 + std::min(count, 64)));
}

TEST(ReadAheadTuner, SettlesWhereTheWalkIsFastest) {
    const struct {
        const char* what;
        int fixed;
        std::function<Sample(int count, int step)> walk;
        int steps;
        int expected;
    } rows[] = {
        {"network drive", -1, [](int count, int) { return Network(count); }, 14, 64},
        {"drive that gains nothing from threads", -1,
         [](int, int) { return Interval(0.1, 0, 500); }, 10, 1},
        {"network walk that turns to computing", -1,
         [](int count, int step) { return step < 8 ? Network(count) : Interval(0.95, 0, 4000); },
         16, 1},
        {"walk computing beside a free core", -1,
         [](int, int) { return Interval(0.95, 0.02, 4000); }, 6, 1},
        {"walk sharing the cores with busy programs", -1,
         [](int, int) { return Interval(0.5, 0.45, 2000); }, 6, 0},
        {"crowded walk that its helper still speeds up", -1,
         [](int count, int) { return Interval(0.5, 0.45, count > 0 ? 3000 : 2000); }, 10, 1},
        {"fixed count", 8, [](int, int) { return Interval(0.1, 0, 100); }, 12, 8},
        {"fixed to none", 0, [](int count, int) { return Network(count); }, 12, 0},
    };
    for (const auto& row : rows) {
        ReadAheadTuner tuner(row.fixed);
        for (int step = 0; step < row.steps; ++step) {
            tuner.Next(row.walk(tuner.Count(), step));
        }
        EXPECT_EQ(tuner.Count(), row.expected) << row.what;
    }
}

}  // namespace
}  // namespace zelk::test
