#include "platform/ReadAheadTuner.h"

#include <algorithm>

namespace zelk {
namespace {

// Below this gain a doubling is not worth its threads: the tree's shape alone moves the rate
// from one interval to the next by about as much.
constexpr double kWorthGrowing = 1.15;
// A helper for a computing walk must pay a little; going without one may cost a little, as it
// leaves the cores to the programs the walk waits for.
constexpr double kWorthHelping = 1.05;
constexpr double kWorthSparing = 0.95;
// Intervals a trial runs before it is judged, the first being partly the ramp of the new
// threads; unless it plainly gains at once, as on a drive far from its most requests in flight.
constexpr int kJudged = 2;
constexpr double kPlainGain = 1.5;
// After a trial that did not pay, the intervals before the next, doubling with each such trial.
constexpr int kHold = 8;
constexpr int kMostHold = 64;
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
    const double rate = rates_ / intervals_;
    if (trying_) {
        if (intervals_ < kJudged && rate < rateBefore_ * kPlainGain) {
            return count_;
        }
        if (rate < rateBefore_ * worth_) {
            SetCount(before_);
            hold_ = std::min(kMostHold, kHold << failures_++);
            return count_;
        }
        failures_ = 0;
        trying_ = false;
    }
    const double blocked = sample.wall - sample.onCpu - sample.runnable;
    const bool crowded = sample.runnable >= kCrowded * sample.wall;
    if (blocked < kBlocked * sample.wall && count_ > 1) {
        // A walk that computes is not sped up by more than the one helper beside it.
        SetCount(1);
    } else if (hold_ > 0) {
        --hold_;
    } else if (blocked >= kBlocked * sample.wall) {
        if (count_ < kMostThreads) {
            Try(std::max(1, count_ * 2), rate, kWorthGrowing);
        }
    } else if (count_ == 1 && crowded) {
        Try(0, rate, kWorthSparing);
    } else if (count_ == 0 && !crowded) {
        Try(1, rate, kWorthHelping);
    }
    return count_;
}

void ReadAheadTuner::Try(int count, double rate, double worth) {
    before_ = count_;
    rateBefore_ = rate;
    worth_ = worth;
    SetCount(count);
    trying_ = true;
}

void ReadAheadTuner::SetCount(int count) {
    if (count != count_) {
        count_ = count;
        rates_ = 0;
        intervals_ = 0;
    }
    trying_ = false;
}

}  // namespace zelk
