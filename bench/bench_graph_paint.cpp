// Cost of one paint of the graph for generated record trees, offscreen into an image of the
// design size, against painting only the bars at least one pixel tall, collected by a pass over
// the tree beforehand, in the same run. A last case paints a root with every directory directly
// below it: each child's size must still be read once, so that paint costs about a bare walk.
// Then the graph page's own work on a root with a million children and on a chain of a million
// levels: a paint with readable columns, scrolled to the middle and the end of the chain, a zoom
// and a hover hit test, each the first time (nothing kept yet) and at best, against painting only
// the bars in sight, with the longest of them all (the longest gap of the user interface).
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

#include "app/GraphLayout.h"
#include "app/GraphPainter.h"
#include "app/MainFormLayout.h"
#include "app/TCanvas.h"
#include "app/TreeListing.h"
#include "app/WideListIndex.h"
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

// A chain of levels directories, one byte at its end.
std::unique_ptr<zelk::TFileAttr> Chain(int levels) {
    auto root = std::make_unique<zelk::TFileAttr>();
    root->Name = "\\";
    root->Searched = true;
    root->MaxLevel = levels - 1;
    zelk::TFileAttr* at = root.get();
    for (int level = 1; level < levels; ++level) {
        auto child = std::make_unique<zelk::TFileAttr>();
        child->Parent = at;
        child->Level = level;
        child->MaxLevel = levels - 1;
        child->Name = "d" + std::to_string(level);
        child->Searched = true;
        at->Children.push_back(std::move(child));
        at = at->Children.back().get();
    }
    for (zelk::TFileAttr* up = at; up != nullptr; up = up->Parent) {
        up->Size = up->CompressedSize = 1;
    }
    return root;
}

constexpr int kMinColumn = 51;
constexpr std::size_t kWorkPerCall =
    65536;  // as the page  // eight average characters of the window font and the margin
double longestGap = 0;

// The first run and the best of the rest; the first one starts with nothing kept.
struct Timing {
    double first;
    double best;
};

// work returns false for a step that reached the work limit: the next call goes on.
template <typename Work>
Timing Measure(QImage& image, Work work, int& steps) {
    Timing timing{0, 1e300};
    steps = 0;
    for (int run = 0; run < kRepeats;) {
        image.fill(QColor(240, 240, 240));
        QPainter painter(&image);
        zelk::TCanvas canvas(painter, zelk::MainFormFont(96), QColor(240, 240, 240));
        const auto start = Clock::now();
        const bool complete = work(canvas, run);
        const double spent = Milliseconds(start);
        if (run == 0 && steps == 0) {
            timing.first = spent;
        }
        longestGap = std::max(longestGap, spent);
        if (!complete) {
            ++steps;
            continue;
        }
        timing.best = std::min(timing.best, spent);
        ++run;
    }
    return timing;
}

// The bars of the columns from level first to last, by a plain pass beforehand.
std::vector<Bar> VisibleBars(zelk::GraphLayout& layout, int first, int last) {
    std::vector<Bar> bars;
    for (int level = last; level >= first; --level) {
        for (const zelk::GraphBar& bar : *layout.BarsAt(level)) {
            bars.push_back({bar.record, bar.top, bar.height, bar.colour});
        }
    }
    return bars;
}

void Row(const char* what, Timing timing, double baseline, int steps) {
    std::printf("  %-30s first step %8.3f ms (of %d)   best %8.3f ms   ratio %.2f\n", what,
                timing.first, steps + 1, timing.best, timing.best / baseline);
}

// A paint of root's graph scrolled to level at, as the page paints it.
void RunView(const char* label, const zelk::TFileAttr& root, int at) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    std::printf("%s, scrolled to column %d:\n", label, at);
    const int scroll = at * kMinColumn;
    const int last = (scroll + kWidth - 1) / kMinColumn;
    std::vector<Bar> bars;
    {
        zelk::GraphLayout layout(root, 0, kWidth, kHeight, kMinColumn);
        bars = VisibleBars(layout, std::max(at - 1, 0), std::min(last, layout.Levels() - 1));
    }
    const double baseline = BestOf(image, [&](zelk::TCanvas& canvas) {
        for (const Bar& bar : bars) {
            // As PaintBars, shifted by the scroll.
            const int x = bar.record->Level * kMinColumn - scroll;
            canvas.SetPenColor(zelk::GraphColor(bar.colour));
            canvas.SetBrushColor(zelk::GraphColor(bar.colour));
            canvas.SetBrushStyle(zelk::TBrushStyle::Solid);
            canvas.Rectangle(x, bar.top, x + kMinColumn - 1, bar.top + bar.height);
            if (canvas.TextHeight(bar.record->Name.Str()) < bar.height) {
                canvas.SetBrushStyle(zelk::TBrushStyle::Clear);
                canvas.SetFontColor(Qt::black);
                for (const auto& [dx, dy] : {std::pair{2, 2}, {0, 0}, {2, 0}, {0, 2}}) {
                    canvas.TextOut(x + dx, bar.top + dy, bar.record->Name.Str());
                }
                canvas.SetFontColor(Qt::white);
                canvas.TextOut(x + 1, bar.top + 1, bar.record->Name.Str());
            }
        }
    });
    std::printf("  visible bars only (baseline)       %8.3f ms   (%zu bars)\n", baseline,
                bars.size());
    zelk::WideListIndex index;
    int steps = 0;
    const auto paint = [&](zelk::TCanvas& canvas, int) {
        zelk::GraphLayout layout(root, 0, kWidth, kHeight, kMinColumn, &index, kWorkPerCall);
        return zelk::GraphPainter(canvas, layout, scroll, kWidth).Paint();
    };
    Timing timing = Measure(image, paint, steps);
    Row("paint", timing, baseline, steps);
    // Into the deepest directory in sight, or the largest child of a shallow root, its colour
    // taken from its bar.
    const zelk::TFileAttr* into = bars.empty() ? &root : bars.front().record;
    if (into == &root) {
        for (const auto& child : root.Children) {
            into = child->Size > into->Size || into == &root ? child.get() : into;
        }
    }
    timing = Measure(
        image,
        [&](zelk::TCanvas& canvas, int) {
            zelk::GraphLayout whole(root, 0, kWidth, kHeight, kMinColumn, &index, kWorkPerCall);
            zelk::GraphBar bar{};
            const bool found = whole.BarOf(*into, bar);
            zelk::GraphLayout layout(*into, bar.colour, kWidth, kHeight, kMinColumn, &index,
                                     kWorkPerCall);
            // Without a bar of its own (a million equal children) the zoom walks the path instead.
            return zelk::GraphPainter(canvas, layout, 0, kWidth).Paint() &&
                   (found || whole.BarsAt(whole.LevelOf(*into)) != nullptr);
        },
        steps);
    Row("zoom in and paint", timing, baseline, steps);
    zelk::GraphLayout layout(root, 0, kWidth, kHeight, kMinColumn, &index, kWorkPerCall);
    while (layout.BarsAt(at) == nullptr) {
    }
    std::size_t found = 0;
    timing = Measure(
        image,
        [&](zelk::TCanvas&, int run) {
            zelk::GraphLayout hits(root, 0, kWidth, kHeight, kMinColumn, &index, kWorkPerCall);
            found +=
                hits.RecordAt(std::min(at + run % 3, hits.Levels() - 1), kHeight - 1) != nullptr;
            return true;
        },
        steps);
    Row("hover hit test after a paint", timing, baseline, steps);
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
    RunView("a million children of the root", *zelk::bench::GenerateRecordTree(1000000, 0), 0);
    const auto chain = Chain(1000000);
    RunView("a chain of 1,000,000 levels", *chain, 500000);
    RunView("a chain of 1,000,000 levels", *chain, 1000000 - kWidth / kMinColumn);
    std::printf("longest gap of the graph page's work: %.3f ms (target <= 16)\n", longestGap);
    return 0;
}
