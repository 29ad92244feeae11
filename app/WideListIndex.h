#pragma once
// For the graph of directories with very many children: the largest size, on each basis, of
// each run of consecutive children, so that a paint passes over runs whose bars are all 0 pixels
// tall without reading a million sizes; and the graph's kept columns. Built on first use;
// cleared whenever the record tree or its order changes.

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "app/GraphFrontier.h"
#include "scan/TFileAttr.h"

namespace zelk {

class WideListIndex {
  public:
    static constexpr std::size_t kRun = 256;
    // Lists shorter than this are read child by child.
    static constexpr std::size_t kWide = 4096;

    // The run maxima of record's children (run r covers children r * kRun onwards), or nullptr
    // for a list too short to need them.
    const std::vector<double>* RunMaxima(const TFileAttr& record, bool compressed);
    GraphFrontier& Frontier() { return frontier_; }
    void Clear();

  private:
    GraphFrontier frontier_;
    std::unordered_map<const TFileAttr*, std::vector<double>> maxima_[2];
};

}  // namespace zelk
