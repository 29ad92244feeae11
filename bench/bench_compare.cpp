// Comparing two scans: two exports of a million directories each (the second with sizes grown
// under every seventh directory and every hundred-and-first renamed, so its subtree is removed
// and new) opened and matched. Reports the matching's time against opening the two files in the
// same run (target <= 0.5 x), the bytes per directory the comparison adds (target <= 16), and the
// longest the window's event loop waits while it compares the shown tree with a file (<= 100 ms).
// Usage: bench_compare [directories]   (default one million)

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "app/ScanFileControl.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/UiRelay.h"
#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "common/RecordTreeGenerator.h"
#include "runtime/TThread.h"
#include "scan/ScanComparison.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The later scan: grown sizes and renamed directories, every total summed upwards again.
void Change(zelk::TFileAttr& root) {
    std::vector<zelk::TFileAttr*> order{&root};
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (const auto& child : order[i]->Children) {
            order.push_back(child.get());
        }
    }
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (i % 101 == 0) {
            order[i]->Name = order[i]->Name.Str() + "~";
        }
        if (i % 7 == 0) {
            for (zelk::TFileAttr* up = order[i]; up != nullptr; up = up->Parent) {
                up->Size += 4096;
                up->CompressedSize += 4096;
            }
        }
    }
}

// The longest a 1 ms timer went unserved while the loop ran until done() held.
double LongestWait(const std::function<void()>& start, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    qint64 previous = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.nsecsElapsed() - previous);
        previous = clock.nsecsElapsed();
    });
    tick.start(1);
    start();
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return static_cast<double>(longest) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelk;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    bench::LoadDesktopLocale();
    bench::KeepScansApart();
    TThread::RecordUiThread();
    UiRelay relay;
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1'000'000;
    char dir[] = "/tmp/zelk-bench-compare-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        return 1;
    }
    const std::string then = std::string(dir) + "/then.json";
    const std::string now = std::string(dir) + "/now.json";
    {
        auto tree = bench::GenerateRecordTree(count);
        ScanFileWriter::Save(then, *tree, "/srv", 0);
        Change(*tree);
        ScanFileWriter::Save(now, *tree, "/srv", 0);
    }
    std::vector<double> opening;
    std::vector<double> matching;
    double bytes = 0;
    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        ScanFile baseline = ScanFileReader::Read(then);
        ScanFile shown = ScanFileReader::Read(now);
        opening.push_back(Since(start));
        start = Clock::now();
        ScanComparison comparison(*shown.Root, std::move(baseline.Root));
        comparison.Step(std::numeric_limits<std::size_t>::max());
        matching.push_back(Since(start));
        bytes = static_cast<double>(comparison.BytesUsed()) / static_cast<double>(count);
    }
    const double open = bench::Median(opening);
    const double match = bench::Median(matching);
    std::printf(
        "open two exports of %zu directories: %.3f s; compare them: %.3f s, ratio %.2f x "
        "(target <= 0.5)\n",
        count, open, match, match / open);
    std::printf("the comparison adds %.1f B per directory (target <= 16)\n", bytes);

    TfrmMain form;
    form.FormCreate();
    form.resize(640, 400);
    form.show();
    form.ScanFiles->Open(now);
    while (form.FinishedTree() == nullptr || form.Controls().TreeView1->Model().Deferring()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    const double gap = LongestWait([&] { form.CompareWithFile(then); },
                                   [&] {
                                       return form.ShownComparison() != nullptr &&
                                              !form.Controls().TreeView1->Model().Deferring();
                                   });
    std::printf("longest wait of the window's loop while comparing: %.1f ms (target <= 100)\n",
                gap);
    std::remove(then.c_str());
    std::remove(now.c_str());
    rmdir(dir);
    return 0;
}
