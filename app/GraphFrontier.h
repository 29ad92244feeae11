#pragma once
// The bars of one column of the graph, kept for some columns so that a paint, a hit test or an
// outline far right in a deep graph starts from a nearby kept column instead of the root. Every
// column holds at most one bar per pixel row, so a kept column is small whatever the tree holds.

#include <cstddef>
#include <map>
#include <vector>

#include "scan/TFileAttr.h"

namespace zelk {

struct GraphBar {
    const TFileAttr* record;
    int top;
    int height;
    int colour;  // reduced modulo the eight colours
};

class GraphFrontier {
  public:
    // Columns kept for good at every multiple of this level, and a few recent ones beside.
    static constexpr int kStride = 1024;
    static constexpr std::size_t kRecent = 32;

    // Forgets every column unless they were made for the same shown root, height and basis.
    void Key(const TFileAttr* root, int height, bool compressed);
    // The kept column nearest at or left of level, or nullptr.
    const std::vector<GraphBar>* Nearest(int level, int& keptLevel) const;
    void Keep(int level, const std::vector<GraphBar>& bars);
    void Clear();

  private:
    const TFileAttr* root_ = nullptr;
    int height_ = -1;
    bool compressed_ = false;
    std::map<int, std::vector<GraphBar>> columns_;
    std::vector<int> recent_;  // kept levels off the stride, oldest first
};

}  // namespace zelk
