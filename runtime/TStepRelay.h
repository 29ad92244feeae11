#pragma once
// Carries workers' steps to the user-interface thread. A worker queues its step and waits for
// it; the user-interface thread runs queued steps whenever it serves. Both sides spin briefly
// before they sleep, since a scan hands over one step per directory; the user-interface thread's
// event loop is woken through a hook only when it is not already serving.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace zelk {

// One step on its way to the user-interface thread and back.
struct TStepHandoff {
    const std::function<void()>* step = nullptr;
    const void* sender = nullptr;  // identity of the worker, never dereferenced
    std::exception_ptr error;      // written by the user-interface thread before done
    std::atomic<std::uint32_t> done{0};
};

class TStepRelay {
  public:
    using Clock = std::chrono::steady_clock;

    // Worker thread: queues the step and makes sure the user-interface thread will serve it.
    void Post(std::shared_ptr<TStepHandoff> handoff);
    // Worker thread: returns once the step has run.
    static void AwaitDone(const TStepHandoff& handoff);
    // Any thread: wakes a user-interface thread sleeping in AwaitSignal.
    static void Signal();

    // The rest is for the user-interface thread.
    static void SetWakeUpHook(std::function<void()> hook);
    static void CallWakeUpHook();

    // While serving, workers do not call the wake-up hook. Leaving calls it when steps are
    // still queued, so that none is left behind. Nests.
    static void EnterServing();
    static void LeaveServing();
    static bool StepsQueued();
    // Spins until a step is queued or until passes; false when none came.
    static bool SpinForStep(Clock::time_point until);
    // Sleep while nothing happens: read the count, check, then sleep until the count changes.
    static std::uint32_t SignalCount();
    static void AwaitSignal(std::uint32_t seen);
    // The worker whose step runs on the user-interface thread right now, or nullptr.
    static const void* CurrentSender();

    // Runs every step queued here, in order; true when it ran any.
    bool ServeQueued();

    void RequestClose() { closeRequested_ = true; }
    bool CloseRequested() const { return closeRequested_; }

  private:
    std::shared_ptr<TStepHandoff> Take();

    std::mutex mutex_;
    std::deque<std::shared_ptr<TStepHandoff>> queue_;
    bool closeRequested_ = false;  // user-interface thread only
};

}  // namespace zelk
