#include "app/GraphPainter.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "app/TCanvas.h"

namespace zelk {
namespace {

constexpr int kColours = 8;

}  // namespace

QColor GraphColor(int index) {
    static const std::array<QColor, kColours> colours = {
        QColor(255, 255, 255), QColor(255, 0, 255), QColor(0, 255, 0), QColor(128, 128, 0),
        QColor(0, 0, 255),     QColor(0, 128, 0),   QColor(128, 0, 0), QColor(0, 0, 128),
    };
    // Only the index modulo 8 picks a colour.
    const int reduced = index % kColours;
    return colours[static_cast<std::size_t>(reduced < 0 ? reduced + kColours : reduced)];
}

GraphPainter::GraphPainter(TCanvas& canvas, int width, int height, const TFileAttr& root,
                           WideListIndex* index)
    : canvas_(canvas), own_(std::in_place, root, 0, width, height, 0, index), layout_(*own_) {}

GraphPainter::GraphPainter(TCanvas& canvas, GraphLayout& layout, int scroll, int visibleWidth)
    : canvas_(canvas), layout_(layout), scroll_(scroll) {
    const int column = layout.ColumnWidth();
    if (column > 0) {
        // One column more on the left: its label may reach into the first one in sight.
        firstLevel_ = std::max(scroll / column - 1, 0);
        lastLevel_ =
            std::min((static_cast<std::int64_t>(scroll) + std::max(visibleWidth, 1) - 1) / column,
                     static_cast<std::int64_t>(layout.Levels() - 1));
    }
}

bool GraphPainter::Paint() {
    const std::vector<GraphBar>* column = layout_.BarsAt(firstLevel_);
    if (column == nullptr) {
        return false;
    }
    const std::vector<GraphBar> bars = *column;
    // The lowest bar's subtree first, as the walk from the root would.
    for (auto bar = bars.rbegin(); bar != bars.rend(); ++bar) {
        DrawFrom(*bar);
    }
    return true;
}

void GraphPainter::DrawAttr(const TFileAttr& record, int top, int colourIndex) {
    const int height = BarHeight(record);
    if (height > 0) {
        DrawFrom({&record, top, height, ((colourIndex % kColours) + kColours) % kColours});
    }
}

void GraphPainter::DrawFrom(const GraphBar& bar) {
    std::vector<GraphLayout::Children> stack;
    const auto open = [&](const GraphBar& of) {
        GraphLayout::Children children = layout_.ChildrenOf(of);
        if (layout_.LevelOf(*of.record) >= lastLevel_) {
            children.unvisited = 0;  // right of the part in sight
        }
        stack.push_back(children);
    };
    open(bar);
    while (!stack.empty()) {
        GraphBar child{};
        if (layout_.Next(stack.back(), child)) {
            open(child);
            continue;
        }
        const GraphBar done = stack.back().parent;
        stack.pop_back();
        DrawBar(done);
    }
}

int GraphPainter::Left(const TFileAttr& record) const {
    return static_cast<int>(
        static_cast<std::int64_t>(layout_.LevelOf(record)) * layout_.ColumnWidth() - scroll_);
}

void GraphPainter::DrawBar(const GraphBar& bar) {
    const int x = Left(*bar.record);
    const int columnWidth = layout_.ColumnWidth();
    const QColor colour = growth_ != nullptr ? GraphGrowth::ColorOf(growth_->KindOf(*bar.record))
                                             : GraphColor(bar.colour);
    canvas_.SetPenColor(colour);
    canvas_.SetBrushColor(colour);
    canvas_.SetBrushStyle(TBrushStyle::Solid);
    canvas_.Rectangle(x, bar.top, x + columnWidth - 1, bar.top + bar.height);
    const std::string name = bar.record->Name.Str();
    if (canvas_.TextHeight(name) >= bar.height) {
        return;
    }
    canvas_.SetBrushStyle(TBrushStyle::Clear);
    canvas_.SetFontColor(Qt::black);
    canvas_.TextOut(x + 2, bar.top + 2, name);
    canvas_.TextOut(x, bar.top, name);
    canvas_.TextOut(x + 2, bar.top, name);
    canvas_.TextOut(x, bar.top + 2, name);
    canvas_.SetFontColor(Qt::white);
    canvas_.TextOut(x + 1, bar.top + 1, name);
}

void GraphPainter::DrawOutline(const GraphBar& bar) {
    const int x = Left(*bar.record);
    const int right = x + layout_.ColumnWidth() - 1;
    canvas_.SetBrushStyle(TBrushStyle::Clear);
    canvas_.SetPenColor(Qt::black);
    canvas_.Rectangle(x, bar.top, right, bar.top + bar.height);
    canvas_.SetPenColor(Qt::white);
    canvas_.Rectangle(x + 1, bar.top + 1, right - 1, bar.top + bar.height - 1);
}

std::int32_t BarHeight(const TFileAttr& record, const TFileAttr& root, int surfaceHeight) {
    return GraphLayout(root, 0, 1, surfaceHeight, 0).BarHeight(record);
}

void PaintGraph(TCanvas& canvas, int width, int height, const TFileAttr* root,
                WideListIndex* index) {
    if (root == nullptr || !root->Searched) {
        return;
    }
    GraphLayout layout(*root, 0, width, height, 0, index);
    GraphPainter(canvas, layout, 0, width).Paint();
}

}  // namespace zelk
