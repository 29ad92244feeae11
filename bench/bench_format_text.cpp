// Cost of the texts the tree listing builds once per directory: a size with "%0.0m" and the whole
// node text, against the C library's snprintf("%.0Lf") of the same values in the same run.
// Usage: bench_format_text [count]   (default one million values)

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/BenchSetup.h"
#include "platform/LocaleService.h"
#include "runtime/FormatText.h"
#include "runtime/LocaleFormats.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Node {
    std::string name;
    long double size;
    long double share;
    long double compShare;
    std::string sizeText;
    std::string compText;
    std::string dateText;
};

std::vector<Node> MakeNodes(std::size_t count) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> magnitude(0, 12);  // 1 byte to a terabyte
    std::uniform_int_distribution<int> nameLength(3, 24);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_real_distribution<double> saved(0.0, 0.8);
    const long double total = 2e12L;
    std::vector<Node> nodes(count);
    for (Node& node : nodes) {
        const int length = nameLength(random);
        for (int i = 0; i < length; ++i) {
            node.name += static_cast<char>(letter(random));
        }
        if (random() % 8 == 0) {
            node.name += "フォルダ";
        }
        node.size = std::floor(std::pow(10.0, magnitude(random)));
        const long double compressed = std::floor(node.size * (1 - saved(random)));
        node.share = node.size / total * 100;
        node.compShare = compressed / (total * 0.7L) * 100;
        node.sizeText = zelk::FormatText("%0.0m", {node.size}).substr(2);
        node.compText = zelk::FormatText("%0.0m", {compressed}).substr(2) + " 12%";
        node.dateText = "2026/12/06 9:05:07";
    }
    return nodes;
}

template <typename Body>
double NanosecondsPerCall(std::size_t count, Body body) {
    double best = 1e300;
    for (int pass = 0; pass < 3; ++pass) {
        const auto start = Clock::now();
        for (std::size_t i = 0; i < count; ++i) {
            body(i);
        }
        const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
        best = std::min(best, elapsed.count() / static_cast<double>(count));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    zelk::bench::LoadDesktopLocale();
    const std::vector<Node> nodes = MakeNodes(count);
    std::size_t sink = 0;
    char buffer[128];

    const double printfSize = NanosecondsPerCall(count, [&](std::size_t i) {
        sink +=
            static_cast<std::size_t>(std::snprintf(buffer, sizeof buffer, "%.0Lf", nodes[i].size));
    });
    const double printfShare = NanosecondsPerCall(count, [&](std::size_t i) {
        sink +=
            static_cast<std::size_t>(std::snprintf(buffer, sizeof buffer, "%.0Lf", nodes[i].share));
    });
    const double money = NanosecondsPerCall(
        count, [&](std::size_t i) { sink += zelk::FormatText("%0.0m", {nodes[i].size}).size(); });
    const double nodeText = NanosecondsPerCall(count, [&](std::size_t i) {
        const Node& n = nodes[i];
        sink += zelk::FormatText("%s %0.0f%%:%0.0f%% (%s)(%s) %s",
                                 {n.name, n.share, n.compShare, n.sizeText, n.compText, n.dateText})
                    .size();
    });

    std::printf("values: %zu (sizes 1 B to 1 TB, shares of a 2 TB drive)\n", count);
    std::printf("snprintf(\"%%.0Lf\") of a size      %8.1f ns/call\n", printfSize);
    std::printf("snprintf(\"%%.0Lf\") of a share     %8.1f ns/call\n", printfShare);
    std::printf("FormatText(\"%%0.0m\") of a size     %8.1f ns/call  %.2fx snprintf of a size\n",
                money, money / printfSize);
    std::printf(
        "FormatText(node text)             %8.1f ns/call  %.2fx snprintf of a size, "
        "%.2fx of a share (target 3x)\n",
        nodeText, nodeText / printfSize, nodeText / printfShare);
    std::printf("(checksum %zu)\n", sink);
    return 0;
}
