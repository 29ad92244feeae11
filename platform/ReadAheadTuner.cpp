#include "platform/ReadAheadTuner.h"

#include <algorithm>
#include <utility>

namespace zelk {
namespace {

// Below this gain a doubling is not worth its threads: the tree's shape alone moves the rate
// from one interval to the next by about as much.
constexpr double kWorthGrowing = 1.15;
// After a doubling that did not pay, the intervals before the next try.
constexpr int kHold = 8;
constexpr double kBlocked = 0.5;  // of the interval waiting on the file system
constexpr double kCrowded = 0.2;  // of the interval waiting for a core

}  // namespace

ReadAheadTuner::ReadAheadTuner(int fixed)
    : adapts_(fixed < 0), count_(fixed < 0 ? 1 : std::min(fixed, kMostThreads)) {}

int ReadAheadTuner::Next(const Sample& sample) {
    if (!adapts_ || sample.wall <= 0) {
        return count_;
    }
    const double rate = sample.entries / sample.wall;
    const double blocked = sample.wall - sample.onCpu - sample.runnable;
    const bool grew = std::exchange(grew_, false);
    if (blocked >= kBlocked * sample.wall) {
        if (grew && rate < rateBefore_ * kWorthGrowing) {
            count_ = before_;
            hold_ = kHold;
        } else if (hold_ > 0) {
            --hold_;
        } else if (count_ < kMostThreads) {
            before_ = count_;
            rateBefore_ = rate;
            count_ = std::min(kMostThreads, std::max(1, count_ * 2));
            grew_ = true;
        }
    } else if (sample.runnable >= kCrowded * sample.wall) {
        count_ /= 2;
        hold_ = 0;
    } else {
        count_ = std::max(1, count_ / 2);
        hold_ = 0;
    }
    return count_;
}

}  // namespace zelk
