// Guards a worker's life: starting once, release from inside its own completion handler, release
// of a running worker (stopped and waited for, its handler no longer called), the relay that
// each run of workers gets afresh, and errors that escape the body ending the process with
// exit code 1 and the last-chance report.

#include <gtest/gtest.h>

#include <atomic>
#include <latch>

#include "TestUiLoop.h"
#include "runtime/Errors.h"
#include "runtime/TStepServer.h"

namespace zelk {
namespace {

using TThreadLifecycle = FrameTest;

TEST_F(TThreadLifecycle, StartRunsTheBodyOnceAndANeverStartedWorkerIsReleasedUntouched) {
    std::atomic<int> runs{0};
    {
        ScriptedWorker never([&](ScriptedWorker&) { ++runs; });
        EXPECT_EQ(TThread::WorkerCount(), 1);
    }
    EXPECT_EQ(runs, 0);

    ScriptedWorker worker([&](ScriptedWorker&) { ++runs; });
    worker.Start();
    worker.Start();
    EXPECT_EQ(worker.AwaitEnd(), 0);
    EXPECT_EQ(worker.AwaitEnd(), 0);
    EXPECT_EQ(runs, 1);
}

TEST_F(TThreadLifecycle, CompletionHandlerReleasingTheWorkerLeavesTheThreadToEndAlone) {
    bool released = false;
    auto* worker = new ScriptedWorker([](ScriptedWorker& self) { self.CallOnUiThread([] {}); });
    worker->SetOnFinished([&](TThread& sender) {
        delete &sender;
        released = true;
    });
    worker->Start();
    loop.RunUntil([&] { return released; });
    EXPECT_EQ(TThread::WorkerCount(), 0);
    // The relay closes once the loop serves again, not at once.
    EXPECT_EQ(TStepServer::OpenRelayCount(), 1);
    loop.RunPending();
    EXPECT_EQ(TStepServer::OpenRelayCount(), 0);
}

TEST_F(TThreadLifecycle, WorkerSetToReleaseItselfIsReleasedOnTheUserInterfaceThread) {
    bool handled = false;
    auto* worker = new ScriptedWorker([](ScriptedWorker&) {});
    worker->SetReleaseWhenDone(true);
    worker->SetOnFinished([&](TThread&) { handled = true; });
    worker->Start();
    loop.RunUntil([] { return TThread::WorkerCount() == 0; });
    EXPECT_TRUE(handled);
}

TEST_F(TThreadLifecycle, ReleasingARunningWorkerStopsItServesItsStepsAndWaits) {
    std::latch running(1);
    std::atomic<bool> bodyLeft{false};
    int handlerCalls = 0;
    {
        ScriptedWorker worker([&](ScriptedWorker& self) {
            running.count_down();
            while (!self.StopRequested()) {
                self.CallOnUiThread([] {});
            }
            bodyLeft = true;
        });
        worker.SetOnFinished([&](TThread&) { ++handlerCalls; });
        worker.Start();
        running.wait();
    }
    EXPECT_TRUE(bodyLeft);
    EXPECT_EQ(handlerCalls, 0);
}

TEST_F(TThreadLifecycle, TwoWorkersInSequenceGetAFreshRelayWhileTheFirstCloseIsPending) {
    {
        ScriptedWorker first([](ScriptedWorker& self) { self.CallOnUiThread([] {}); });
        first.Start();
        first.AwaitEnd();
    }
    EXPECT_EQ(TStepServer::OpenRelayCount(), 1);  // its close not carried out yet

    bool stepRan = false;
    bool finished = false;
    ScriptedWorker second(
        [&](ScriptedWorker& self) { self.CallOnUiThread([&] { stepRan = true; }); });
    EXPECT_EQ(TStepServer::OpenRelayCount(), 2);
    second.SetOnFinished([&](TThread&) { finished = true; });
    second.Start();
    // The pending close is carried out by this serving and must spare the new relay.
    loop.RunUntil([&] { return finished; });
    EXPECT_TRUE(stepRan);
    EXPECT_EQ(TStepServer::OpenRelayCount(), 1);
    second.AwaitEnd();
}

class TThreadLastChance : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void RunToEnd(TThread& worker) {
    TestUiLoop loop;
    worker.Start();
    loop.RunUntil([] { return false; });
}

TEST_F(TThreadLastChance, ErrorEscapingTheBodyEndsTheProcessWithTheReport) {
    EXPECT_EXIT(
        {
            ScriptedWorker worker([](ScriptedWorker&) { throw EConvertError("値が壊れています"); });
            RunToEnd(worker);
        },
        ::testing::ExitedWithCode(1),
        "EConvertErrorがﾓｼﾞｭｰﾙ runtime_tests の [0-9A-F]{8} で発生しました。\n"
        "値が壊れています\\.");
}

TEST_F(TThreadLastChance, TheBaseBodyRaisesTheAbstractError) {
    EXPECT_EXIT(
        {
            TThread worker(true);
            RunToEnd(worker);
        },
        ::testing::ExitedWithCode(1),
        "EAbstractErrorがﾓｼﾞｭｰﾙ .* で発生しました。\nAbstract ｴﾗｰ\\.");
}

TEST_F(TThreadLastChance, CompletionHandlerErrorReachesTheInstalledHookAndStillEndsTheProcess) {
    EXPECT_EXIT(
        {
            TThread::SetLastChanceHook([](std::exception_ptr error) {
                try {
                    std::rethrow_exception(error);
                } catch (const Exception& e) {
                    std::fprintf(stderr, "hook: %s %s\n", e.ClassName(), e.Message().c_str());
                }
            });
            ScriptedWorker worker([](ScriptedWorker&) {});
            worker.SetOnFinished([](TThread&) { throw EOutOfMemory(); });
            RunToEnd(worker);
        },
        ::testing::ExitedWithCode(1), "hook: EOutOfMemory ﾒﾓﾘが足りません");
}

}  // namespace
}  // namespace zelk
