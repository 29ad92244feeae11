#include "runtime/TThread.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/Errors.h"
#include "runtime/LastChanceReport.h"
#include "runtime/TStepRelay.h"

namespace zelk {
namespace {

using Clock = TStepRelay::Clock;

// The scan may recurse through very deep trees; only the pages it touches cost memory.
constexpr std::size_t kStackReserve = std::size_t{256} << 20;
// How long one serving keeps the event loop waiting at most, and how long it waits for the
// worker's next step before it gives the loop back.
constexpr auto kServeBudget = std::chrono::milliseconds(4);
constexpr auto kServeSpin = std::chrono::microseconds(200);

// Shared by a worker object and its thread, so that the thread can finish after the object
// has been released from inside its completion handler.
struct WorkerLink {
    std::shared_ptr<TStepRelay> relay;
    std::shared_ptr<TStepHandoff> handoff = std::make_shared<TStepHandoff>();
    std::int32_t exitCode = 0;  // written before ended is set
    std::atomic<std::uint32_t> ended{0};
};

struct StartPack {
    TThread* self;
    std::shared_ptr<WorkerLink> link;
};

std::atomic<std::thread::id> uiThread{};
std::atomic<int> workerCount{0};

// User-interface thread only: the relay new workers join, and every relay not yet closed.
std::shared_ptr<TStepRelay> currentRelay;
std::vector<std::shared_ptr<TStepRelay>> openRelays;

std::mutex lastChanceMutex;
std::function<void(std::exception_ptr)> lastChanceHook;

bool ServeAllRelays() {
    if (!TStepRelay::StepsQueued()) {
        return false;
    }
    bool ran = false;
    // By index: a step may create a worker and so open a relay.
    for (std::size_t i = 0; i < openRelays.size(); ++i) {
        const std::shared_ptr<TStepRelay> relay = openRelays[i];
        ran = relay->ServeQueued() || ran;
    }
    return ran;
}

// A closing relay is drained first, so that no worker can be left waiting on it.
void CarryOutCloses() {
    std::vector<std::shared_ptr<TStepRelay>> closing;
    for (const std::shared_ptr<TStepRelay>& relay : openRelays) {
        if (relay->CloseRequested()) {
            closing.push_back(relay);
        }
    }
    if (closing.empty()) {
        return;
    }
    std::erase_if(openRelays, [](const auto& relay) { return relay->CloseRequested(); });
    for (const std::shared_ptr<TStepRelay>& relay : closing) {
        relay->ServeQueued();
    }
}

[[noreturn]] void ReportLastChance(const std::exception_ptr& error, const void* code) {
    std::function<void(std::exception_ptr)> hook;
    {
        const std::lock_guard<std::mutex> guard(lastChanceMutex);
        hook = lastChanceHook;
    }
    try {
        if (hook) {
            hook(error);
        } else {
            const CodeLocation where = LocateCode(code);
            const std::string text = LastChanceText(error, where.moduleFile, where.relativeAddress);
            std::fprintf(stderr, "%s\n", text.c_str());
        }
    } catch (...) {
        // Nothing is left to report to; the process ends all the same.
    }
    std::fflush(nullptr);
    std::_Exit(1);
}

}  // namespace

struct TThread::State {
    std::shared_ptr<WorkerLink> link = std::make_shared<WorkerLink>();
    pthread_t thread{};
    bool hasThread = false;
    bool joined = false;
    // The slot belongs to the user-interface thread; the worker reads only whether it is set.
    TNotifyEvent onFinished;
    std::atomic<bool> hasOnFinished{false};
};

TThread::TThread(bool createSuspended) : state_(std::make_unique<State>()) {
    if (!currentRelay) {
        currentRelay = std::make_shared<TStepRelay>();
        openRelays.push_back(currentRelay);
    }
    workerCount.fetch_add(1, std::memory_order_relaxed);
    state_->link->relay = currentRelay;
    waitingToStart_ = createSuspended;
    if (!createSuspended) {
        CreateOsThread();
    }
}

TThread::~TThread() {
    StopAndAwaitForRelease();
    if (state_->hasThread && !state_->joined) {
        pthread_detach(state_->thread);
    }
    if (workerCount.fetch_sub(1, std::memory_order_relaxed) == 1 && currentRelay) {
        // Closed when the loop next serves, like a posted message.
        currentRelay->RequestClose();
        currentRelay.reset();
        TStepRelay::CallWakeUpHook();
    }
}

bool TThread::CreateOsThread() {
    auto pack = std::make_unique<StartPack>(StartPack{this, state_->link});
    pthread_attr_t attributes;
    int result = pthread_attr_init(&attributes);
    if (result == 0) {
        result = pthread_attr_setstacksize(&attributes, kStackReserve);
        if (result == 0) {
            result = pthread_create(&state_->thread, &attributes, &Entry, pack.get());
        }
        pthread_attr_destroy(&attributes);
    }
    if (result != 0) {
        // A tight address-space limit still gets a worker, with the ordinary stack.
        result = pthread_create(&state_->thread, nullptr, &Entry, pack.get());
    }
    if (result != 0) {
        return false;
    }
    pack.release();
    state_->hasThread = true;
    return true;
}

void* TThread::Entry(void* start) {
    std::unique_ptr<StartPack> pack(static_cast<StartPack*>(start));
    TThread* const self = pack->self;
    const std::shared_ptr<WorkerLink> link = std::move(pack->link);
    pack.reset();

    std::int32_t code = 0;
    try {
        self->Run();
        const bool releaseSelf = self->releaseWhenDone_;
        code = self->resultCode_;
        self->bodyDone_.store(true, std::memory_order_release);
        self->NotifyFinished();
        // From here on *self may be gone.
        if (releaseSelf) {
            // Released on the user-interface thread, where the worker count and relays live.
            self->CallOnUiThread([self] { delete self; });
        }
    } catch (...) {
        ReportLastChance(std::current_exception(), reinterpret_cast<const void*>(&Entry));
    }
    link->exitCode = code;
    link->ended.store(1, std::memory_order_release);
    link->ended.notify_all();
    TStepRelay::Signal();
    return nullptr;
}

void TThread::Start() {
    if (!waitingToStart_ || state_->hasThread) {
        return;
    }
    if (CreateOsThread()) {
        waitingToStart_ = false;
    }
}

void TThread::RequestStop() {
    stopRequested_.store(true, std::memory_order_relaxed);
}

void TThread::SetOnFinished(TNotifyEvent handler) {
    state_->onFinished = std::move(handler);
    state_->hasOnFinished.store(static_cast<bool>(state_->onFinished), std::memory_order_release);
}

std::int32_t TThread::AwaitEnd() {
    const std::shared_ptr<WorkerLink> link = state_->link;
    if (!state_->hasThread) {
        return link->exitCode;
    }
    if (OnUiThread()) {
        TStepRelay::EnterServing();
        while (link->ended.load(std::memory_order_acquire) == 0) {
            if (ServeAllRelays()) {
                continue;
            }
            const std::uint32_t seen = TStepRelay::SignalCount();
            if (TStepRelay::StepsQueued() || link->ended.load(std::memory_order_acquire) != 0) {
                continue;
            }
            TStepRelay::AwaitSignal(seen);
        }
        TStepRelay::LeaveServing();
    } else {
        link->ended.wait(0, std::memory_order_acquire);
    }
    if (!state_->joined) {
        pthread_join(state_->thread, nullptr);
        state_->joined = true;
    }
    return link->exitCode;
}

void TThread::StopAndAwaitForRelease() {
    state_->onFinished = nullptr;
    state_->hasOnFinished.store(false, std::memory_order_release);
    if (!state_->hasThread || state_->joined) {
        return;
    }
    if (pthread_equal(pthread_self(), state_->thread) != 0) {
        return;
    }
    // Inside its own completion step the worker waits for this very step and touches nothing
    // of the object afterwards; waiting here would never end.
    if (BodyDone() && TStepRelay::CurrentSender() == this) {
        return;
    }
    RequestStop();
    AwaitEnd();
}

void TThread::RecordUiThread() {
    uiThread.store(std::this_thread::get_id());
}

bool TThread::OnUiThread() {
    return uiThread.load() == std::this_thread::get_id();
}

int TThread::WorkerCount() {
    return workerCount.load(std::memory_order_relaxed);
}

int TThread::OpenRelayCount() {
    return static_cast<int>(openRelays.size());
}

void TThread::SetWakeUpHook(std::function<void()> hook) {
    TStepRelay::SetWakeUpHook(std::move(hook));
}

void TThread::ServePendingSteps() {
    CarryOutCloses();
    TStepRelay::EnterServing();
    const Clock::time_point deadline = Clock::now() + kServeBudget;
    while (ServeAllRelays()) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline || !TStepRelay::SpinForStep(std::min(now + kServeSpin, deadline))) {
            break;
        }
    }
    TStepRelay::LeaveServing();
}

void TThread::SetLastChanceHook(std::function<void(std::exception_ptr)> hook) {
    const std::lock_guard<std::mutex> guard(lastChanceMutex);
    lastChanceHook = std::move(hook);
}

void TThread::Run() {
    throw EAbstractError();
}

void TThread::NotifyFinished() {
    if (!state_->hasOnFinished.load(std::memory_order_acquire)) {
        return;
    }
    CallOnUiThread([this] {
        // A copy: the handler may replace the slot or release the worker.
        const TNotifyEvent handler = state_->onFinished;
        if (handler) {
            handler(*this);
        }
    });
}

void TThread::CallOnUiThread(const TThreadStep& step) {
    if (OnUiThread()) {
        step();
        return;
    }
    // A local reference: the step may release *this.
    const std::shared_ptr<WorkerLink> link = state_->link;
    TStepHandoff& handoff = *link->handoff;
    handoff.step = &step;
    handoff.sender = this;
    handoff.error = nullptr;
    handoff.done.store(0, std::memory_order_relaxed);
    link->relay->Post(link->handoff);
    TStepRelay::AwaitDone(handoff);
    if (handoff.error) {
        const std::exception_ptr error = std::move(handoff.error);
        handoff.error = nullptr;
        std::rethrow_exception(error);
    }
}

}  // namespace zelk
