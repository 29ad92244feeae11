#include "runtime/TThread.h"

#include <pthread.h>

#include <thread>

#include "runtime/Errors.h"
#include "runtime/LastChanceReport.h"
#include "runtime/TStepServer.h"

namespace zelk {
namespace {

// The scan may recurse through very deep trees; only the pages it touches cost memory.
constexpr std::size_t kStackReserve = std::size_t{256} << 20;

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
    workerCount.fetch_add(1, std::memory_order_relaxed);
    state_->link->relay = TStepServer::CurrentRelay();
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
    if (workerCount.fetch_sub(1, std::memory_order_relaxed) == 1) {
        TStepServer::CloseCurrentRelay();
    }
}

bool TThread::CreateOsThread() {
    auto pack = std::make_unique<StartPack>(StartPack{this, state_->link});
    pthread_attr_t attributes;
    bool created = false;
    if (pthread_attr_init(&attributes) == 0) {
        created = pthread_attr_setstacksize(&attributes, kStackReserve) == 0 &&
                  pthread_create(&state_->thread, &attributes, &Entry, pack.get()) == 0;
        pthread_attr_destroy(&attributes);
    }
    // A tight address-space limit still gets a worker, with the ordinary stack.
    if (!created && pthread_create(&state_->thread, nullptr, &Entry, pack.get()) != 0) {
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
        EndWithLastChance(std::current_exception(), reinterpret_cast<const void*>(&Entry));
    }
    link->exitCode = code;
    link->ended.store(1, std::memory_order_release);
    link->ended.notify_all();
    TStepRelay::Signal();
    return nullptr;
}

void TThread::Start() {
    if (waitingToStart_ && !state_->hasThread && CreateOsThread()) {
        waitingToStart_ = false;
    }
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
        TStepServer::ServeUntil(
            [&link] { return link->ended.load(std::memory_order_acquire) != 0; });
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
    if (!state_->hasThread || state_->joined || pthread_equal(pthread_self(), state_->thread)) {
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

void TThread::SetWakeUpHook(std::function<void()> hook) {
    TStepRelay::SetWakeUpHook(std::move(hook));
}

void TThread::ServePendingSteps() {
    TStepServer::ServePending();
}

void TThread::SetLastChanceHook(std::function<void(std::exception_ptr)> hook) {
    InstallLastChanceHook(std::move(hook));
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
    TStepServer::Hand(*link->relay, link->handoff, step, this);
}

}  // namespace zelk
