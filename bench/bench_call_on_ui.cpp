// The round trip of one worker step through the user-interface thread, which idles in its
// event loop between wake-ups, against a plain mutex/condition-variable ping-pong measured in
// the same run. A scan makes one such round trip per directory.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/TThread.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRoundTrips = 50000;

struct Figures {
    double median;
    double p99;
};

Figures FiguresOf(std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    return {micros[micros.size() / 2], micros[micros.size() * 99 / 100]};
}

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

double ThreadCpuMicros() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec + usage.ru_stime.tv_sec * 1e6 +
           usage.ru_stime.tv_usec;
}

// The stand-in event loop: sleeps until the frame's hook wakes it, then serves.
class IdleLoop {
  public:
    IdleLoop() {
        zelk::TThread::RecordUiThread();
        zelk::TThread::SetWakeUpHook([this] {
            {
                const std::lock_guard<std::mutex> guard(mutex_);
                due_ = true;
            }
            woken_.notify_one();
        });
    }
    ~IdleLoop() { zelk::TThread::SetWakeUpHook({}); }

    void RunUntil(const bool& done) {
        while (!done) {
            {
                std::unique_lock<std::mutex> guard(mutex_);
                woken_.wait(guard, [this] { return due_; });
                due_ = false;
            }
            zelk::TThread::ServePendingSteps();
        }
    }

    // Stays in the loop for a while with nothing to do.
    void Idle(std::chrono::milliseconds span) {
        std::unique_lock<std::mutex> guard(mutex_);
        woken_.wait_for(guard, span, [this] { return due_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable woken_;
    bool due_ = false;
};

class TimedWorker : public zelk::TThread {
  public:
    TimedWorker() : TThread(true) { samples.reserve(kRoundTrips); }
    ~TimedWorker() override { StopAndAwaitForRelease(); }
    std::vector<double> samples;
    long served = 0;

  protected:
    void Run() override {
        const zelk::TThreadStep step = [this] { ++served; };
        for (int i = 0; i < kRoundTrips; ++i) {
            const Clock::time_point start = Clock::now();
            CallOnUiThread(step);
            samples.push_back(Micros(Clock::now() - start));
        }
    }
};

std::vector<double> MutexPingPong() {
    std::mutex mutex;
    std::condition_variable changed;
    int request = 0;
    int answer = 0;
    bool quit = false;
    long served = 0;
    std::thread ui([&] {
        std::unique_lock<std::mutex> guard(mutex);
        while (true) {
            changed.wait(guard, [&] { return quit || request != answer; });
            if (quit) {
                return;
            }
            ++served;
            answer = request;
            changed.notify_all();
        }
    });
    std::vector<double> samples;
    samples.reserve(kRoundTrips);
    for (int i = 1; i <= kRoundTrips; ++i) {
        const Clock::time_point start = Clock::now();
        std::unique_lock<std::mutex> guard(mutex);
        request = i;
        changed.notify_all();
        changed.wait(guard, [&] { return answer == i; });
        guard.unlock();
        samples.push_back(Micros(Clock::now() - start));
    }
    {
        const std::lock_guard<std::mutex> guard(mutex);
        quit = true;
    }
    changed.notify_all();
    ui.join();
    return samples;
}

}  // namespace

int main() {
    IdleLoop loop;
    bool finished = false;
    TimedWorker worker;
    worker.SetOnFinished([&](zelk::TThread&) { finished = true; });
    worker.Start();
    loop.RunUntil(finished);
    worker.AwaitEnd();
    const Figures frame = FiguresOf(worker.samples);

    const Figures plain = FiguresOf(MutexPingPong());

    // With no worker left the loop must sleep, not spin.
    const double cpuBefore = ThreadCpuMicros();
    const Clock::time_point idleStart = Clock::now();
    loop.Idle(std::chrono::milliseconds(300));
    const double idleCpuShare = (ThreadCpuMicros() - cpuBefore) / Micros(Clock::now() - idleStart);

    std::printf("round trips: %d each (worker served %ld)\n", kRoundTrips, worker.served);
    std::printf("CallOnUiThread        median %8.2f us   p99 %8.2f us\n", frame.median, frame.p99);
    std::printf("mutex/cv ping-pong    median %8.2f us   p99 %8.2f us\n", plain.median, plain.p99);
    std::printf("ratio (frame / ping-pong)  median %.3f   p99 %.3f   (target: median <= 0.25)\n",
                frame.median / plain.median, frame.p99 / plain.p99);
    std::printf("user-interface thread CPU while idle: %.2f%%\n", 100 * idleCpuShare);
    return 0;
}
