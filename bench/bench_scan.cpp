// The scan's wall time against du -sxb on the same generated tree in the same run (warm cache,
// median of several runs): (a) without a status line, (b) with a status step per directory
// served by a user-interface loop on the main thread; and the memory each record costs.
//
// Usage: bench_scan [runs] [base directory for the tree]

#include <immintrin.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "common/TreeGenerator.h"
#include "platform/VolumeTable.h"
#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"

namespace {

using zelk::bench::Median;
using zelk::bench::RunDu;
using Clock = std::chrono::steady_clock;
using zelk::TFileAttr;
using zelk::TSearchThread;
using zelk::TThread;

// The user-interface thread's loop: spins briefly after a wake-up, then sleeps.
class UiLoop {
  public:
    UiLoop() {
        TThread::RecordUiThread();
        TThread::SetWakeUpHook([this] {
            woken_.store(true, std::memory_order_release);
            woken_.notify_one();
        });
    }
    ~UiLoop() { TThread::SetWakeUpHook(nullptr); }

    void RunUntil(const std::atomic<bool>& done) {
        while (!done.load(std::memory_order_acquire)) {
            for (int spin = 0; spin < 4000 && !woken_.load(std::memory_order_acquire); ++spin) {
                _mm_pause();
            }
            woken_.wait(false, std::memory_order_acquire);
            woken_.store(false, std::memory_order_relaxed);
            TThread::ServePendingSteps();
        }
    }

  private:
    std::atomic<bool> woken_{false};
};

// Keeps the newest text, as the window's status line does, and repaints nothing.
class LatestText : public zelk::StatusLine {
  public:
    void SetSimpleText(const std::string& text) override {
        text_ = text;
        ++steps;
    }
    std::size_t steps = 0;

  private:
    std::string text_;
};

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct ScanRun {
    double seconds = 0;
    std::unique_ptr<TFileAttr> root;
};

ScanRun RunScan(UiLoop& loop, zelk::StatusLine* status) {
    ScanRun run;
    run.root = std::make_unique<TFileAttr>();
    std::atomic<bool> finished{false};
    const auto start = Clock::now();
    {
        TSearchThread thread(true, run.root.get());
        thread.Drive = 'c';
        thread.StatusBar = status;
        thread.SetOnFinished([&finished](TThread&) { finished.store(true); });
        thread.Start();
        loop.RunUntil(finished);
        thread.AwaitEnd();
    }
    run.seconds = Seconds(Clock::now() - start);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 5;
    const std::string base = argc > 2 ? argv[2] : "";
    const auto [dir, counts] = zelk::bench::GenerateReportedTree(base);

    zelk::bench::InstallOneVolume('c', dir);
    UiLoop loop;

    // Memory of the records: heap in use and resident growth while one tree is held.
    const std::size_t heapBefore = mallinfo2().uordblks;
    const long rssBefore = zelk::bench::ResidentBytes();
    ScanRun held = RunScan(loop, nullptr);
    const double records = static_cast<double>(TFileAttr::LiveCount());
    const double heapPerRecord = static_cast<double>(mallinfo2().uordblks - heapBefore) / records;
    const double rssPerRecord =
        static_cast<double>(zelk::bench::ResidentBytes() - rssBefore) / records;
    if (static_cast<std::size_t>(records) != counts.Directories + 1 || !held.root->Searched) {
        std::fprintf(stderr, "scan found %.0f records, expected %zu\n", records,
                     counts.Directories + 1);
        return 1;
    }
    held.root.reset();
    RunDu(dir);  // warm the cache for both

    std::vector<double> du;
    std::vector<double> quiet;
    std::vector<double> shown;
    LatestText status;
    for (int i = 0; i < runs; ++i) {
        du.push_back(RunDu(dir));
        quiet.push_back(RunScan(loop, nullptr).seconds);
        shown.push_back(RunScan(loop, &status).seconds);
    }
    const double duMedian = Median(du);
    std::printf("du -sxb median       %.3f s (%d runs)\n", duMedian, runs);
    std::printf("(a) no status line   %.3f s = %.3f x du (target <= 1.05)\n", Median(quiet),
                Median(quiet) / duMedian);
    std::printf("(b) status per dir   %.3f s = %.3f x du (target <= 1.25), %zu steps a run\n",
                Median(shown), Median(shown) / duMedian, status.steps / runs);
    std::printf("record: sizeof %zu bytes, heap %.0f bytes, resident %.0f bytes per record\n",
                sizeof(TFileAttr), heapPerRecord, rssPerRecord);

    zelk::bench::RemoveTree(dir);
    return 0;
}
