#include "runtime/TStepRelay.h"

#include <immintrin.h>
#include <sched.h>

#include <thread>
#include <utility>

namespace zelk {
namespace {

// Long enough to cover the other side's wake-up on a loaded machine, short enough that a
// waiting side costs little when the other is busy elsewhere.
constexpr auto kWorkerSpin = std::chrono::microseconds(100);
constexpr int kPausesPerClockRead = 32;

// Steps ever posted, against steps served (user-interface thread only). Posting and entering
// the serving loop use sequentially consistent accesses so that a worker either sees the
// user-interface thread serving or the user-interface thread sees the step.
std::atomic<std::uint32_t> posted{0};
std::uint32_t served = 0;
std::atomic<bool> serving{false};
int servingDepth = 0;
const void* currentSender = nullptr;

// Changes on every post and every Signal, so that one sleep covers both.
std::atomic<std::uint32_t> signals{0};

std::mutex hookMutex;
std::function<void()> wakeUpHook;

// The processor each side last spun on. Spinning while the other side waits for this very
// processor only delays it, so then the spinner yields; otherwise it pauses, since a yield
// could hand the processor to another program for a whole time slice.
std::atomic<int> uiCpu{-1};
std::atomic<int> workerCpu{-1};

void Pause(std::atomic<int>& mine, const std::atomic<int>& theirs) {
    const int cpu = sched_getcpu();
    mine.store(cpu, std::memory_order_relaxed);
    if (cpu >= 0 && cpu == theirs.load(std::memory_order_relaxed)) {
        std::this_thread::yield();
        return;
    }
    for (int i = 0; i < kPausesPerClockRead; ++i) {
        _mm_pause();
    }
}

}  // namespace

void TStepRelay::Post(std::shared_ptr<TStepHandoff> handoff) {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        queue_.push_back(std::move(handoff));
    }
    posted.fetch_add(1, std::memory_order_seq_cst);
    Signal();
    if (!serving.load(std::memory_order_seq_cst)) {
        CallWakeUpHook();
    }
}

void TStepRelay::AwaitDone(const TStepHandoff& handoff) {
    const Clock::time_point started = Clock::now();
    while (handoff.done.load(std::memory_order_acquire) == 0) {
        const Clock::time_point now = Clock::now();
        if (now - started >= kWorkerSpin) {
            handoff.done.wait(0, std::memory_order_acquire);
        } else {
            Pause(workerCpu, uiCpu);
        }
    }
}

void TStepRelay::Signal() {
    signals.fetch_add(1, std::memory_order_release);
    signals.notify_all();
}

void TStepRelay::SetWakeUpHook(std::function<void()> hook) {
    const std::lock_guard<std::mutex> guard(hookMutex);
    wakeUpHook = std::move(hook);
}

void TStepRelay::CallWakeUpHook() {
    const std::lock_guard<std::mutex> guard(hookMutex);
    if (wakeUpHook) {
        wakeUpHook();
    }
}

void TStepRelay::EnterServing() {
    if (servingDepth++ == 0) {
        serving.store(true, std::memory_order_seq_cst);
    }
}

void TStepRelay::LeaveServing() {
    if (--servingDepth > 0) {
        return;
    }
    serving.store(false, std::memory_order_seq_cst);
    if (posted.load(std::memory_order_seq_cst) != served) {
        CallWakeUpHook();
    }
}

bool TStepRelay::StepsQueued() {
    return posted.load(std::memory_order_seq_cst) != served;
}

bool TStepRelay::SpinForStep(Clock::time_point until) {
    while (!StepsQueued()) {
        if (Clock::now() >= until) {
            return false;
        }
        Pause(uiCpu, workerCpu);
    }
    return true;
}

std::uint32_t TStepRelay::SignalCount() {
    return signals.load(std::memory_order_acquire);
}

void TStepRelay::AwaitSignal(std::uint32_t seen) {
    signals.wait(seen, std::memory_order_acquire);
}

const void* TStepRelay::CurrentSender() {
    return currentSender;
}

std::shared_ptr<TStepHandoff> TStepRelay::Take() {
    const std::lock_guard<std::mutex> guard(mutex_);
    if (queue_.empty()) {
        return nullptr;
    }
    std::shared_ptr<TStepHandoff> next = std::move(queue_.front());
    queue_.pop_front();
    return next;
}

bool TStepRelay::ServeQueued() {
    bool ran = false;
    while (const std::shared_ptr<TStepHandoff> handoff = Take()) {
        ran = true;
        ++served;
        const void* const outer = currentSender;
        currentSender = handoff->sender;
        try {
            (*handoff->step)();
        } catch (...) {
            // Not shown here: the worker raises it again.
            handoff->error = std::current_exception();
        }
        currentSender = outer;
        // The handoff stays alive through the notify: this thread holds its own reference.
        handoff->done.store(1, std::memory_order_release);
        handoff->done.notify_one();
    }
    return ran;
}

}  // namespace zelk
