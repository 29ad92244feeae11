#pragma once
// The paths the walk has entered since its last status step. The walk adds one per sub-directory
// and hands them over together when the status line is due for a newer text, so the worker waits
// for the user-interface thread a few dozen times a second instead of once per directory, while
// the line still gets every path, in walk order.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "scan/StatusLine.h"

namespace zelk {

class StatusBatch {
  public:
    using Clock = std::chrono::steady_clock;
    // Half the status line's repaint period, so every repaint shows a path this recent.
    static constexpr Clock::duration kInterval = std::chrono::milliseconds(8);

    // The worker's side.
    void Add(const std::string& path);
    bool Empty() const { return count_ == 0; }
    // Paths wait, and the last hand-over is an interval ago or they would grow too large.
    bool Due(Clock::time_point now) const;
    void Handed(Clock::time_point now) { handed_ = now; }
    void Clear();

    // User-interface thread, while the worker waits: each path in order, for as long as line is
    // set (the line may be cleared from inside its own text change); then the batch is empty.
    void ShowOn(const std::atomic<StatusLine*>& line);

  private:
    // The first count_ wait; the others keep their capacity for the next paths.
    std::vector<std::string> texts_;
    std::size_t count_ = 0;
    std::size_t bytes_ = 0;
    Clock::time_point handed_{};
};

}  // namespace zelk
