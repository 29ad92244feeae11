#include "app/GraphLayout.h"

#include <algorithm>
#include <limits>

#include "app/TreeListing.h"
#include "runtime/CheckedMath.h"
#include "scan/SizeBasis.h"

namespace zelk {
namespace {

constexpr int kColours = 8;

int MixedColour(int colour, std::size_t child) {
    return static_cast<int>((static_cast<std::size_t>(colour) + child % kColours) % kColours);
}

}  // namespace

int GraphLayout::PathColour(const TFileAttr& record, const TFileAttr* below) {
    int sum = 0;
    for (const TFileAttr* up = &record; up != below && up->Parent != nullptr; up = up->Parent) {
        sum = MixedColour(sum, ChildIndex(*up));
    }
    return sum;
}

GraphLayout::GraphLayout(const TFileAttr& root, int rootColour, int width, int height,
                         int minColumn, WideListIndex* index, std::size_t work)
    : root_(root),
      rootColour_(((rootColour % kColours) + kColours) % kColours),
      width_(width),
      height_(height),
      compressed_(InstalledSizeBasis() != nullptr && InstalledSizeBasis()->CompressedBasis()),
      rootSize_(compressed_ ? root.CompressedSize : root.Size),
      levels_(std::max(root.MaxLevel - root.Level, 0) + 1),
      columnWidth_(std::max(static_cast<int>(CheckedIntDivide(static_cast<std::int64_t>(width),
                                                              static_cast<std::int64_t>(levels_))),
                            minColumn)),
      index_(index),
      frontier_(index != nullptr ? index->Frontier() : own_),
      budget_(work) {
    frontier_.Key(&root_, height_, compressed_);
}

std::int64_t GraphLayout::GraphWidth() const {
    return std::max<std::int64_t>(width_, static_cast<std::int64_t>(levels_) * columnWidth_);
}

std::int32_t GraphLayout::HeightOf(const TFileAttr& record, double size) const {
    if (rootSize_ == 0) {
        // An empty drive (or an empty compressed total) still shows its root.
        return &record == &root_ ? height_ : 0;
    }
    if (size == rootSize_) {
        return height_;  // exactly the full height, whatever the rounding of the quotient
    }
    const long double share = CheckedDivide(size * height_, rootSize_);
    const long double limit = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(share, -limit, limit));
}

std::int32_t GraphLayout::BarHeight(const TFileAttr& record) const {
    // The basis read once per layout: a root of a million children reads a million sizes.
    return HeightOf(record, compressed_ ? record.CompressedSize : record.Size);
}

GraphLayout::Children GraphLayout::ChildrenOf(const GraphBar& bar) const {
    const std::vector<double>* runs =
        index_ != nullptr ? index_->RunMaxima(*bar.record, compressed_) : nullptr;
    return {bar, bar.top + bar.height, bar.record->Children.size(), runs};
}

bool GraphLayout::Next(Children& children, GraphBar& child) const {
    const auto& list = children.parent.record->Children;
    while (children.unvisited > 0 && children.bottom > children.parent.top) {
        if (children.runs != nullptr) {
            // A run whose largest child gets no pixel is passed over whole.
            const std::size_t first =
                (children.unvisited - 1) / WideListIndex::kRun * WideListIndex::kRun;
            if (HeightOf(*list[first], (*children.runs)[first / WideListIndex::kRun]) <= 0) {
                children.unvisited = first;
                continue;
            }
        }
        const std::size_t i = --children.unvisited;
        const TFileAttr& record = *list[i];
        // Truncation alone keeps the children inside; the bound also holds against rounding.
        const int height = std::min(BarHeight(record), children.bottom - children.parent.top);
        if (height <= 0) {
            continue;
        }
        children.bottom -= height;
        child = {&record, children.bottom, height, MixedColour(children.parent.colour, i)};
        return true;
    }
    return false;
}

const std::vector<GraphBar>* GraphLayout::BarsAt(int level) {
    if (level == columnLevel_) {
        return &column_;
    }
    int at = 0;
    const std::vector<GraphBar>* kept = frontier_.Nearest(level, at);
    if (kept != nullptr) {
        column_ = *kept;
    } else {
        column_.clear();
        const int height = BarHeight(root_);
        if (height > 0) {
            column_.push_back({&root_, 0, height, rootColour_});
        }
        frontier_.Keep(0, column_);
    }
    std::vector<GraphBar> next;
    std::size_t spent = 0;
    while (at < level && !column_.empty()) {
        if (spent > budget_) {
            frontier_.Keep(at, column_);  // the next call goes on from here
            columnLevel_ = -1;
            return nullptr;
        }
        next.clear();
        // Bottom bar first and each bar's children bottom up: the column comes out reversed.
        for (auto bar = column_.rbegin(); bar != column_.rend(); ++bar) {
            Children children = ChildrenOf(*bar);
            const std::size_t listed = children.unvisited;
            for (GraphBar child{}; Next(children, child);) {
                next.push_back(child);
            }
            spent += 1 + (listed - children.unvisited) / (children.runs != nullptr ? 64 : 1);
        }
        std::reverse(next.begin(), next.end());
        column_.swap(next);
        ++at;
        if (at % GraphFrontier::kStride == 0) {
            frontier_.Keep(at, column_);
        }
    }
    if (at < level) {
        column_.clear();  // nothing this deep has a pixel
    }
    frontier_.Keep(level, column_);
    columnLevel_ = level;
    return &column_;
}

const TFileAttr* GraphLayout::RecordAt(int level, int y) {
    if (level < 0 || level >= levels_) {
        return nullptr;
    }
    const std::vector<GraphBar>* column = BarsAt(level);
    if (column == nullptr) {
        return nullptr;
    }
    const std::vector<GraphBar>& bars = *column;
    auto after = std::upper_bound(bars.begin(), bars.end(), y,
                                  [](int at, const GraphBar& bar) { return at < bar.top; });
    if (after == bars.begin()) {
        return nullptr;
    }
    --after;
    return y < after->top + after->height ? after->record : nullptr;
}

bool GraphLayout::BarOf(const TFileAttr& record, GraphBar& bar) {
    const int level = LevelOf(record);
    if (level < 0 || level >= levels_) {
        return false;
    }
    // A column holds only bars below the root: no walk up the record's path is needed.
    const std::vector<GraphBar>* column = BarsAt(level);
    if (column == nullptr) {
        return false;
    }
    for (const GraphBar& candidate : *column) {
        if (candidate.record == &record) {
            bar = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace zelk
