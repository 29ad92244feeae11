#pragma once
// The worker-thread frame: runs one body of work on a thread of its own while every touch of the
// user interface stays on the user-interface thread. A worker hands steps to the user-interface
// thread and waits for them; the owner gets a completion handler there once the body returned.
// The frame has no toolkit of its own (see SetWakeUpHook).

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace zelk {

class TThread;

// A bound completion handler; an empty one means no call.
using TNotifyEvent = std::function<void(TThread& sender)>;
// A bound step without arguments, run on the user-interface thread.
using TThreadStep = std::function<void()>;

class TThread {
  public:
    // The thread itself is created by Start when createSuspended is true. A derived class
    // creates suspended: created running, the body may start before the derived part exists.
    explicit TThread(bool createSuspended);
    // Release: a started worker is stopped and waited for (serving its steps), and its
    // completion handler is no longer called, unless the release comes from inside its own
    // completion handler; the thread then ends on its own. A never-started worker just goes.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Lets a suspended worker run; changes nothing on a running one.
    void Start();
    // Advisory: the body polls StopRequested().
    void RequestStop() { stopRequested_.store(true, std::memory_order_relaxed); }
    bool StopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }

    // User-interface thread only, at any time; read when the completion step runs.
    void SetOnFinished(TNotifyEvent handler);

    // Blocks until the thread has ended and returns its exit code. On the user-interface thread
    // the wait serves the worker's steps and nothing else. Returns at once when no thread
    // exists (never started, or refused by the system).
    std::int32_t AwaitEnd();

    bool BodyDone() const { return bodyDone_.load(std::memory_order_acquire); }
    bool WaitingToStart() const { return waitingToStart_; }
    void SetReleaseWhenDone(bool value) { releaseWhenDone_ = value; }

    // Process-wide: the user-interface thread is recorded once during start-up.
    static void RecordUiThread();
    static bool OnUiThread();
    static int WorkerCount();

    // Installed by the application: called from a worker thread whenever a step is waiting, so
    // that the user-interface thread's event loop calls ServePendingSteps() soon.
    static void SetWakeUpHook(std::function<void()> hook);
    // User-interface thread: runs the waiting steps for a few milliseconds at most.
    static void ServePendingSteps();
    // Called on the worker thread with an error that escapes its body, in place of the report
    // on standard error; the process then ends with exit code 1 either way.
    static void SetLastChanceHook(std::function<void(std::exception_ptr)> hook);

  protected:
    // The body, on the worker thread. The base has none: it raises EAbstractError.
    virtual void Run();
    // The completion step, on the worker thread once Run has returned.
    virtual void NotifyFinished();
    // Worker thread: returns once the step has run on the user-interface thread; an error the
    // step raised is raised again here, the same object. Called on the user-interface thread,
    // the step simply runs.
    void CallOnUiThread(const TThreadStep& step);
    void SetResultCode(std::int32_t code) { resultCode_ = code; }
    // The first step of release, for a derived destructor whose members the body uses: a
    // running worker is stopped and waited for, and no completion handler is called any more.
    // Returns at once inside the worker's own completion step. Calling it again is harmless.
    void StopAndAwaitForRelease();

  private:
    struct State;
    static void* Entry(void* start);
    bool CreateOsThread();
    std::unique_ptr<State> state_;  // thread handle, handler slot, step channel
    std::atomic<bool> stopRequested_{false};
    bool waitingToStart_ = false;
    bool releaseWhenDone_ = false;
    std::atomic<bool> bodyDone_{false};
    std::int32_t resultCode_ = 0;
};

}  // namespace zelk
