#pragma once
// A stand-in for the application's event loop in the frame's tests: the test's own thread is the
// user-interface thread, and the frame's wake-up hook makes the loop serve the waiting steps.
// Beside it, the fixture of the frame tests and a worker whose body the test supplies.

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

#include "runtime/TThread.h"

namespace zelk {

class TestUiLoop {
  public:
    TestUiLoop() {
        TThread::RecordUiThread();
        TThread::SetWakeUpHook([this] {
            const std::lock_guard<std::mutex> guard(mutex_);
            due_ = true;
            ++wakes_;
            woken_.notify_one();
        });
    }
    ~TestUiLoop() { TThread::SetWakeUpHook({}); }

    // Blocks until the frame has woken the loop, without serving anything.
    void WaitForWake() {
        std::unique_lock<std::mutex> guard(mutex_);
        woken_.wait(guard, [this] { return due_; });
        due_ = false;
    }
    void RunUntil(const std::function<bool()>& done) {
        while (!done()) {
            WaitForWake();
            TThread::ServePendingSteps();
        }
    }
    // Serves once if a wake-up is due; never blocks.
    void RunPending() {
        std::unique_lock<std::mutex> guard(mutex_);
        if (std::exchange(due_, false)) {
            guard.unlock();
            TThread::ServePendingSteps();
        }
    }
    int Wakes() {
        const std::lock_guard<std::mutex> guard(mutex_);
        return wakes_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable woken_;
    bool due_ = false;
    int wakes_ = 0;
};

// Every worker of a test is gone by its end; the last serving carries out the relay's close.
class FrameTest : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_EQ(TThread::WorkerCount(), 0);
        loop.RunPending();
    }
    TestUiLoop loop;
};

class ScriptedWorker : public TThread {
  public:
    using Body = std::function<void(ScriptedWorker&)>;
    explicit ScriptedWorker(Body body) : TThread(true), body_(std::move(body)) {}
    ~ScriptedWorker() override { StopAndAwaitForRelease(); }
    using TThread::CallOnUiThread;
    using TThread::SetResultCode;

  protected:
    void Run() override { body_(*this); }

  private:
    Body body_;
};

}  // namespace zelk
