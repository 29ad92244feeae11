// How long the user-interface thread stays away from its event loop, measured as the largest gap
// between the ticks of a 1 ms timer, while the window completes a scan of a million generated
// directories, sorts it by size and by date, sorts one directory of 100,000 children, frees the
// million records at a new start and paints the graph of a root with a million children; and the
// memory one directory costs (record, tree node and the model's share), as the growth of peak
// resident memory over an idle window, for the benchmark tree scanned from disk and for a
// generated tree of a million directories. Each memory figure comes from a process of its own.
//
// Usage: bench_ui_latency [base directory for the scanned tree | --latency-only]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/BackgroundReleaser.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/UiRelay.h"
#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "common/RecordTreeGenerator.h"
#include "common/TreeGenerator.h"
#include "drives/TDriveComboBox.h"
#include "platform/VolumeTable.h"
#include "runtime/LocaleFormats.h"
#include "runtime/SystemLocale.h"
#include "runtime/TThread.h"
#include "scan/TSearchThread.h"

namespace {

constexpr char kLetter = 'c';
constexpr double kTargetMs = 100;
constexpr long kTargetBytes = 280;

void Serve(const std::function<bool()>& done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
}

void Settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    Serve([&] { return clock.elapsed() >= milliseconds; });
}

// The largest gap between ticks of a 1 ms timer while work runs from the event loop and until
// finished() holds, plus a short tail for the paints it leaves behind; it starts with nothing
// left to free from the measurement before.
double LongestGap(const std::function<void()>& work, const std::function<bool()>& finished) {
    zelk::BackgroundReleaser::Instance().AwaitIdle();
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    ticks.start();
    bool started = false;
    QTimer::singleShot(10, [&] {
        work();
        started = true;
    });
    Serve([&] { return started && finished(); });
    Settle(100);
    ticks.stop();
    return static_cast<double>(longest) / 1e6;
}

void Report(const char* what, double ms) {
    std::printf("  %-46s %7.1f ms  %s\n", what, ms, ms <= kTargetMs ? "ok" : "OVER 100 ms");
}

std::unique_ptr<zelk::TFileAttr> WideRoot(std::size_t children) {
    return zelk::bench::GenerateRecordTree(children + 1, 0);
}

void InstallDrive(zelk::TfrmMain& form, const std::string& dir) {
    zelk::bench::InstallOneVolume(kLetter, dir);
    form.DriveComboBox1->SelectDrive(kLetter);
}

std::unique_ptr<zelk::TfrmMain> IdleWindow() {
    auto form = std::make_unique<zelk::TfrmMain>();
    form->FormCreate();
    form->resize(640, 400);
    form->show();
    Settle(200);
    return form;
}

bool ScanEnded(const zelk::TfrmMain& form) {
    return form.SearchThread == nullptr;
}

// Sorted and listed, with nothing left for later steps.
bool Listed(const zelk::TfrmMain& form) {
    return !form.SortPending() && !form.TreeView1->Model().Deferring();
}

// Runs in a process of its own: the growth of peak resident memory per directory.
int MeasureMemory(const std::string& what, const std::string& dir) {
    auto form = IdleWindow();
    std::size_t directories = 0;
    long before = 0;
    if (what == "scan") {
        InstallDrive(*form, dir);
        Settle(50);
        before = zelk::bench::PeakResidentBytes();
        form->btnStartClick();
        Serve([&] { return ScanEnded(*form); });
        directories = static_cast<std::size_t>(form->TreeView1->Count());
    } else {
        directories = std::strtoul(what.c_str(), nullptr, 10);
        before = zelk::bench::PeakResidentBytes();
        form->RootAttr = zelk::bench::GenerateRecordTree(directories);
        form->RefreshTree();
    }
    form->TreeView1->expand(form->TreeView1->model()->index(0, 0));
    Settle(300);
    std::printf("%ld %zu\n",
                (zelk::bench::PeakResidentBytes() - before) /
                    static_cast<long>(std::max<std::size_t>(directories, 1)),
                directories);
    return 0;
}

long MemoryInChild(const char* self, const std::string& what, const std::string& dir) {
    const std::string command = std::string("'") + self + "' --memory " + what + " '" + dir + "'";
    FILE* child = popen(command.c_str(), "r");
    long bytes = -1;
    std::size_t directories = 0;
    if (child == nullptr || std::fscanf(child, "%ld %zu", &bytes, &directories) != 2) {
        std::fprintf(stderr, "memory measurement failed: %s\n", command.c_str());
        std::exit(1);
    }
    pclose(child);
    std::printf("  %-46s %7ld B   %s (%zu directories)\n",
                what == "scan" ? "bytes per directory, benchmark tree scanned"
                               : "bytes per directory, generated tree",
                bytes, bytes <= kTargetBytes ? "ok" : "OVER 280 B", directories);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    zelk::bench::LoadDesktopLocale();
    zelk::TThread::RecordUiThread();
    zelk::UiRelay relay;
    if (argc > 3 && std::string(argv[1]) == "--memory") {
        return MeasureMemory(argv[2], argv[3]);
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const bool latencyOnly = argc > 1 && std::string(argv[1]) == "--latency-only";
    const std::string base = argc > 1 && !latencyOnly ? argv[1] : "";
    const std::string empty = zelk::bench::MakeTempDirectory(base);
    if (!latencyOnly) {
        const std::string dir = zelk::bench::GenerateReportedTree(base).Directory;
        std::printf("memory (target <= %ld B per directory)\n", kTargetBytes);
        MemoryInChild(argv[0], "scan", dir);
        MemoryInChild(argv[0], "1000000", empty);
        zelk::bench::RemoveTree(dir);
    }

    std::printf("longest gap of a 1 ms timer on the user-interface thread (target <= 100 ms)\n");
    auto form = IdleWindow();
    InstallDrive(*form, empty);
    form->TreeView1->setFocus();
    // An empty drive, scanned once, so that the completion below is that of a real thread.
    form->btnStartClick();
    Serve([&] { return ScanEnded(*form); });

    zelk::TSearchThread sender(true, nullptr);  // never started: what the completion names
    // The completion handler runs while its thread is the window's, as after a real scan.
    form->SearchThread = std::make_unique<zelk::TSearchThread>(true, nullptr);
    form->RootAttr = zelk::bench::GenerateRecordTree(1000000);
    Report("completion of a scan, 1,000,000 directories",
           LongestGap([&] { form->SearchDone(sender); }, [&] { return Listed(*form); }));
    Report("sort by size, then rebuild",
           LongestGap([&] { form->btnSortBySizeClick(); }, [&] { return Listed(*form); }));
    Report("sort by date, then rebuild",
           LongestGap([&] { form->btnSortByDateClick(); }, [&] { return Listed(*form); }));
    Report("new start freeing 1,000,000 records",
           LongestGap([&] { form->btnStartClick(); },
                      [&] { return ScanEnded(*form) && Listed(*form); }));

    form->RootAttr = WideRoot(100000);
    Report("sort of one directory of 100,000",
           LongestGap([&] { form->btnSortBySizeClick(); }, [&] { return Listed(*form); }));

    form->RootAttr = WideRoot(1000000);
    form->RefreshTree();
    Serve([&] { return Listed(*form); });
    zelk::BackgroundReleaser::Instance().AwaitIdle();
    const auto paint = [&] {
        form->PaintBox1->Invalidate();
        form->PaintBox1->repaint();
    };
    Report("graph page shown, root of 1,000,000 children",
           LongestGap([&] { form->PageControl1->SetActivePage(form->TabSheet2); },
                      [] { return true; }));
    Report("graph repainted, root of 1,000,000 children", LongestGap(paint, [] { return true; }));
    form.reset();
    zelk::bench::RemoveTree(empty);
    return 0;
}
