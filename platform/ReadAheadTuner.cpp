#include "platform/ReadAheadTuner.h"

#include <algorithm>

namespace zelk {
namespace {

// Below this gain a doubling is not worth its threads: the tree's shape alone moves the rate
// from one interval to the next by about as much.
constexpr double kWorthGrowing = 1.15;
// Intervals a count runs before it is judged, the first being partly the ramp of the new
// threads; unless it plainly gains at once, as on a drive far from its most requests in flight.
constexpr int kJudged = 2;
constexpr double kPlainGain = 1.5;
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
    rates_ += sample.entries / sample.wall;
    ++intervals_;
    const double blocked = sample.wall - sample.onCpu - sample.runnable;
    if (blocked < kBlocked * sample.wall) {
        // Waiting for a core, the walk shares it with its helpers or other programs.
        SetCount(sample.runnable >= kCrowded * sample.wall ? count_ / 2 : std::max(1, count_ / 2));
        hold_ = 0;
        return count_;
    }
    const double rate = rates_ / intervals_;
    if (grew_ && intervals_ < kJudged && rate < rateBefore_ * kPlainGain) {
        return count_;
    }
    if (grew_ && rate < rateBefore_ * kWorthGrowing) {
        SetCount(before_);
        hold_ = kHold;
    } else if (hold_ > 0) {
        --hold_;
    } else if (count_ < kMostThreads) {
        before_ = count_;
        rateBefore_ = rate;
        SetCount(std::min(kMostThreads, std::max(1, count_ * 2)));
        grew_ = true;
    }
    return count_;
}

void ReadAheadTuner::SetCount(int count) {
    if (count != count_) {
        count_ = count;
        rates_ = 0;
        intervals_ = 0;
    }
    grew_ = false;
}

}  // namespace zelk
