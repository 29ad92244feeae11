// Cost of a tree rebuild with one node per directory: delete every node of the previous listing,
// add the new ones with their texts, and let the view take the finished tree; against building
// the same node texts alone in the same run. Also the memory each node costs.
// Usage: bench_tree [count]   (default one million nodes)

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/TTreeView.h"
#include "common/Baselines.h"
#include "common/BenchSetup.h"
#include "runtime/FormatText.h"
#include "runtime/LocaleFormats.h"

namespace {

using Clock = std::chrono::steady_clock;

// A directory tree's shape: parent of node i (-1 for the root), depth first.
std::vector<int> MakeShape(std::size_t count) {
    std::mt19937_64 random(11);
    std::vector<int> parents(count);
    std::vector<int> open{0};
    parents[0] = -1;
    for (std::size_t i = 1; i < count; ++i) {
        while (open.size() > 1 && random() % 3 == 0) {
            open.pop_back();
        }
        parents[i] = open.back();
        if (open.size() < 12) {
            open.push_back(static_cast<int>(i));
        }
    }
    return parents;
}

std::string NodeText(std::size_t i) {
    const long double size = static_cast<long double>((i * 7919) % 1000000007);
    const std::string sizeText = zelk::FormatText("%0.0m", {size}).substr(2);
    return zelk::FormatText("%s %0.0f%%:%0.0f%% (%s)(%s) %s",
                            {std::string("dir") + std::to_string(i), 12.5L, 7.25L, sizeText,
                             std::string("-"), std::string("2026/12/06 9:05:07")});
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    zelk::bench::LoadDesktopLocale();
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const std::vector<int> parents = MakeShape(count);

    auto start = Clock::now();
    std::size_t checksum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        checksum += NodeText(i).size();
    }
    const double textsOnly = Seconds(start);

    zelk::TTreeView tree;
    tree.resize(600, 260);
    tree.show();
    std::vector<zelk::TTreeNode*> nodes(count);
    const auto rebuild = [&] {
        while (tree.Count() > 0) {
            tree.Delete(tree.Item(0));
        }
        for (std::size_t i = 0; i < count; ++i) {
            zelk::TTreeNode* parent = parents[i] < 0 ? nullptr : nodes[parents[i]];
            nodes[i] = tree.Add(parent, NodeText(i));
            nodes[i]->ImageIndex = 0;
            nodes[i]->SelectedIndex = 1;
        }
        QCoreApplication::processEvents();  // the view takes the finished tree and paints it
    };
    const long before = zelk::bench::ResidentBytes();
    rebuild();  // first build: nothing to delete
    const long perNode = (zelk::bench::ResidentBytes() - before) / static_cast<long>(count);
    start = Clock::now();
    rebuild();  // the rebuild the tree listing does after every scan and sort
    const double rebuildTime = Seconds(start);

    std::printf("nodes %zu (checksum %zu)\n", count, checksum);
    std::printf("node texts alone        %8.3f s\n", textsOnly);
    std::printf("rebuild (delete + add)  %8.3f s   ratio %.2f (target <= 2)\n", rebuildTime,
                rebuildTime / textsOnly);
    std::printf("memory per node         %8ld bytes (target <= 400)\n", perNode);
    return 0;
}
