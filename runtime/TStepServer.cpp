#include "runtime/TStepServer.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace zelk {
namespace {

using Clock = TStepRelay::Clock;

// How long one serving keeps the event loop waiting at most, and how long it waits for the
// worker's next step before it gives the loop back.
constexpr auto kServeBudget = std::chrono::milliseconds(4);
constexpr auto kServeSpin = std::chrono::microseconds(200);

std::shared_ptr<TStepRelay> currentRelay;
std::vector<std::shared_ptr<TStepRelay>> openRelays;

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

}  // namespace

std::shared_ptr<TStepRelay> TStepServer::CurrentRelay() {
    if (!currentRelay) {
        currentRelay = std::make_shared<TStepRelay>();
        openRelays.push_back(currentRelay);
    }
    return currentRelay;
}

void TStepServer::CloseCurrentRelay() {
    if (currentRelay) {
        currentRelay->RequestClose();
        currentRelay.reset();
        TStepRelay::CallWakeUpHook();
    }
}

int TStepServer::OpenRelayCount() {
    return static_cast<int>(openRelays.size());
}

void TStepServer::ServePending() {
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

void TStepServer::ServeUntil(const std::function<bool()>& ended) {
    TStepRelay::EnterServing();
    while (!ended()) {
        if (ServeAllRelays()) {
            continue;
        }
        const std::uint32_t seen = TStepRelay::SignalCount();
        if (TStepRelay::StepsQueued() || ended()) {
            continue;
        }
        TStepRelay::AwaitSignal(seen);
    }
    TStepRelay::LeaveServing();
}

void TStepServer::Hand(TStepRelay& relay, const std::shared_ptr<TStepHandoff>& handoff,
                       const std::function<void()>& step, const void* sender) {
    handoff->step = &step;
    handoff->sender = sender;
    handoff->error = nullptr;
    handoff->done.store(0, std::memory_order_relaxed);
    relay.Post(handoff);
    TStepRelay::AwaitDone(*handoff);
    if (handoff->error) {
        const std::exception_ptr error = std::move(handoff->error);
        handoff->error = nullptr;
        std::rethrow_exception(error);
    }
}

}  // namespace zelk
