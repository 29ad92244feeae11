#pragma once
// The threads of one ReadAhead: started as the count first needs them, parked (asleep) while
// the count is below them, and spinning briefly before they sleep while they have none to do.
// They run under their owner's lock.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/DirectoryReader.h"

namespace zelk {

class ReadAheadCrew {
  public:
    // Runs one piece of work, called locked (and may unlock meanwhile); false when there was none.
    using Step = std::function<bool(std::unique_lock<std::mutex>&, DirectoryReader&)>;

    // mutex outlives the crew.
    ReadAheadCrew(std::mutex& mutex, Step step) : mutex_(mutex), step_(std::move(step)) {}
    ~ReadAheadCrew() { Stop(); }
    ReadAheadCrew(const ReadAheadCrew&) = delete;
    ReadAheadCrew& operator=(const ReadAheadCrew&) = delete;

    // Unlocked; from the one thread that owns the crew.
    void Resize(int count);
    // Threads not parked; locked, or on the thread that resizes.
    int Active() const { return active_; }
    // There may be more to do: Changed locked, then Wake unlocked.
    void Changed() { generation_.fetch_add(1, std::memory_order_relaxed); }
    void Wake() { work_.notify_all(); }
    // Ends and joins every thread; unlocked.
    void Stop();

  private:
    void Work(int index);

    std::mutex& mutex_;
    const Step step_;
    std::condition_variable work_;    // the threads wait for work
    std::condition_variable parked_;  // threads beyond the count wait for it to grow
    int active_ = 0;
    bool stopping_ = false;
    std::atomic<unsigned> generation_{0};  // changes whenever there may be more to do
    std::vector<std::thread> threads_;
};

}  // namespace zelk
