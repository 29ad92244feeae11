// Cost of one paint of the graph for generated record trees, offscreen into an image of the
// design size, against painting only the bars at least one pixel tall, collected by a pass over
// the tree beforehand, in the same run. A last case paints a root with every directory directly
// below it: each child's size must still be read once, so that paint costs about a bare walk.
// Usage: bench_graph_paint [count...]   (default 100000 and 1000000 directories)

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/GraphPainter.h"
#include "app/MainFormLayout.h"
#include "app/TCanvas.h"
#include "common/RecordTreeGenerator.h"
#include "scan/TFileAttr.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 602;
constexpr int kHeight = 259;
constexpr int kRepeats = 15;

double Milliseconds(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Bar {
    const zelk::TFileAttr* record;
    int top;
    int height;
    int colour;
};

// The bars at least one pixel tall in painting order, by a plain recursive pass.
void Collect(const zelk::GraphPainter& heights, const zelk::TFileAttr& record, int top, int colour,
             std::vector<Bar>& bars) {
    const int height = heights.BarHeight(record);
    if (height <= 0) {
        return;
    }
    int bottom = top + height;
    for (std::size_t i = record.Children.size(); i-- > 0;) {
        const zelk::TFileAttr& child = *record.Children[i];
        const int childHeight = heights.BarHeight(child);
        bottom -= childHeight;
        Collect(heights, child, bottom, colour + static_cast<int>(i % 8), bars);
    }
    bars.push_back({&record, top, height, colour});
}

// Exactly the canvas calls of one bar of the graph.
void PaintBars(zelk::TCanvas& canvas, int columnWidth, const std::vector<Bar>& bars) {
    for (const Bar& bar : bars) {
        const int x = bar.record->Level * columnWidth;
        const QColor colour = zelk::GraphColor(bar.colour);
        canvas.SetPenColor(colour);
        canvas.SetBrushColor(colour);
        canvas.SetBrushStyle(zelk::TBrushStyle::Solid);
        canvas.Rectangle(x, bar.top, x + columnWidth - 1, bar.top + bar.height);
        if (canvas.TextHeight(bar.record->Name.Str()) >= bar.height) {
            continue;
        }
        canvas.SetBrushStyle(zelk::TBrushStyle::Clear);
        canvas.SetFontColor(Qt::black);
        canvas.TextOut(x + 2, bar.top + 2, bar.record->Name.Str());
        canvas.TextOut(x, bar.top, bar.record->Name.Str());
        canvas.TextOut(x + 2, bar.top, bar.record->Name.Str());
        canvas.TextOut(x, bar.top + 2, bar.record->Name.Str());
        canvas.SetFontColor(Qt::white);
        canvas.TextOut(x + 1, bar.top + 1, bar.record->Name.Str());
    }
}

// The best of several runs of work, each on a freshly cleared image.
template <typename Work>
double BestOf(QImage& image, Work work) {
    double best = 1e300;
    for (int run = 0; run < kRepeats; ++run) {
        image.fill(QColor(240, 240, 240));
        QPainter painter(&image);
        zelk::TCanvas canvas(painter, zelk::MainFormFont(96), QColor(240, 240, 240));
        const auto start = Clock::now();
        work(canvas);
        best = std::min(best, Milliseconds(start));
    }
    return best;
}

void Run(const char* label, const zelk::TFileAttr& root, std::size_t count, bool targeted) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter unused(&scratch);
    zelk::TCanvas measuring(unused, zelk::MainFormFont(96), Qt::gray);
    const zelk::GraphPainter heights(measuring, kWidth, kHeight, root);

    auto start = Clock::now();
    std::vector<Bar> bars;
    Collect(heights, root, 0, 0, bars);
    const double collect = Milliseconds(start);

    const double baseline = BestOf(
        image, [&](zelk::TCanvas& canvas) { PaintBars(canvas, heights.ColumnWidth(), bars); });
    const QImage expected = image;
    const double paint = BestOf(
        image, [&](zelk::TCanvas& canvas) { zelk::PaintGraph(canvas, kWidth, kHeight, &root); });
    const bool same = image == expected;

    start = Clock::now();
    std::size_t visited = 0;
    std::vector<const zelk::TFileAttr*> pending{&root};
    while (!pending.empty()) {
        const zelk::TFileAttr* next = pending.back();
        pending.pop_back();
        visited += next->Name.size() > 0 ? 1 : 0;
        for (const auto& child : next->Children) {
            pending.push_back(child.get());
        }
    }
    const double walk = Milliseconds(start);

    std::printf("%s: %zu directories, max level %d, %zu bars >= 1 px\n", label, count,
                root.MaxLevel, bars.size());
    std::printf("  visible bars only (baseline) %9.3f ms   (their collection pass %.3f ms)\n",
                baseline, collect);
    std::printf("  PaintGraph                   %9.3f ms   ratio %.2f%s%s\n", paint,
                paint / baseline,
                targeted ? " (target <= 1.5)" : " (every child's size is read once)",
                same ? "" : "   PICTURES DIFFER");
    std::printf("  a bare walk of every record  %9.3f ms   (%zu visited)\n", walk, visited);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::vector<std::size_t> counts;
    for (int i = 1; i < argc; ++i) {
        counts.push_back(std::strtoul(argv[i], nullptr, 10));
    }
    if (counts.empty()) {
        counts = {100000, 1000000};
    }
    for (const std::size_t count : counts) {
        const auto root = zelk::bench::GenerateRecordTree(count, 12);
        Run("generated tree", *root, count, true);
    }
    const std::size_t flat = counts.back();
    const auto root = zelk::bench::GenerateRecordTree(flat, 0);
    Run("every directory below the root", *root, flat, false);
    return 0;
}
