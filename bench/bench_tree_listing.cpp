// Cost of the tree listing for generated record trees: the window's rebuild (every earlier node
// deleted, one node per record added, the view taking the finished tree) and a size sort plus
// rebuild, against building the same node texts alone in the same run; and the memory each node
// costs beyond the record tree.
// Usage: bench_tree_listing [count...]   (default 100000 and 1000000 directories)

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/RecordSorter.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "common/RecordTreeGenerator.h"
#include "runtime/LocaleFormats.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Run(zelk::TfrmMain& form, std::size_t count) {
    form.ReplaceShownTree(zelk::bench::GenerateRecordTree(count, 11), true);
    const zelk::TFileAttr& root = *form.ShownTree();

    auto start = Clock::now();
    std::size_t checksum = 0;
    std::vector<const zelk::TFileAttr*> pending{&root};
    while (!pending.empty()) {
        const zelk::TFileAttr* next = pending.back();
        pending.pop_back();
        checksum += zelk::NodeText(*next, root).size();
        for (const auto& child : next->Children) {
            pending.push_back(child.get());
        }
    }
    const double textsOnly = Seconds(start);

    const long before = zelk::bench::ResidentBytes();
    start = Clock::now();
    form.RefreshTree();                                 // first listing: nothing to delete
    form.Controls().TreeView1->Model().FlushChanges();  // every step of the listing, and the view
                                                        // told
    QCoreApplication::processEvents();
    const double firstTime = Seconds(start);
    const long perNode = (zelk::bench::ResidentBytes() - before) / static_cast<long>(count);

    start = Clock::now();
    form.RefreshTree();  // every earlier node deleted, then the listing again
    form.Controls().TreeView1->Model().FlushChanges();  // every step of the listing, and the view
                                                        // told
    QCoreApplication::processEvents();
    const double rebuildTime = Seconds(start);

    start = Clock::now();
    zelk::SortAttr("Size", *form.ShownTree());
    form.RefreshTree();
    form.Controls().TreeView1->Model().FlushChanges();  // every step of the listing, and the view
                                                        // told
    QCoreApplication::processEvents();
    const double sortTime = Seconds(start);

    std::printf("directories %zu (checksum %zu, nodes %d)\n", count, checksum,
                form.Controls().TreeView1->Count());
    std::printf("  node texts alone          %8.3f s   (baseline)\n", textsOnly);
    std::printf("  first RefreshTree         %8.3f s   ratio %.2f\n", firstTime,
                firstTime / textsOnly);
    std::printf("  RefreshTree (rebuild)     %8.3f s   ratio %.2f (target <= 2)\n", rebuildTime,
                rebuildTime / textsOnly);
    std::printf("  SortAttr + RefreshTree    %8.3f s   ratio %.2f\n", sortTime,
                sortTime / textsOnly);
    std::printf("  memory per node           %8ld bytes beyond the records (target <= 400)\n",
                perNode);
    std::printf("  peak resident so far      %8.1f MB\n",
                static_cast<double>(zelk::bench::PeakResidentBytes()) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    zelk::bench::LoadDesktopLocale();
    zelk::bench::KeepScansApart();
    zelk::TfrmMain form(0);
    form.resize(640, 400);
    form.show();
    std::vector<std::size_t> counts;
    for (int i = 1; i < argc; ++i) {
        counts.push_back(std::strtoul(argv[i], nullptr, 10));
    }
    if (counts.empty()) {
        counts = {100000, 1000000};
    }
    for (const std::size_t count : counts) {
        Run(form, count);
    }
    return 0;
}
