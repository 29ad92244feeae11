#pragma once
// How many threads read ahead of a walk, judged from what the walk's own thread did over the
// last intervals. A walk that mostly waits on the file system is latency-bound: more requests in
// flight make it faster, so the count doubles while each doubling raises the entries walked per
// second. A walk that computes has one helper at most, for the core beside it, and none while
// it waits for a core, unless the helper still makes it faster. Every change is a trial, judged
// by the entries walked per second and undone when it does not pay.

namespace zelk {

class ReadAheadTuner {
  public:
    static constexpr int kMostThreads = 64;

    // Nanoseconds of one interval of the walk's thread: of the clock, on a core, waiting
    // runnable for one; and the entries it walked meanwhile.
    struct Sample {
        double wall = 0;
        double onCpu = 0;
        double runnable = 0;
        double entries = 0;
    };

    // fixed: that count for good; negative: the count adapts, from one thread.
    explicit ReadAheadTuner(int fixed);

    bool Adapts() const { return adapts_; }
    int Count() const { return count_; }
    // The count for the next interval, after an interval run at Count().
    int Next(const Sample& sample);

  private:
    // Runs count from now on, to be judged against rate (the mean at the count before): kept
    // when it reaches rate times worth.
    void Try(int count, double rate, double worth);
    // Starts measuring the count afresh when it changes; a trial is over.
    void SetCount(int count);

    bool adapts_;
    int count_;
    double rates_ = 0;  // entries per nanosecond, summed over the intervals at the count
    int intervals_ = 0;
    bool trying_ = false;
    int before_ = 0;  // the count before the trial
    double rateBefore_ = 0;
    double worth_ = 1;
    int hold_ = 0;      // intervals left before the next trial
    int failures_ = 0;  // trials in a row that did not pay
};

}  // namespace zelk
