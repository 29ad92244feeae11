// Guards the error rules: division by zero and 0/0 raise the program's errors with the messages
// the user sees, instead of quietly producing NaN or an infinity; and the last-chance report text:
// class name (also of objects outside the error family), module, relative address, message with
// its end mark, and the cut at 1024 bytes that never splits a character. And the worker-thread
// frame. A worker's life: starting once, release from inside its own completion handler, release
// of a running worker (stopped and waited for, its handler no longer called), the relay that each
// run of workers gets afresh, and errors that escape the body ending the process with exit code 1
// and the last-chance report. The steps it hands to the user-interface thread: they run there, in
// order, while the worker waits; an error they raise comes back to the worker as the same object;
// the completion handler is the one in the slot when its step runs; and the wait for a worker's
// end keeps serving, so that a worker blocked on a step can finish.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <latch>
#include <limits>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/CheckedMath.h"
#include "runtime/Errors.h"
#include "runtime/LastChanceReport.h"
#include "runtime/TStepServer.h"
#include "runtime/TThread.h"

namespace zelk {
namespace {

// The class and message of what the call raises.
template <typename F>
std::string Raised(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return std::string(e.ClassName()) + ": " + e.Message();
    }
    return "<no error>";
}

TEST(CheckedMath, DivisionByZeroAndInvalidOperationsRaiseDistinctErrors) {
    using L = std::numeric_limits<long double>;
    const std::pair<std::string, const char*> cases[] = {
        {Raised([] { CheckedDivide(1, 0); }), "EZeroDivide: 0 による浮動小数点数除算"},
        {Raised([] { CheckedDivide(-3, -0.0L); }), "EZeroDivide: 0 による浮動小数点数除算"},
        {Raised([] { CheckedDivide(0, 0); }), "EInvalidOp: 不正な浮動小数点数演算命令"},
        {Raised([] { CheckedDivide(L::quiet_NaN(), 2); }),
         "EInvalidOp: 不正な浮動小数点数演算命令"},
        {Raised([] { CheckedDivide(L::max(), 0.5L); }), "EOverflow: 浮動小数点数のｵｰﾊﾞｰﾌﾛｰ"},
        {Raised([] { CheckedIntDivide(602, 0); }), "EDivByZero: 0 による除算"},
        {Raised([] { CheckedIntDivide(INT32_MIN, -1); }), "EIntOverflow: 整数のｵｰﾊﾞｰﾌﾛｰ"}};
    for (const auto& [raised, expected] : cases) {
        EXPECT_EQ(raised, expected);
    }
    EXPECT_EQ(CheckedIntDivide(-7, 2), -3);  // truncates
}

// The fixed messages are pinned where they are raised; these are the ones built from values.
TEST(ErrorClasses, BuiltMessagesNameTheCodeAndTheModuleWhenThereIsOne) {
    EXPECT_EQ(EExternalException(0xC0000005u).Message(), "外部例外 C0000005");
    EXPECT_EQ(EAccessViolation(0x1234, "zelk", true, 0).Message(),
              "ﾓｼﾞｭｰﾙ 'zelk' のｱﾄﾞﾚｽ 0000000000001234 でｱﾄﾞﾚｽ 0000000000000000 に対する"
              "書き込み違反がおきました。");
    EXPECT_EQ(EAccessViolation(0x1234, "", false, 8).Message(),
              "ｱﾄﾞﾚｽ 0000000000001234 でｱﾄﾞﾚｽ 0000000000000008 に対する読み込み違反がおきました。");
}

// The worker tests pin the whole report through a dying process; here a message that already
// ends with a full stop gets none added, and objects of other families their type name alone.
TEST(LastChanceReport, EndMarkOnlyWhereMissingForeignObjectsByTypeNameAndCutAt1024Bytes) {
    const std::pair<std::exception_ptr, const char*> rows[] = {
        {std::make_exception_ptr(EConvertError("done.")), "EConvertError%s\ndone."},
        {std::make_exception_ptr(std::runtime_error("x")), "std::runtime_error%s\n"},
        {std::make_exception_ptr(42), "int%s\n"}};
    for (const auto& [error, expected] : rows) {
        std::string text = expected;
        text.replace(text.find("%s"), 2, "がﾓｼﾞｭｰﾙ z の 00001A2B で発生しました。");
        EXPECT_EQ(LastChanceText(error, "z", 0x1A2B), text);
    }
    // A long report is cut at 1024 bytes between characters.
    std::string message;
    for (int i = 0; i < 400; ++i) {
        message += "あ";
    }
    const std::string head = "EConvertErrorがﾓｼﾞｭｰﾙ zelk の 00000000 で発生しました。\n";
    const std::string text =
        LastChanceText(std::make_exception_ptr(EConvertError(message)), "zelk", 0);
    // The most whole characters that fit.
    EXPECT_EQ(text, head + message.substr(0, (kLastChanceTextLimit - head.size()) / 3 * 3));
}

// A stand-in for the application's event loop: the test's own thread is the user-interface
// thread, and the frame's wake-up hook makes the loop serve the waiting steps.
class TestUiLoop {
  public:
    TestUiLoop() {
        TThread::RecordUiThread();
        TThread::SetWakeUpHook([this] {
            ++wakes;
            due_ = true;
            due_.notify_one();
        });
    }
    ~TestUiLoop() { TThread::SetWakeUpHook({}); }

    // Blocks until the frame has woken the loop, without serving anything.
    void WaitForWake() {
        while (!due_.exchange(false)) {
            due_.wait(false);
        }
    }
    void RunUntil(const std::function<bool()>& done) {
        while (!done()) {
            WaitForWake();
            TThread::ServePendingSteps();
        }
    }
    // Serves once if a wake-up is due; never blocks.
    void RunPending() {
        if (due_.exchange(false)) {
            TThread::ServePendingSteps();
        }
    }
    std::atomic<int> wakes{0};

  private:
    std::atomic<bool> due_{false};
};

// Every worker of a test is gone by its end; the last serving carries out the relay's close.
class FrameTest : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_EQ(TThread::WorkerCount(), 0);
        loop.RunPending();
    }
    // Starts the worker and serves its steps until its completion handler has run.
    void RunToFinish(TThread& worker) {
        bool finished = false;
        worker.SetOnFinished([&](TThread&) { finished = true; });
        worker.Start();
        loop.RunUntil([&] { return finished; });
    }
    TestUiLoop loop;
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
    ScriptedWorker second(
        [&](ScriptedWorker& self) { self.CallOnUiThread([&] { stepRan = true; }); });
    EXPECT_EQ(TStepServer::OpenRelayCount(), 2);
    // The pending close is carried out by this serving and must spare the new relay.
    RunToFinish(second);
    EXPECT_TRUE(stepRan);
    EXPECT_EQ(TStepServer::OpenRelayCount(), 1);
}

void RunToEnd(TThread& worker) {
    TestUiLoop loop;
    worker.Start();
    loop.RunUntil([] { return false; });
}

// An error escaping the body, and one escaping the completion handler, which reaches the
// installed hook first.
TEST(TThreadLastChance, ErrorsEscapingTheWorkerEndTheProcessWithTheReport) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ScriptedWorker worker([](ScriptedWorker&) { throw EConvertError("値が壊れています"); });
            RunToEnd(worker);
        },
        ::testing::ExitedWithCode(1),
        "EConvertErrorがﾓｼﾞｭｰﾙ runtime_tests の [0-9A-F]{8} で発生しました。\n"
        "値が壊れています\\.");
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
    RunToFinish(worker);
    // Each step found the ones before it done, so seen holds 0 to 1999 in order.
    EXPECT_TRUE(workerSawEveryStepDone);
    EXPECT_EQ(seen.size(), 2000u);
}

TEST_F(TThreadSteps, StepErrorIsRaisedAgainOnTheWorkerAsTheSameObject) {
    const void *thrown = nullptr, *caught = nullptr;
    ScriptedWorker worker([&](ScriptedWorker& self) {
        try {
            self.CallOnUiThread([&] {
                try {
                    throw EConvertError("壊れた値");
                } catch (const EConvertError& original) {
                    thrown = &original;
                    throw;
                }
            });
        } catch (const Exception& error) {
            caught = &error;
        }
    });
    worker.Start();
    worker.AwaitEnd();
    EXPECT_NE(thrown, nullptr);
    EXPECT_EQ(caught, thrown);
}

// The completion step is waiting when the slot changes: a replacement runs in its place, an
// emptied slot calls nothing and AwaitEnd serves the step itself.
TEST_F(TThreadSteps, TheCompletionHandlerIsTheOneInTheSlotWhenItsStepRuns) {
    for (const bool replaced : {true, false}) {
        loop.RunPending();  // the close of the previous worker's relay
        std::pair<int, int> calls{0, 0};
        ScriptedWorker worker([](ScriptedWorker& self) { self.SetResultCode(7); });
        worker.SetOnFinished([&](TThread&) { ++calls.first; });
        worker.Start();
        loop.WaitForWake();
        const TNotifyEvent replacement = [&](TThread& sender) {
            calls.second += &sender == &worker;
        };
        worker.SetOnFinished(replaced ? replacement : TNotifyEvent());
        EXPECT_EQ(worker.AwaitEnd(), 7);
        EXPECT_EQ(calls, std::pair(0, replaced ? 1 : 0)) << replaced;
    }
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
    EXPECT_EQ(worker.AwaitEnd(), 0);
    EXPECT_EQ(steps, 500);
    // The wait served every step itself: the event loop was not asked to.
    EXPECT_EQ(loop.wakes, 1);
}

}  // namespace
}  // namespace zelk
