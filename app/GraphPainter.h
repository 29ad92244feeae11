#pragma once
// The graph of a finished record tree: one column per depth level, each directory a bar as tall
// as its share of the shown root's size, its sub-directories stacked inside its extent from the
// bottom up, one column to the right. Drawn afresh on every paint, only the columns in sight;
// bars that are 0 pixels tall, and everything below them, cost nothing.

#include <QColor>
#include <climits>
#include <cstdint>
#include <optional>

#include "app/GraphGrowth.h"
#include "app/GraphLayout.h"
#include "app/WideListIndex.h"
#include "scan/TFileAttr.h"

namespace zelk {

class TCanvas;

// The colour of a bar by the index its path gives it (white for the root).
QColor GraphColor(int index);

class GraphPainter {
  public:
    // The whole graph of root on a surface of width × height, every level inside the width;
    // root is read on the size basis installed now. index, when given, lets wide lists be
    // passed over by runs; it must belong to this tree.
    GraphPainter(TCanvas& canvas, int width, int height, const TFileAttr& root,
                 WideListIndex* index = nullptr);
    // The part of layout's graph from scroll pixels on, visibleWidth wide.
    GraphPainter(TCanvas& canvas, GraphLayout& layout, int scroll, int visibleWidth);

    std::int32_t BarHeight(const TFileAttr& record) const { return layout_.BarHeight(record); }
    int ColumnWidth() const { return layout_.ColumnWidth(); }

    // While comparing, bars take the colours of growth; nullptr for the colours of their paths.
    void SetGrowth(const GraphGrowth* growth) { growth_ = growth; }
    // Every column in sight; false, with nothing painted, when the layout's work limit was
    // reached before the first of them.
    bool Paint();
    // The record's subtree, deepest bars first and the last child before its elder siblings,
    // then the record's own bar and label. Walks with a stack of its own, so any depth fits.
    void DrawAttr(const TFileAttr& record, int top, int colourIndex);
    // A black frame with a white one inside it: one of the two stands out on every colour.
    void DrawOutline(const GraphBar& bar);

  private:
    void DrawFrom(const GraphBar& bar);
    void DrawBar(const GraphBar& bar);
    int Left(const TFileAttr& record) const;

    TCanvas& canvas_;
    std::optional<GraphLayout> own_;
    GraphLayout& layout_;
    int scroll_ = 0;
    int firstLevel_ = 0;
    int lastLevel_ = INT_MAX;
    const GraphGrowth* growth_ = nullptr;
};

// A bar's height on a surface of surfaceHeight pixels, with the root's size read now.
std::int32_t BarHeight(const TFileAttr& record, const TFileAttr& root, int surfaceHeight);

// The graph page's picture: the tree of root once its scan has finished, otherwise nothing.
void PaintGraph(TCanvas& canvas, int width, int height, const TFileAttr* root,
                WideListIndex* index = nullptr);

}  // namespace zelk
