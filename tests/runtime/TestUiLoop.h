#pragma once
// A stand-in for the application's event loop in the frame's tests: the test's own thread is the
// user-interface thread, and the frame's wake-up hook makes the loop serve the waiting steps.
// A scripted worker whose body the test supplies sits beside it.

#include <condition_variable>
#include <functional>
#include <mutex>

#include "runtime/TThread.h"

namespace zelk {

class TestUiLoop {
  public:
    TestUiLoop();
    ~TestUiLoop();

    // Serves steps each time the frame wakes the loop, until done() holds after a serving.
    void RunUntil(const std::function<bool()>& done);
    // Blocks until the frame has woken the loop, without serving anything.
    void WaitForWake();
    // Serves once if a wake-up is due; never blocks.
    void RunPending();
    int Wakes() const;

  private:
    void Wake();

    mutable std::mutex mutex_;
    std::condition_variable woken_;
    bool due_ = false;
    int wakes_ = 0;
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
