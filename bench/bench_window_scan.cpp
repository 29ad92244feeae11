// A whole scan through the window: the start button's handler, the status line shown live on an
// offscreen window, the completion handler and the listing it builds, until the status line
// reads the completion text; beside it the engine alone with its status steps served by the same
// event loop. Each with read-ahead off and on, against du -sxb of the same generated tree in the
// same run, the runs alternated.
//
// Usage: bench_window_scan [runs] [base directory for the tree] [--read-ahead=threads (2)]

#include <QApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/UiRelay.h"
#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "common/TreeGenerator.h"
#include "drives/TDriveComboBox.h"
#include "runtime/TThread.h"
#include "scan/TSearchThread.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kLetter = 'c';

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Read by the listing service each time a scan opens its root.
void SetReadAhead(int threads) {
    setenv("ZELK_READ_AHEAD", std::to_string(threads).c_str(), 1);
}

// Seconds from the click to the completion text, with the event loop serving the window.
double ScanThroughWindow(zelk::TfrmMain& form) {
    const auto start = Clock::now();
    form.btnStartClick();
    // The completion handler frees the thread after it has set the text and built the listing.
    while (form.Scanning()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (form.Controls().StatusBar1->SimpleText() != "探索完了") {
        std::fprintf(stderr, "the scan did not complete\n");
        std::exit(1);
    }
    return SecondsSince(start);
}

// Keeps the newest text, as the window's status line does, and paints nothing.
class LatestText : public zelk::StatusLine {
  public:
    void SetSimpleText(const std::string& text) override { text_ = text; }

  private:
    std::string text_;
};

// The engine alone, its status steps served by the event loop; the records are freed untimed.
double ScanWithEngine(zelk::StatusLine& status) {
    auto root = std::make_unique<zelk::TFileAttr>();
    std::atomic<bool> finished{false};
    const auto start = Clock::now();
    zelk::TSearchThread thread(true, root.get());
    thread.Drive = kLetter;
    thread.StatusBar = &status;
    thread.SetOnFinished([&finished](zelk::TThread&) { finished.store(true); });
    thread.Start();
    while (!finished.load()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    thread.AwaitEnd();
    return SecondsSince(start);
}

int ReadAheadOption(int argc, char** argv) {
    const std::string prefix = "--read-ahead=";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(prefix, 0) == 0) {
            return std::max(1, std::atoi(arg.c_str() + prefix.size()));
        }
    }
    return 2;
}

void Report(const char* row, int readAhead, const std::vector<double>& runs, double du,
            const char* target) {
    const double median = zelk::bench::Median(runs);
    std::printf("%-32s read-ahead %d  %.3f s = %.3f x du%s\n", row, readAhead, median, median / du,
                target);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).rfind("--", 0) != 0) {
            positional.emplace_back(argv[i]);
        }
    }
    const int runs = positional.size() > 0 ? std::max(5, std::atoi(positional[0].c_str())) : 5;
    const std::string base = positional.size() > 1 ? positional[1] : "";
    const int readAhead = ReadAheadOption(argc, argv);
    const auto [dir, counts] = zelk::bench::GenerateReportedTree(base);

    zelk::bench::LoadDesktopLocale();
    zelk::bench::KeepScansApart();
    zelk::TThread::RecordUiThread();
    zelk::UiRelay relay;
    zelk::TfrmMain form;
    form.FormCreate();
    form.show();
    // The drive list reads the machine's volumes when first shown; the scan then finds the
    // tree's letter in the table installed after that.
    zelk::bench::InstallOneVolume(kLetter, dir);
    form.Controls().DriveComboBox1->SelectDrive(kLetter);

    SetReadAhead(0);
    ScanThroughWindow(form);  // warms the cache and the listing's first allocations
    if (form.Controls().TreeView1->Count() != static_cast<int>(counts.Directories + 1)) {
        std::fprintf(stderr, "listed %d nodes, expected %zu\n", form.Controls().TreeView1->Count(),
                     counts.Directories + 1);
        return 1;
    }
    zelk::bench::RunDu(dir);

    std::vector<double> du;
    std::vector<double> engine[2];
    std::vector<double> window[2];
    LatestText status;
    for (int i = 0; i < runs; ++i) {
        du.push_back(zelk::bench::RunDu(dir));
        for (int on = 0; on < 2; ++on) {
            SetReadAhead(on != 0 ? readAhead : 0);
            engine[on].push_back(ScanWithEngine(status));
            window[on].push_back(ScanThroughWindow(form));
        }
    }
    unsetenv("ZELK_READ_AHEAD");
    const double duMedian = zelk::bench::Median(du);
    std::printf("du -sxb median %.3f s (%d runs)\n", duMedian, runs);
    Report("(b) engine with status steps", 0, engine[0], duMedian, "");
    Report("(b) engine with status steps", readAhead, engine[1], duMedian, " (target <= 0.65)");
    Report("(c) window scan to completion", 0, window[0], duMedian, "");
    Report("(c) window scan to completion", readAhead, window[1], duMedian, " (target <= 0.7)");

    zelk::bench::RemoveTree(dir);
    return 0;
}
