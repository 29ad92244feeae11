#pragma once
// Where the graph's bars lie: the column width, each bar's extent and colour, the bar under a
// point and the bar of a record, for a shown root that is the drive's root or a directory below
// it. Columns never get narrower than a readable width: when the levels do not fit the page,
// the graph is wider than the page. Work is done per column shown, not per record held.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/GraphFrontier.h"
#include "app/WideListIndex.h"
#include "scan/TFileAttr.h"

namespace zelk {

class GraphLayout {
  public:
    // root's bar fills height and is drawn in colour rootColour (its colour in the drive's
    // picture); width is the page's. index, when given, must belong to this tree; it also keeps
    // columns from one layout to the next. work limits the children looked at per call of
    // BarsAt, RecordAt and BarOf: a column further from the nearest kept one than that takes
    // several calls, each keeping its progress, so no call holds the user interface for long.
    GraphLayout(const TFileAttr& root, int rootColour, int width, int height, int minColumn,
                WideListIndex* index = nullptr, std::size_t work = SIZE_MAX);
    // Its columns may be kept inside itself.
    GraphLayout(const GraphLayout&) = delete;
    GraphLayout& operator=(const GraphLayout&) = delete;

    // The sum of the colour steps from below up to record, modulo the colours.
    static int PathColour(const TFileAttr& record, const TFileAttr* below = nullptr);

    const TFileAttr& Root() const { return root_; }
    int Height() const { return height_; }
    int ColumnWidth() const { return columnWidth_; }
    int Levels() const { return levels_; }
    // The page's width when every level fits it, else the width of all columns.
    std::int64_t GraphWidth() const;
    int LevelOf(const TFileAttr& record) const { return record.Level - root_.Level; }
    // Truncated toward zero; with a root of size 0 the root alone fills the height.
    std::int32_t BarHeight(const TFileAttr& record) const;

    // The children of a bar as they are stacked: the last child first, at the bottom, each on
    // the one below it, until the bar's extent is used up.
    struct Children {
        GraphBar parent;
        int bottom;
        std::size_t unvisited;
        const std::vector<double>* runs;  // the run maxima of a wide list, or nullptr
    };
    Children ChildrenOf(const GraphBar& bar) const;
    // The next child with a bar at least one pixel tall; false when there is none.
    bool Next(Children& children, GraphBar& child) const;

    // Every bar of the column at level (0 is the root's), top to bottom; nullptr when the work
    // limit was reached first.
    const std::vector<GraphBar>* BarsAt(int level);
    // The record whose bar holds the point y of the column at level, or nullptr.
    const TFileAttr* RecordAt(int level, int y);
    // False when record is not below the root, its bar is not one pixel tall or the work limit
    // was reached first.
    bool BarOf(const TFileAttr& record, GraphBar& bar);

  private:
    std::int32_t HeightOf(const TFileAttr& record, double size) const;

    const TFileAttr& root_;
    int rootColour_;
    int width_;
    int height_;
    bool compressed_;
    long double rootSize_;
    int levels_;
    int columnWidth_;
    WideListIndex* index_;
    GraphFrontier own_;
    GraphFrontier& frontier_;
    std::vector<GraphBar> column_;
    int columnLevel_ = -1;
    std::size_t budget_;
};

}  // namespace zelk
