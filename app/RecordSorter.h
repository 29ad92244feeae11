#pragma once
// Orders a record tree in place, at every level, largest or newest first.

#include <memory>
#include <string_view>
#include <vector>

#include "scan/ScanComparison.h"
#include "scan/TFileAttr.h"

namespace zelk {

// -1, 0 or 1 as a is below, equal to or above b under the key: "Size" compares GetSize,
// "Date" LastWrite (0, unknown, below every date); any other key makes every pair equal.
int CompareAttr(std::string_view key, const TFileAttr& a, const TFileAttr& b);

// Sorts every Children list below record, children's subtrees before their parent's list. Any
// depth fits the stack.
void SortAttr(std::string_view key, TFileAttr& record);

// One list in descending order of the key, each child's key read once; children that compare
// equal keep their order. "Growth" orders by the growth since comparison's baseline on the size
// basis in force, a new directory's being its whole size; without a comparison it is any other
// key.
void SortChildren(std::string_view key, std::vector<std::unique_ptr<TFileAttr>>& list,
                  const ScanComparison* comparison = nullptr);

}  // namespace zelk
