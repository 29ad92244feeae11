#include "app/TreeSort.h"

#include <utility>

#include "app/RecordSorter.h"

namespace zelk {

TreeSort::TreeSort(std::string key, TFileAttr& root, const ScanComparison* comparison)
    : key_(std::move(key)), comparison_(comparison), stack_{{&root, 0}} {}

bool TreeSort::Step(std::size_t budget) {
    // Post-order with an explicit stack. Sorting one list touches only that list, and every
    // subtree is sorted before its parent's list, which is all the recursive order guarantees.
    std::size_t placed = 0;
    while (!stack_.empty() && placed < budget) {
        Frame& top = stack_.back();
        if (top.next < top.record->Children.size()) {
            TFileAttr* child = top.record->Children[top.next++].get();
            stack_.push_back({child, 0});
            continue;
        }
        SortChildren(key_, top.record->Children, comparison_);
        placed += top.record->Children.size() + 1;
        stack_.pop_back();
    }
    return stack_.empty();
}

}  // namespace zelk
