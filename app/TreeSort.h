#pragma once
// Sorting a record tree in steps: every Children list, children's subtrees before their
// parent's list, each step sorting lists until it has moved a given number of children, so that
// a tree of a million directories can be sorted without holding the event loop.

#include <cstddef>
#include <string>
#include <vector>

#include "scan/ScanComparison.h"
#include "scan/TFileAttr.h"

namespace zelk {

class TreeSort {
  public:
    // The records (and the comparison a "Growth" sort reads) must stay while the sort has steps
    // left.
    TreeSort(std::string key, TFileAttr& root, const ScanComparison* comparison = nullptr);

    // Sorts lists until about budget children have been placed; true once the whole tree is
    // sorted.
    bool Step(std::size_t budget);

  private:
    struct Frame {
        TFileAttr* record;
        std::size_t next;  // the child to descend into next
    };
    std::string key_;
    const ScanComparison* comparison_;
    std::vector<Frame> stack_;
};

}  // namespace zelk
