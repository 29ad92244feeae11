// How long the user-interface thread stays away from its event loop, measured as the largest gap
// between the ticks of a 1 ms timer, while the window completes a scan of a million generated
// directories, sorts it by size and by date, saves it, sorts one directory of 100,000 children
// (collapsed, then expanded with its place kept), frees the million records at a new start,
// starts and closes while a listing of a million is still being added, and paints the graph of
// a root with a million children; and the
// memory one directory costs (record, tree node and the model's share), as the growth of peak
// resident memory over an idle window, for the benchmark tree scanned from disk and for a
// generated tree of a million directories. Each memory figure comes from a process of its own.
//
// Usage: bench_ui_latency [base directory for the scanned tree | --latency-only]

#include <sys/mount.h>
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/BackgroundReleaser.h"
#include "app/ScanFileControl.h"
#include "app/SubtreeSurgery.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/UiRelay.h"
#include "app/ViewPlace.h"
#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "common/RecordTreeGenerator.h"
#include "common/TreeGenerator.h"
#include "drives/TDriveComboBox.h"
#include "platform/VolumeTable.h"
#include "runtime/LocaleFormats.h"
#include "runtime/SystemLocale.h"
#include "runtime/TThread.h"
#include "scanfile/ScanFileWriter.h"

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

// With the gap of the same work done whole on the user-interface thread, as it once was.
void Report(const char* what, double ms, double baseline) {
    std::printf("  %-46s %7.1f ms  %s (%.2f of %.1f ms on this thread)\n", what, ms,
                ms <= kTargetMs ? "ok" : "OVER 100 ms", ms / baseline, baseline);
}

// Made on a thread of its own, as a scan or an open makes its records: their blocks then come
// from that thread's heap, not the one this thread allocates from.
std::unique_ptr<zelk::TFileAttr> Generated(std::size_t records, std::size_t maxDepth = 12) {
    std::unique_ptr<zelk::TFileAttr> tree;
    std::thread([&] { tree = zelk::bench::GenerateRecordTree(records, maxDepth); }).join();
    return tree;
}

std::unique_ptr<zelk::TFileAttr> WideRoot(std::size_t children) {
    return zelk::bench::GenerateRecordTree(children + 1, 0);
}

void InstallDrive(zelk::TfrmMain& form, const std::string& dir) {
    zelk::bench::InstallOneVolume(kLetter, dir);
    form.Controls().DriveComboBox1->SelectDrive(kLetter);
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
    return !form.Scanning();
}

// Sorted and listed, with nothing left for later steps.
bool Listed(const zelk::TfrmMain& form) {
    return !form.SortPending() && !form.Controls().TreeView1->Model().Deferring();
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
        directories = static_cast<std::size_t>(form->Controls().TreeView1->Count());
    } else {
        directories = std::strtoul(what.c_str(), nullptr, 10);
        before = zelk::bench::PeakResidentBytes();
        form->ReplaceShownTree(zelk::bench::GenerateRecordTree(directories), true);
        form->RefreshTree();
    }
    form->Controls().TreeView1->expand(form->Controls().TreeView1->model()->index(0, 0));
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

// A million generated records, and among them "wide": a real directory of 100,000 empty
// sub-directories on a tmpfs mounted at dir (the drive).
bool MakeWide(const std::string& dir) {
    const std::string wide = dir + "/wide";
    if (mkdir(wide.c_str(), 0755) != 0) {
        return false;
    }
    for (int i = 0; i < 100000; ++i) {
        mkdir((wide + "/" + std::to_string(i)).c_str(), 0755);
    }
    return true;
}

zelk::TFileAttr* ShowWithWide(zelk::TfrmMain& form) {
    std::unique_ptr<zelk::TFileAttr> tree = Generated(1000000);
    auto wide = std::make_unique<zelk::TFileAttr>();
    zelk::TFileAttr* record = wide.get();
    record->Parent = tree.get();
    record->Name = "wide";
    record->Level = record->MaxLevel = 1;
    record->Searched = true;
    tree->Children.push_back(std::move(wide));
    form.ReplaceShownTree(std::move(tree), true);
    form.RefreshTree();
    Serve([&] { return Listed(form); });
    form.Actions().ScanFinished(kLetter);
    return record;
}

// Rescan, trash and delete of a directory of 100,000 sub-directories in a million-directory
// tree: the records are made and freed on workers, the rows told to the view in slices.
void ReportActions(zelk::TfrmMain& form, const std::string& base) {
    const std::string dir = zelk::bench::MakeTempDirectory(base) + "/vol";
    if (mkdir(dir.c_str(), 0755) != 0 ||
        mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=1g,nr_inodes=1m") != 0) {
        std::printf("  actions on 100,000 sub-directories: skipped (needs to mount a tmpfs)\n");
        return;
    }
    InstallDrive(form, dir);
    form.Actions().Confirm = [](const QString&, bool) { return true; };
    form.Actions().Inform = [](const QString& text) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    };
    const auto idle = [&] { return !form.Actions().Running(); };
    MakeWide(dir);
    zelk::TFileAttr* wide = ShowWithWide(form);
    Report("rescan of 100,000 sub-directories in 1,000,000",
           LongestGap([&] { form.RescanNode(wide); }, idle));
    // The trash's folder is in the tree already, so the moved records are what goes in.
    mkdir((dir + "/share").c_str(), 0755);
    setenv("XDG_DATA_HOME", (dir + "/share").c_str(), 1);
    wide = ShowWithWide(form);
    form.RescanNode(wide);
    Serve(idle);
    Report("trash of 100,000 sub-directories in 1,000,000",
           LongestGap([&] { form.TrashNode(wide); }, idle));
    MakeWide(dir);
    wide = ShowWithWide(form);
    form.RescanNode(wide);
    Serve(idle);
    Report("delete of 100,000 sub-directories in 1,000,000",
           LongestGap([&] { form.DeleteNode(wide); }, idle));
    form.ReplaceShownTree(nullptr, false);
    umount2(dir.c_str(), MNT_DETACH);
    rmdir(dir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    zelk::bench::LoadDesktopLocale();
    zelk::bench::KeepScansApart();
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
    form->Controls().TreeView1->setFocus();
    // An empty drive, scanned once, so that the completion below is that of a real thread.
    form->btnStartClick();
    Serve([&] { return ScanEnded(*form); });

    // What a scan's completion does with its records: they are listed.
    form->ReplaceShownTree(Generated(1000000), true);
    Report("completion of a scan, 1,000,000 directories",
           LongestGap([&] { form->RefreshTree(); }, [&] { return Listed(*form); }));
    Report("sort by size, then rebuild",
           LongestGap([&] { form->btnSortBySizeClick(); }, [&] { return Listed(*form); }));
    Report("sort by date, then rebuild",
           LongestGap([&] { form->btnSortByDateClick(); }, [&] { return Listed(*form); }));
    const std::string saved = zelk::bench::MakeTempDirectory(base);
    const double saveHere = LongestGap(
        [&] { zelk::ScanFileWriter::Save(saved + "/here.json.zst", *form->ShownTree(), "/", 0); },
        [] { return true; });
    Report("Ctrl+S of 1,000,000 directories",
           LongestGap([&] { form->ScanFiles->SaveTo(saved + "/scan.json.zst"); },
                      [&] { return !form->ScanFiles->Saving(); }),
           saveHere);
    zelk::bench::RemoveTree(saved);
    Report("new start freeing 1,000,000 records",
           LongestGap([&] { form->btnStartClick(); },
                      [&] { return ScanEnded(*form) && Listed(*form); }));
    // The listing of a million records has done its first step only; once, it was finished.
    form->ReplaceShownTree(Generated(1000000), true);
    const double listingHere = LongestGap(
        [&] {
            form->RefreshTree();
            form->Controls().TreeView1->Model().Finish();
        },
        [&] { return Listed(*form); });
    form->ReplaceShownTree(Generated(1000000), true);
    Report("new start, listing of 1,000,000 pending",
           LongestGap(
               [&] {
                   form->RefreshTree();
                   form->btnStartClick();
               },
               [&] { return ScanEnded(*form) && Listed(*form); }),
           listingHere);
    form->ReplaceShownTree(Generated(1000000), true);
    const auto close = [&] {
        form->RefreshTree();
        bool canClose = false;
        form->FormCloseQuery(canClose);
    };
    Report("close, listing of 1,000,000 pending", LongestGap(close, [&] { return Listed(*form); }),
           listingHere);

    ReportActions(*form, base);

    form->ReplaceShownTree(WideRoot(100000), true);
    const double wideSort =
        LongestGap([&] { form->btnSortBySizeClick(); }, [&] { return Listed(*form); });
    Report("sort of one directory of 100,000", wideSort);

    // The same directory expanded, a row in its middle current and at the top: a re-sort keeps
    // them, against the re-sort above that left the tree collapsed.
    zelk::TTreeView& tree = *form->Controls().TreeView1;
    const QModelIndex wide = tree.model()->index(0, 0);
    tree.expand(wide);
    tree.setCurrentIndex(tree.model()->index(50000, 0, wide));
    tree.scrollTo(tree.currentIndex(), QAbstractItemView::PositionAtTop);
    Settle(100);
    const zelk::TTreeNode* current = tree.Model().NodeOf(tree.currentIndex());
    const zelk::TFileAttr* kept =
        current != nullptr ? zelk::RecordOf(*form->ShownTree(), *current) : nullptr;
    const double keeping = LongestGap([&] { form->btnSortByDateClick(); },
                                      [&] { return Listed(*form) && !form->Place().Pending(); });
    const zelk::TTreeNode* after = tree.Model().NodeOf(tree.currentIndex());
    const bool place = tree.isExpanded(tree.model()->index(0, 0)) && after != nullptr &&
                       zelk::RecordOf(*form->ShownTree(), *after) == kept;
    std::printf("  %-46s %7.1f ms  %s (%.2f x the sort above)%s\n",
                "sort keeping an expanded 100,000 in place", keeping,
                keeping <= kTargetMs ? "ok" : "OVER 100 ms", keeping / wideSort,
                place ? "" : "  PLACE LOST");

    form->ReplaceShownTree(WideRoot(1000000), true);
    form->RefreshTree();
    Serve([&] { return Listed(*form); });
    zelk::BackgroundReleaser::Instance().AwaitIdle();
    const auto paint = [&] {
        form->Controls().PaintBox1->Invalidate();
        form->Controls().PaintBox1->repaint();
    };
    Report("graph page shown, root of 1,000,000 children",
           LongestGap(
               [&] { form->Controls().PageControl1->SetActivePage(form->Controls().TabSheet2); },
               [] { return true; }));
    Report("graph repainted, root of 1,000,000 children", LongestGap(paint, [] { return true; }));
    form.reset();
    zelk::bench::RemoveTree(empty);
    return 0;
}
