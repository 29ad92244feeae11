#include "app/GraphPainter.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <vector>

#include "app/TCanvas.h"
#include "runtime/CheckedMath.h"
#include "scan/SizeBasis.h"

namespace zelk {
namespace {

constexpr int kColours = 8;

// Only the index modulo 8 picks a colour, so indices are kept reduced: a path of many wide
// levels would overflow the plain sum.
int ReducedIndex(long long index) {
    const long long reduced = index % kColours;
    return static_cast<int>(reduced < 0 ? reduced + kColours : reduced);
}

std::int32_t BarHeightWith(const TFileAttr& record, long double size, const TFileAttr& root,
                           long double rootSize, int surfaceHeight) {
    if (rootSize == 0) {
        // An empty drive (or an empty compressed total) still shows its root.
        return &record == &root ? surfaceHeight : 0;
    }
    if (size == rootSize) {
        return surfaceHeight;  // exactly the full height, whatever the rounding of the quotient
    }
    const long double share = CheckedDivide(size * surfaceHeight, rootSize);
    const long double limit = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(share, -limit, limit));
}

}  // namespace

QColor GraphColor(int index) {
    static const std::array<QColor, kColours> colours = {
        QColor(255, 255, 255), QColor(255, 0, 255), QColor(0, 255, 0), QColor(128, 128, 0),
        QColor(0, 0, 255),     QColor(0, 128, 0),   QColor(128, 0, 0), QColor(0, 0, 128),
    };
    return colours[static_cast<std::size_t>(ReducedIndex(index))];
}

GraphPainter::GraphPainter(TCanvas& canvas, int width, int height, const TFileAttr& root,
                           WideListIndex* index)
    : canvas_(canvas),
      height_(height),
      compressed_(InstalledSizeBasis() != nullptr && InstalledSizeBasis()->CompressedBasis()),
      rootSize_(root.GetSize()),
      root_(root),
      columnWidth_(static_cast<int>(
          CheckedIntDivide(static_cast<std::int64_t>(width),
                           static_cast<std::int64_t>(std::max(root.MaxLevel, 0)) + 1))),
      index_(index) {}

std::int32_t GraphPainter::BarHeight(const TFileAttr& record) const {
    // The basis read once per paint: a root of a million children reads a million sizes.
    return BarHeightWith(record, compressed_ ? record.CompressedSize : record.Size, root_,
                         rootSize_, height_);
}

void GraphPainter::DrawAttr(const TFileAttr& record, int top, int colourIndex) {
    struct Frame {
        const TFileAttr* record;
        int top;
        int height;
        int bottom;  // the lower edge of the part of the extent not yet given to children
        int colour;
        std::size_t unvisited;            // children still to draw, taken from the last
        const std::vector<double>* runs;  // the run maxima of a wide list, or nullptr
    };
    const auto runsOf = [this](const TFileAttr& of) {
        return index_ != nullptr ? index_->RunMaxima(of, compressed_) : nullptr;
    };
    const int height = BarHeight(record);
    if (height <= 0) {
        return;  // no bar, no label, and every bar below is as empty
    }
    std::vector<Frame> stack;
    stack.push_back({&record, top, height, top + height, ReducedIndex(colourIndex),
                     record.Children.size(), runsOf(record)});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.unvisited == 0 || frame.bottom == frame.top) {
            // Nothing left of the extent for the remaining children: they would all be empty.
            const Frame done = frame;
            stack.pop_back();
            DrawBar(*done.record, done.top, done.height, done.colour);
            continue;
        }
        if (frame.runs != nullptr) {
            // A run whose largest child gets no pixel is passed over whole.
            const std::size_t first =
                (frame.unvisited - 1) / WideListIndex::kRun * WideListIndex::kRun;
            const TFileAttr& any = *frame.record->Children[first];
            if (BarHeightWith(any, (*frame.runs)[first / WideListIndex::kRun], root_, rootSize_,
                              height_) <= 0) {
                frame.unvisited = first;
                continue;
            }
        }
        const std::size_t i = --frame.unvisited;
        const TFileAttr& child = *frame.record->Children[i];
        // Truncation alone keeps the children inside; the bound also holds against rounding.
        const int childHeight = std::min(BarHeight(child), frame.bottom - frame.top);
        if (childHeight <= 0) {
            continue;
        }
        frame.bottom -= childHeight;
        const Frame next{&child,
                         frame.bottom,
                         childHeight,
                         frame.bottom + childHeight,
                         ReducedIndex(static_cast<long long>(frame.colour) +
                                      static_cast<long long>(i % kColours)),
                         child.Children.size(),
                         runsOf(child)};
        stack.push_back(next);
    }
}

void GraphPainter::DrawBar(const TFileAttr& record, int top, int height, int colourIndex) {
    const int x = static_cast<int>(static_cast<std::int64_t>(record.Level) * columnWidth_);
    const QColor colour = GraphColor(colourIndex);
    canvas_.SetPenColor(colour);
    canvas_.SetBrushColor(colour);
    canvas_.SetBrushStyle(TBrushStyle::Solid);
    canvas_.Rectangle(x, top, x + columnWidth_ - 1, top + height);
    const std::string name = record.Name.Str();
    if (canvas_.TextHeight(name) >= height) {
        return;
    }
    canvas_.SetBrushStyle(TBrushStyle::Clear);
    canvas_.SetFontColor(Qt::black);
    canvas_.TextOut(x + 2, top + 2, name);
    canvas_.TextOut(x, top, name);
    canvas_.TextOut(x + 2, top, name);
    canvas_.TextOut(x, top + 2, name);
    canvas_.SetFontColor(Qt::white);
    canvas_.TextOut(x + 1, top + 1, name);
}

std::int32_t BarHeight(const TFileAttr& record, const TFileAttr& root, int surfaceHeight) {
    return BarHeightWith(record, record.GetSize(), root, root.GetSize(), surfaceHeight);
}

void PaintGraph(TCanvas& canvas, int width, int height, const TFileAttr* root,
                WideListIndex* index) {
    if (root == nullptr || !root->Searched) {
        return;
    }
    GraphPainter(canvas, width, height, *root, index).DrawAttr(*root, 0, 0);
}

}  // namespace zelk
