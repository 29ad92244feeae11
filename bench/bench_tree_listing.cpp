// Cost of the tree listing for generated record trees: the window's rebuild (every earlier node
// deleted, one node per record added, the view taking the finished tree) and a size sort plus
// rebuild, against building the same node texts alone in the same run; and the memory each node
// costs beyond the record tree.
// Usage: bench_tree_listing [count...]   (default 100000 and 1000000 directories)

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "runtime/LocaleFormats.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

long PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

// A directory tree of count records: varied fan-out and depth, totals summed upwards.
std::unique_ptr<zelk::TFileAttr> MakeRecords(std::size_t count) {
    std::mt19937_64 random(20261207);
    auto root = std::make_unique<zelk::TFileAttr>();
    root->Name = "\\";
    root->Searched = true;
    std::vector<zelk::TFileAttr*> records{root.get()};
    std::vector<zelk::TFileAttr*> open{root.get()};
    for (std::size_t i = 1; i < count; ++i) {
        while (open.size() > 1 && random() % 3 == 0) {
            open.pop_back();
        }
        zelk::TFileAttr* parent = open.back();
        auto child = std::make_unique<zelk::TFileAttr>();
        child->Parent = parent;
        child->Level = parent->Level + 1;
        child->Name = "dir" + std::to_string(i);
        child->Size = static_cast<double>(random() % 50000000);
        child->CompressedSize = random() % 4 == 0 ? child->Size : child->Size * 0.7;
        child->LastWrite = 40000 + static_cast<double>(random() % 9000000) / 1000;
        child->Searched = true;
        records.push_back(child.get());
        if (open.size() < 12) {
            open.push_back(child.get());
        }
        parent->Children.push_back(std::move(child));
    }
    // Children come after their parents: add each record's totals to its parent, last first.
    for (auto at = records.rbegin(); at != records.rend(); ++at) {
        if ((*at)->Parent != nullptr) {
            (*at)->Parent->Size += (*at)->Size;
            (*at)->Parent->CompressedSize += (*at)->CompressedSize;
            (*at)->Parent->LastWrite = std::max((*at)->Parent->LastWrite, (*at)->LastWrite);
        }
    }
    return root;
}

void Run(zelk::TfrmMain& form, std::size_t count) {
    form.RootAttr = MakeRecords(count);
    const zelk::TFileAttr& root = *form.RootAttr;

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

    const long before = ResidentBytes();
    start = Clock::now();
    form.RefreshTree();  // first listing: nothing to delete
    QCoreApplication::processEvents();
    const double firstTime = Seconds(start);
    const long perNode = (ResidentBytes() - before) / static_cast<long>(count);

    start = Clock::now();
    form.RefreshTree();  // every earlier node deleted, then the listing again
    QCoreApplication::processEvents();
    const double rebuildTime = Seconds(start);

    start = Clock::now();
    form.SortKey = "Size";
    form.SortAttr(*form.RootAttr);
    form.RefreshTree();
    QCoreApplication::processEvents();
    const double sortTime = Seconds(start);

    std::printf("directories %zu (checksum %zu, nodes %d)\n", count, checksum,
                form.TreeView1->Count());
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
                static_cast<double>(PeakResidentBytes()) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    zelk::LoadSystemLocale();
    zelk::LoadLocaleNames();
    zelk::LoadLocaleFormats();
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
