#pragma once
// The user-interface thread's side of the workers' steps: the relay that new workers join,
// every relay not yet closed, and serving what they queue. User-interface thread only, except
// Hand, which a worker calls.

#include <functional>
#include <memory>

#include "runtime/TStepRelay.h"

namespace zelk {

class TStepServer {
  public:
    // The relay a new worker joins; opened when the last one was closed.
    static std::shared_ptr<TStepRelay> CurrentRelay();
    // The last worker is gone: the current relay is closed when the loop next serves, like a
    // posted message.
    static void CloseCurrentRelay();
    static int OpenRelayCount();

    // Runs the steps that are waiting, returning after a few milliseconds at most.
    static void ServePending();
    // Serves steps, and nothing else, until ended() holds; ended is checked before each sleep
    // and after each signal.
    static void ServeUntil(const std::function<bool()>& ended);

    // Worker thread: posts the step through relay, waits until it has run and raises again
    // the error it raised.
    static void Hand(TStepRelay& relay, const std::shared_ptr<TStepHandoff>& handoff,
                     const std::function<void()>& step, const void* sender);
};

}  // namespace zelk
