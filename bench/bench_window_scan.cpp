// A whole scan through the window: the start button's handler, the status line shown live on an
// offscreen window, the completion handler and the listing it builds, until the status line
// reads the completion text; against du -sxb of the same generated tree in the same run.
//
// Usage: bench_window_scan [runs] [base directory for the tree]

#include <QApplication>
#include <algorithm>
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
#include "platform/VolumeTable.h"
#include "runtime/LocaleFormats.h"
#include "runtime/SystemLocale.h"
#include "runtime/TThread.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kLetter = 'c';

// Seconds from the click to the completion text, with the event loop serving the window.
double ScanThroughWindow(zelk::TfrmMain& form) {
    const auto start = Clock::now();
    form.btnStartClick();
    // The completion handler frees the thread after it has set the text and built the listing.
    while (form.SearchThread != nullptr) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (form.StatusBar1->SimpleText() != "探索完了") {
        std::fprintf(stderr, "the scan did not complete\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 5;
    const std::string base = argc > 2 ? argv[2] : "";
    const auto [dir, counts] = zelk::bench::GenerateReportedTree(base);

    zelk::bench::LoadDesktopLocale();
    zelk::TThread::RecordUiThread();
    zelk::UiRelay relay;
    zelk::TfrmMain form;
    form.FormCreate();
    form.show();
    // The drive list reads the machine's volumes when first shown; the scan then finds the
    // tree's letter in the table installed after that.
    zelk::bench::InstallOneVolume(kLetter, dir);
    form.DriveComboBox1->SelectDrive(kLetter);

    ScanThroughWindow(form);  // warms the cache and the listing's first allocations
    if (form.TreeView1->Count() != static_cast<int>(counts.Directories + 1)) {
        std::fprintf(stderr, "listed %d nodes, expected %zu\n", form.TreeView1->Count(),
                     counts.Directories + 1);
        return 1;
    }
    zelk::bench::RunDu(dir);

    std::vector<double> du;
    std::vector<double> window;
    for (int i = 0; i < runs; ++i) {
        du.push_back(zelk::bench::RunDu(dir));
        window.push_back(ScanThroughWindow(form));
    }
    const double duMedian = zelk::bench::Median(du);
    const double windowMedian = zelk::bench::Median(window);
    std::printf("du -sxb median            %.3f s (%d runs)\n", duMedian, runs);
    std::printf("window scan to completion %.3f s = %.3f x du (target <= 1.3)\n", windowMedian,
                windowMedian / duMedian);

    zelk::bench::RemoveTree(dir);
    return 0;
}
