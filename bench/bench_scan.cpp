// The scan's wall time against du -sxb on the same tree in the same run, by groups of rows:
//  warm     the generated tree with a warm cache, median of alternated runs: (a) without a
//           status line, (b) with a status step per directory served by a user-interface loop
//           on the main thread, each with read-ahead off and on; the memory each record costs;
//  busy     (a) again while a spinning process per core keeps the machine busy;
//  cold     as root, every run from empty caches, also against gdu -n -p;
//  network  the tests' delaying file system over a tree of 1,001 directories and 4,856 files,
//           every request answered after each of the delays, against du -sxb and gdu -n -p.
// Each scan row names the count of read-ahead threads the walk settled on in its last run, and
// the most it used when that was more.
//
// Usage: bench_scan [--rows warm,busy,cold,network] [--network-runs N] [--delays US,US...]
//                   [--network-ahead SETTING,...] [runs] [base directory for the trees]
// The "on" rows read ahead as ZELK_READ_AHEAD says (unset: the automatic count); the network
// rows measure each SETTING (a thread count, or "auto"; default auto,0) at each delay in µs
// (default 500,2000), network-runs times (default 1: du alone takes a minute at 2 ms).
// ZELK_BENCH_TREE names a local tree to scan instead of a fresh one (generated there if
// missing, kept); ZELK_DELAY_FS the delaying file system to mount instead of the built one.

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
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "common/BusyCores.h"
#include "common/TreeGenerator.h"
#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"
#include "support/FuseMount.h"

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

// The counts of read-ahead threads an adapting walk traces (ZELK_READ_AHEAD_TRACE) while it
// runs: its standard error goes to a file meanwhile.
class CountTrace {
  public:
    CountTrace() : file_(std::tmpfile()) {
        std::fflush(stderr);
        saved_ = dup(2);
        if (file_ != nullptr) {
            dup2(fileno(file_), 2);
        }
    }
    ~CountTrace() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
        close(saved_);
    }
    CountTrace(const CountTrace&) = delete;
    CountTrace& operator=(const CountTrace&) = delete;

    // "last" or "last (most M)"; an adapting walk starts with one thread.
    std::string Finish() {
        std::fflush(stderr);
        dup2(saved_, 2);
        int last = 1;
        int most = 1;
        char line[256];
        if (file_ != nullptr) {
            std::rewind(file_);
        }
        while (file_ != nullptr && std::fgets(line, sizeof line, file_) != nullptr) {
            int from = 0;
            if (std::sscanf(line, "read-ahead %d -> %d threads", &from, &last) != 2) {
                std::fputs(line, stderr);  // not the trace: shown after all
            }
            most = std::max(most, last);
        }
        return std::to_string(last) + (most > last ? " (most " + std::to_string(most) + ")" : "");
    }

  private:
    std::FILE* file_;
    int saved_;
};

struct ScanRun {
    double seconds = 0;
    std::unique_ptr<TFileAttr> root;
    std::string threads;  // the count read ahead with: fixed, or where the walk settled
};

// Scans drive c with the read-ahead the environment sets.
ScanRun RunScan(UiLoop& loop, zelk::StatusLine* status) {
    ScanRun run;
    run.root = std::make_unique<TFileAttr>();
    std::atomic<bool> finished{false};
    const char* fixed = std::getenv("ZELK_READ_AHEAD");
    std::optional<CountTrace> trace;
    if (fixed == nullptr) {
        trace.emplace();
    }
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
    run.threads = trace ? trace->Finish() : fixed;
    return run;
}

// Scan times of one setting, and the thread count of the last.
struct Series {
    std::vector<double> times;
    std::string threads;
    void Add(const ScanRun& run) {
        times.push_back(run.seconds);
        threads = run.threads;
    }
};

// A read-ahead setting: a thread count, or "auto" for the walk's own choice.
void SetReadAhead(const std::string& setting) {
    if (setting == "auto") {
        unsetenv("ZELK_READ_AHEAD");
    } else {
        setenv("ZELK_READ_AHEAD", setting.c_str(), 1);
    }
}

// Empties the page, dentry and inode caches; false when this process may not.
bool DropCaches() {
    sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return drop.good();
}

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
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

// One line: the median time, then its ratio to each baseline that ran (0: none).
void Row(const std::string& what, const std::vector<double>& times, double du, double gdu,
         const char* target, const std::string& threads = "") {
    std::printf("%-36s %7.3f s = %.3f x du", what.c_str(), Median(times), Median(times) / du);
    if (gdu > 0) {
        std::printf(", %.3f x gdu", Median(times) / gdu);
    }
    std::printf(" (target %s)%s\n", target,
                threads.empty() ? "" : (", threads " + threads).c_str());
}

void Row(const std::string& what, const Series& scans, double du, double gdu, const char* target) {
    Row(what, scans.times, du, gdu, target, scans.threads);
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> parts;
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        parts.push_back(list.substr(at, comma - at));
        at = comma + 1;
    }
    return parts;
}

struct Options {
    int runs = 5;
    std::string base;
    std::vector<std::string> rows{"warm", "busy", "cold", "network"};
    int networkRuns = 1;
    std::vector<std::string> delays{"500", "2000"};
    std::vector<std::string> networkAhead{"auto", "0"};

    bool Wants(const char* group) const {
        return std::find(rows.begin(), rows.end(), group) != rows.end();
    }
};

Options Parse(int argc, char** argv) {
    Options options;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool valued = arg.rfind("--", 0) == 0 && i + 1 < argc;
        if (arg == "--rows" && valued) {
            options.rows = Split(argv[++i]);
        } else if (arg == "--network-runs" && valued) {
            options.networkRuns = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--delays" && valued) {
            options.delays = Split(argv[++i]);
        } else if (arg == "--network-ahead" && valued) {
            options.networkAhead = Split(argv[++i]);
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "unknown option %s\n", arg.c_str());
            std::exit(2);
        } else {
            positional.push_back(arg);
        }
    }
    if (!positional.empty()) {
        options.runs = std::max(5, std::atoi(positional[0].c_str()));
    }
    if (positional.size() > 1) {
        options.base = positional[1];
    }
    return options;
}

// The generated tree with a warm cache, idle and with the cores kept busy, and its records'
// memory.
bool WarmRows(const Options& options, UiLoop& loop, const std::string& dir,
              const zelk::bench::TreeCounts& counts, const std::string& on) {
    // Memory of the records: heap in use and resident growth while one tree is held.
    SetReadAhead("0");
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
        return false;
    }
    held.root.reset();
    RunDu(dir);  // warm the cache for all

    const std::string settings[2] = {"0", on};
    if (options.Wants("warm")) {
        std::vector<double> du;
        Series quiet[2];
        Series shown[2];
        LatestText status;
        for (int i = 0; i < options.runs; ++i) {
            du.push_back(RunDu(dir));
            for (int ahead = 0; ahead < 2; ++ahead) {
                SetReadAhead(settings[ahead]);
                quiet[ahead].Add(RunScan(loop, nullptr));
                shown[ahead].Add(RunScan(loop, &status));
            }
        }
        const double duMedian = Median(du);
        std::printf("warm cache, %d alternated runs, read-ahead on = %s\n", options.runs,
                    on.c_str());
        std::printf("%-36s %7.3f s\n", "du -sxb", duMedian);
        Row("(a) no status line, read-ahead off", quiet[0], duMedian, 0, "<= 0.9");
        Row("(a) no status line, read-ahead on", quiet[1], duMedian, 0, "<= 0.6");
        Row("(b) status per dir, read-ahead off", shown[0], duMedian, 0, "-");
        Row("(b) status per dir, read-ahead on", shown[1], duMedian, 0, "<= 0.65");
        std::printf("%zu status steps a run\n", status.steps / (2 * options.runs));
        std::printf("record: sizeof %zu bytes, heap %.0f bytes, resident %.0f bytes per record\n",
                    sizeof(TFileAttr), heapPerRecord, rssPerRecord);
    }

    if (options.Wants("busy")) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        std::vector<double> du;
        Series quiet[2];
        {
            const zelk::bench::BusyCores busy(cores);
            for (int i = 0; i < options.runs; ++i) {
                du.push_back(RunDu(dir));
                for (int ahead = 0; ahead < 2; ++ahead) {
                    SetReadAhead(settings[ahead]);
                    quiet[ahead].Add(RunScan(loop, nullptr));
                }
            }
        }
        const double duMedian = Median(du);
        std::printf("warm cache, %u spinning processes, %d alternated runs\n", cores, options.runs);
        std::printf("%-36s %7.3f s\n", "du -sxb", duMedian);
        Row("(a) busy cores, read-ahead off", quiet[0], duMedian, 0, "-");
        Row("(a) busy cores, read-ahead on", quiet[1], duMedian, 0, "<= off");
    }
    return true;
}

// The disk's own speed: every run starts from empty caches.
void ColdRows(UiLoop& loop, const std::string& dir, const std::string& on) {
    if (!DropCaches()) {
        std::printf("cold cache: skipped (the caches cannot be dropped here)\n");
        return;
    }
    const bool haveGdu = OnPath("gdu");
    const int coldRuns = 3;
    std::vector<double> coldDu, gdu;
    Series cold[2];
    for (int i = 0; i < coldRuns; ++i) {
        DropCaches();
        coldDu.push_back(RunDu(dir));
        if (haveGdu) {
            DropCaches();
            gdu.push_back(zelk::bench::RunProgram({"gdu", "-n", "-p", dir}));
        }
        for (int ahead = 0; ahead < 2; ++ahead) {
            SetReadAhead(ahead == 0 ? "0" : on);
            DropCaches();
            cold[ahead].Add(RunScan(loop, nullptr));
        }
    }
    const double coldMedian = Median(coldDu);
    const double gduMedian = haveGdu ? Median(gdu) : 0;
    std::printf("cold cache, %d alternated runs\n", coldRuns);
    std::printf("%-36s %7.3f s\n", "du -sxb", coldMedian);
    if (haveGdu) {
        Row("gdu -n -p", gdu, coldMedian, 0, "-");
    }
    Row("(a) read-ahead off", cold[0], coldMedian, gduMedian, "-");
    Row("(a) read-ahead on", cold[1], coldMedian, gduMedian, "<= gdu, <= 0.6");
}

// A network drive stood in for: the tests' delaying file system over a small tree, mounted
// afresh for each delay.
void NetworkRows(const Options& options, UiLoop& loop) {
    const char* named = std::getenv("ZELK_DELAY_FS");
#ifdef ZELK_DELAY_FS
    const std::string program = named != nullptr && *named != '\0' ? named : ZELK_DELAY_FS;
#else
    const std::string program = named != nullptr ? named : "";
#endif
    if (!zelk::test::FuseMount::Usable(program)) {
        std::printf("network drive: skipped (no /dev/fuse or no delaying file system)\n");
        return;
    }
    const std::string base = zelk::bench::MakeTempDirectory(options.base);
    const std::string source = base + "/source";
    const std::string mounted = base + "/drive";
    mkdir(source.c_str(), 0755);
    mkdir(mounted.c_str(), 0755);
    zelk::bench::TreeShape shape;
    shape.Directories = 1000;
    shape.Files = 4856;
    const zelk::bench::TreeCounts counts = zelk::bench::GenerateTree(source, shape);
    const bool haveGdu = OnPath("gdu");
    zelk::bench::InstallOneVolume('c', mounted);
    for (const std::string& delay : options.delays) {
        const zelk::test::FuseMount drive(program, {source, mounted, delay}, mounted);
        if (!drive.Mounted()) {
            std::printf("network drive at %s us: skipped (it did not come up)\n", delay.c_str());
            continue;
        }
        std::vector<double> du, gdu;
        std::vector<Series> scans(options.networkAhead.size());
        for (int i = 0; i < options.networkRuns; ++i) {
            du.push_back(RunDu(mounted));
            if (haveGdu) {
                gdu.push_back(zelk::bench::RunProgram({"gdu", "-n", "-p", mounted}));
            }
            for (std::size_t k = 0; k < scans.size(); ++k) {
                SetReadAhead(options.networkAhead[k]);
                ScanRun run = RunScan(loop, nullptr);
                if (!run.root->Searched) {
                    std::fprintf(stderr, "the scan of the network drive did not finish\n");
                }
                scans[k].Add(run);
            }
        }
        const double duMedian = Median(du);
        const double gduMedian = haveGdu ? Median(gdu) : 0;
        std::printf("network drive, %s us a request, %zu directories, %zu files, %d runs\n",
                    delay.c_str(), counts.Directories + 1, counts.Files, options.networkRuns);
        std::printf("%-36s %7.3f s\n", "du -sxb", duMedian);
        if (haveGdu) {
            Row("gdu -n -p", gdu, duMedian, 0, "-");
        }
        for (std::size_t k = 0; k < scans.size(); ++k) {
            const std::string& setting = options.networkAhead[k];
            Row("(a) read-ahead " + setting, scans[k], duMedian, gduMedian,
                setting == "0" ? "-" : "<= 0.1 x du, <= 0.3 x gdu");
        }
    }
    zelk::bench::RemoveTree(base);
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    setenv("ZELK_READ_AHEAD_TRACE", "1", 1);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // rows show as they come: a full run is long
    const char* asSet = std::getenv("ZELK_READ_AHEAD");
    const std::string on = asSet != nullptr && *asSet != '\0' ? asSet : "auto";
    UiLoop loop;

    if (options.Wants("warm") || options.Wants("busy") || options.Wants("cold")) {
        bool keep = false;
        const auto [dir, counts] = TreeToScan(options.base, keep);
        zelk::bench::InstallOneVolume('c', dir);
        if (!WarmRows(options, loop, dir, counts, on)) {
            return 1;
        }
        if (options.Wants("cold")) {
            ColdRows(loop, dir, on);
        }
        if (!keep) {
            zelk::bench::RemoveTree(dir);
        }
    }
    if (options.Wants("network")) {
        NetworkRows(options, loop);
    }
    return 0;
}
