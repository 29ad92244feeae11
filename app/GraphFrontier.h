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

    // Makes the columns of this shown root, height and basis the ones read and kept; those of
    // a few others stay too, so zooming in and out again starts from what was kept.
    static constexpr std::size_t kRoots = 4;
    void Key(const TFileAttr* root, int height, bool compressed);
    // The kept column nearest at or left of level, or nullptr.
    const std::vector<GraphBar>* Nearest(int level, int& keptLevel) const;
    void Keep(int level, const std::vector<GraphBar>& bars);
    void Clear();

  private:
    struct Graph {
        const TFileAttr* root = nullptr;
        int height = -1;
        bool compressed = false;
        std::map<int, std::vector<GraphBar>> columns;
        std::vector<int> recent;  // kept levels off the stride, oldest first
    };
    std::vector<Graph> graphs_;  // the one in use last
};

}  // namespace zelk
