#include "app/RecordSorter.h"

#include <utility>
#include <vector>

namespace zelk {

int CompareAttr(std::string_view key, const TFileAttr& a, const TFileAttr& b) {
    double left = 0;
    double right = 0;
    if (key == "Size") {
        left = a.GetSize();
        right = b.GetSize();
    } else if (key == "Date") {
        left = a.LastWrite;
        right = b.LastWrite;
    } else {
        return 0;
    }
    return left < right ? -1 : (left > right ? 1 : 0);
}

void ExchangeSort(std::string_view key, std::vector<std::unique_ptr<TFileAttr>>& list) {
    const std::size_t n = list.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (CompareAttr(key, *list[i], *list[j]) < 0) {
                std::swap(list[i], list[j]);
            }
        }
    }
}

void SortAttr(std::string_view key, TFileAttr& record) {
    // Post-order with an explicit stack. Sorting one list touches only that list, and every
    // subtree is sorted before its parent's list, which is all the recursive order guarantees.
    struct Frame {
        TFileAttr* record;
        std::size_t next;  // the child to descend into next
    };
    std::vector<Frame> stack{{&record, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.record->Children.size()) {
            TFileAttr* child = top.record->Children[top.next++].get();
            stack.push_back({child, 0});
            continue;
        }
        ExchangeSort(key, top.record->Children);
        stack.pop_back();
    }
}

}  // namespace zelk
