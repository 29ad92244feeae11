// The scan's wall time against du -sxb on the same generated tree in the same run (warm cache,
// median of alternated runs): (a) without a status line, (b) with a status step per directory
// served by a user-interface loop on the main thread, each with read-ahead off and on; the
// memory each record costs; and, as root, cold-cache runs against du -sxb and gdu -n -p.
//
// Usage: bench_scan [runs] [base directory for the tree]
// ZELK_READ_AHEAD sets the thread count of the "on" rows (unset: the automatic count);
// ZELK_BENCH_TREE names a tree to scan instead of a fresh one (generated there if missing, kept).

#include <immintrin.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "common/TreeGenerator.h"
#include "platform/ReadAheadWindow.h"
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

void SetReadAhead(int threads) {
    setenv("ZELK_READ_AHEAD", std::to_string(threads).c_str(), 1);
}

// Empties the page, dentry and inode caches; false when this process may not.
bool DropCaches() {
    sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return drop.good();
}

zelk::bench::GeneratedTree TreeToScan(const std::string& base, bool& keep) {
    const char* named = std::getenv("ZELK_BENCH_TREE");
    keep = named != nullptr && *named != '\0';
    if (!keep) {
        return zelk::bench::GenerateReportedTree(base);
    }
    zelk::bench::GeneratedTree tree{named, {}};
    if (mkdir(named, 0755) == 0) {
        std::printf("generating the tree in %s ...\n", named);
        tree.Counts = zelk::bench::GenerateTree(named);
    } else {
        tree.Counts.Directories = 40000;
    }
    return tree;
}

void Row(const char* what, const std::vector<double>& times, double baseline, const char* target) {
    std::printf("%-34s %.3f s = %.3f x (target %s)\n", what, Median(times),
                Median(times) / baseline, target);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 5;
    const std::string base = argc > 2 ? argv[2] : "";
    bool keep = false;
    const auto [dir, counts] = TreeToScan(base, keep);
    const int on = zelk::ReadAheadWindow::ThreadsFromEnvironment();

    zelk::bench::InstallOneVolume('c', dir);
    UiLoop loop;

    // Memory of the records: heap in use and resident growth while one tree is held.
    SetReadAhead(0);
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
    RunDu(dir);  // warm the cache for all

    std::vector<double> du;
    std::vector<double> quiet[2];
    std::vector<double> shown[2];
    LatestText status;
    for (int i = 0; i < runs; ++i) {
        du.push_back(RunDu(dir));
        for (int ahead = 0; ahead < 2; ++ahead) {
            SetReadAhead(ahead * on);
            quiet[ahead].push_back(RunScan(loop, nullptr).seconds);
            shown[ahead].push_back(RunScan(loop, &status).seconds);
        }
    }
    const double duMedian = Median(du);
    std::printf("warm cache, %d alternated runs, read-ahead on = %d threads\n", runs, on);
    std::printf("%-34s %.3f s\n", "du -sxb", duMedian);
    Row("(a) no status line, read-ahead off", quiet[0], duMedian, "<= 0.9");
    Row("(a) no status line, read-ahead on", quiet[1], duMedian, "<= 0.6");
    Row("(b) status per dir, read-ahead off", shown[0], duMedian, "-");
    Row("(b) status per dir, read-ahead on", shown[1], duMedian, "<= 0.65");
    std::printf("%zu status steps a run\n", status.steps / (2 * runs));
    std::printf("record: sizeof %zu bytes, heap %.0f bytes, resident %.0f bytes per record\n",
                sizeof(TFileAttr), heapPerRecord, rssPerRecord);

    // The disk's own speed: every run starts from empty caches.
    if (!DropCaches()) {
        std::printf("cold cache: skipped (the caches cannot be dropped here)\n");
    } else {
        const int coldRuns = 3;
        std::vector<double> coldDu, gdu, cold[2];
        for (int i = 0; i < coldRuns; ++i) {
            DropCaches();
            coldDu.push_back(RunDu(dir));
            DropCaches();
            gdu.push_back(zelk::bench::RunProgram({"gdu", "-n", "-p", dir}));
            for (int ahead = 0; ahead < 2; ++ahead) {
                SetReadAhead(ahead * on);
                DropCaches();
                cold[ahead].push_back(RunScan(loop, nullptr).seconds);
            }
        }
        const double coldMedian = Median(coldDu);
        std::printf("cold cache, %d alternated runs\n", coldRuns);
        std::printf("%-34s %.3f s\n", "du -sxb", coldMedian);
        Row("gdu -n -p", gdu, coldMedian, "-");
        Row("(a) read-ahead off", cold[0], coldMedian, "-");
        Row("(a) read-ahead on", cold[1], coldMedian, "<= gdu, <= 0.6");
    }

    if (!keep) {
        zelk::bench::RemoveTree(dir);
    }
    return 0;
}
