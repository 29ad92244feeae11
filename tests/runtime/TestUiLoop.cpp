#include "TestUiLoop.h"

namespace zelk {

TestUiLoop::TestUiLoop() {
    TThread::RecordUiThread();
    TThread::SetWakeUpHook([this] { Wake(); });
}

TestUiLoop::~TestUiLoop() {
    TThread::SetWakeUpHook({});
}

void TestUiLoop::Wake() {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        due_ = true;
        ++wakes_;
    }
    woken_.notify_one();
}

void TestUiLoop::WaitForWake() {
    std::unique_lock<std::mutex> guard(mutex_);
    woken_.wait(guard, [this] { return due_; });
    due_ = false;
}

void TestUiLoop::RunUntil(const std::function<bool()>& done) {
    while (!done()) {
        WaitForWake();
        TThread::ServePendingSteps();
    }
}

void TestUiLoop::RunPending() {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        if (!due_) {
            return;
        }
        due_ = false;
    }
    TThread::ServePendingSteps();
}

int TestUiLoop::Wakes() const {
    const std::lock_guard<std::mutex> guard(mutex_);
    return wakes_;
}

}  // namespace zelk
