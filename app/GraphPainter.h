#pragma once
// The graph of a finished record tree: one column per depth level, each directory a bar as tall
// as its share of the root's size, its sub-directories stacked inside its extent from the bottom
// up, one column to the right. Drawn afresh on every paint; bars that are 0 pixels tall, and
// everything below them, cost nothing.

#include <QColor>
#include <cstdint>

#include "app/WideListIndex.h"
#include "scan/TFileAttr.h"

namespace zelk {

class TCanvas;

// The colour of a bar by the index its path gives it (white for the root).
QColor GraphColor(int index);

class GraphPainter {
  public:
    // width and height are the surface's size; root is the tree's root, read on the size basis
    // installed now.
    // index, when given, lets wide lists be passed over by runs; it must belong to this tree.
    GraphPainter(TCanvas& canvas, int width, int height, const TFileAttr& root,
                 WideListIndex* index = nullptr);

    // Truncated toward zero. With a root of size 0 the root alone fills the height.
    std::int32_t BarHeight(const TFileAttr& record) const;
    int ColumnWidth() const { return columnWidth_; }

    // The record's subtree, deepest bars first and the last child before its elder siblings,
    // then the record's own bar and label. Walks with a stack of its own, so any depth fits.
    void DrawAttr(const TFileAttr& record, int top, int colourIndex);

  private:
    void DrawBar(const TFileAttr& record, int top, int height, int colourIndex);

    TCanvas& canvas_;
    int height_;
    bool compressed_;
    long double rootSize_;
    const TFileAttr& root_;
    int columnWidth_;
    WideListIndex* index_;
};

// A bar's height on a surface of surfaceHeight pixels, with the root's size read now.
std::int32_t BarHeight(const TFileAttr& record, const TFileAttr& root, int surfaceHeight);

// The graph page's picture: the tree of root once its scan has finished, otherwise nothing.
void PaintGraph(TCanvas& canvas, int width, int height, const TFileAttr* root,
                WideListIndex* index = nullptr);

}  // namespace zelk
