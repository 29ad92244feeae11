// Guards the steps a worker hands to the user-interface thread: they run there, in order, while
// the worker waits; an error they raise comes back to the worker as the same object; the
// completion handler is the one in the slot when its step runs; and the wait for a worker's end
// keeps serving, so that a worker blocked on a step can finish.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "TestUiLoop.h"
#include "runtime/Errors.h"

namespace zelk {
namespace {

using TThreadSteps = FrameTest;

TEST_F(TThreadSteps, StepsRunOnTheUserInterfaceThreadInOrderWhileTheWorkerWaits) {
    std::vector<int> seen;
    bool workerSawEveryStepDone = true;
    const auto ui = std::this_thread::get_id();
    ScriptedWorker worker([&](ScriptedWorker& self) {
        for (int i = 0; i < 2000; ++i) {
            self.CallOnUiThread([&, i] {
                EXPECT_EQ(std::this_thread::get_id(), ui);
                seen.push_back(i);
            });
            workerSawEveryStepDone = workerSawEveryStepDone && seen.size() == std::size_t(i) + 1;
        }
    });
    bool finished = false;
    worker.SetOnFinished([&](TThread&) { finished = true; });
    worker.Start();
    loop.RunUntil([&] { return finished; });
    EXPECT_EQ(worker.AwaitEnd(), 0);
    // Each step found the ones before it done, so seen holds 0 to 1999 in order.
    EXPECT_TRUE(workerSawEveryStepDone);
    EXPECT_EQ(seen.size(), 2000u);
}

TEST_F(TThreadSteps, StepErrorIsRaisedAgainOnTheWorkerAsTheSameObject) {
    const void* thrown = nullptr;
    const void* caught = nullptr;
    ScriptedWorker worker([&](ScriptedWorker& self) {
        try {
            self.CallOnUiThread([&] {
                const std::exception_ptr error = std::make_exception_ptr(EConvertError("壊れた値"));
                try {
                    std::rethrow_exception(error);
                } catch (const EConvertError& original) {
                    thrown = &original;
                }
                std::rethrow_exception(error);
            });
        } catch (const Exception& error) {
            caught = &error;
        }
    });
    worker.Start();
    EXPECT_NO_THROW(worker.AwaitEnd());
    EXPECT_NE(thrown, nullptr);
    EXPECT_EQ(caught, thrown);
}

TEST_F(TThreadSteps, OnFinishedReplacedAfterTheBodyReturnedIsTheHandlerThatRuns) {
    int first = 0;
    int second = 0;
    ScriptedWorker worker([](ScriptedWorker&) {});
    worker.SetOnFinished([&](TThread&) { ++first; });
    worker.Start();
    loop.WaitForWake();  // the completion step is waiting now
    EXPECT_TRUE(worker.BodyDone());
    worker.SetOnFinished([&](TThread& sender) {
        EXPECT_EQ(&sender, &worker);
        ++second;
    });
    TThread::ServePendingSteps();
    worker.AwaitEnd();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}

TEST_F(TThreadSteps, OnFinishedEmptiedWhileItsStepIsPendingCallsNothingAndAwaitEndServesIt) {
    int calls = 0;
    ScriptedWorker worker([](ScriptedWorker& self) { self.SetResultCode(7); });
    worker.SetOnFinished([&](TThread&) { ++calls; });
    worker.Start();
    loop.WaitForWake();
    worker.SetOnFinished({});
    EXPECT_EQ(worker.AwaitEnd(), 7);
    EXPECT_EQ(calls, 0);
}

TEST_F(TThreadSteps, AwaitEndServesAWorkerBlockedOnAStepAndNothingElse) {
    std::atomic<int> steps{0};
    ScriptedWorker worker([&](ScriptedWorker& self) {
        for (int i = 0; i < 500; ++i) {
            self.CallOnUiThread([&] { ++steps; });
        }
    });
    worker.Start();
    loop.WaitForWake();  // blocked in its first step
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(worker.AwaitEnd(), 0);
    EXPECT_EQ(steps, 500);
    // The wait served every step itself: the event loop was not asked to.
    EXPECT_EQ(loop.Wakes(), 1);
}

}  // namespace
}  // namespace zelk
