#include "app/SteppedJob.h"

namespace zelk {

void SteppedJob::Step() {
    if (!step_ || running_) {
        return;
    }
    running_ = true;
    bool done = true;
    try {
        done = step_();
    } catch (...) {
        running_ = false;
        step_ = nullptr;
        throw;
    }
    running_ = false;
    if (done) {
        step_ = nullptr;
    }
}

void SteppedJob::Finish() {
    while (step_ && !running_) {
        Step();
    }
}

}  // namespace zelk
