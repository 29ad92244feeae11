#pragma once
// How many threads read ahead of a walk, judged from what the walk's own thread did over the
// last interval. A walk that mostly waits on the file system is latency-bound: more requests in
// flight make it faster, so the count doubles while each doubling raises the entries walked per
// second. A walk that waits for a core shares the processor with its helpers or other programs:
// the count halves. A walk that computes has one helper at most, for the core beside it.

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
    // Starts measuring the count afresh when it changes; no growth is judged from then on.
    void SetCount(int count);

    bool adapts_;
    int count_;
    double rates_ = 0;  // entries per nanosecond, summed over the intervals at the count
    int intervals_ = 0;
    bool grew_ = false;      // the count is a growth still to be judged
    int before_ = 0;         // the count before that growth
    double rateBefore_ = 0;  // the mean rate at it
    int hold_ = 0;           // intervals left before growing is tried again
};

}  // namespace zelk
