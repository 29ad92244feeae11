#pragma once
// A job done in bounded steps, each returning true once nothing is left: run a step at a time
// from the event loop, or to its end by whatever needs its result now. A step that raises discards
// the rest of the job.

#include <functional>
#include <utility>

namespace zelk {

class SteppedJob {
  public:
    // In place of any job not yet done.
    void Start(std::function<bool()> step) { step_ = std::move(step); }
    // One step; inside a step (the step itself reading what it makes) nothing.
    void Step();
    void Finish();
    void Discard() { step_ = nullptr; }
    bool Pending() const { return static_cast<bool>(step_); }
    bool Running() const { return running_; }

  private:
    std::function<bool()> step_;
    bool running_ = false;
};

}  // namespace zelk
