#include "app/RecordSorter.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "app/TreeSort.h"

namespace zelk {
namespace {

// An unknown date (0) sorts below every real one, also those before 1899/12/30 (negative).
double DateKey(const TFileAttr& record) {
    return record.LastWrite == 0 ? -std::numeric_limits<double>::infinity() : record.LastWrite;
}

}  // namespace

int CompareAttr(std::string_view key, const TFileAttr& a, const TFileAttr& b) {
    double left = 0;
    double right = 0;
    if (key == "Size") {
        left = a.GetSize();
        right = b.GetSize();
    } else if (key == "Date") {
        left = DateKey(a);
        right = DateKey(b);
    } else {
        return 0;
    }
    return left < right ? -1 : (left > right ? 1 : 0);
}

void SortChildren(std::string_view key, std::vector<std::unique_ptr<TFileAttr>>& list,
                  const ScanComparison* comparison) {
    const bool bySize = key == "Size";
    const bool byGrowth = key == "Growth" && comparison != nullptr;
    if (list.size() < 2 || (!bySize && !byGrowth && key != "Date")) {
        return;  // under any other key every pair is equal: the order stays
    }
    const SizeBasis basis = CurrentSizeBasis();
    const auto keyOf = [&](const TFileAttr& record) {
        if (byGrowth) {
            return comparison->Growth(record, basis)
                .value_or(ScanComparison::SizeOn(record, basis));
        }
        return bySize ? record.GetSize() : DateKey(record);
    };
    struct Entry {
        double key;
        std::size_t at;
    };
    std::vector<Entry> order;
    order.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        order.push_back({keyOf(*list[i]), i});
    }
    // The earlier place breaks ties, which makes the plain sort stable.
    std::sort(order.begin(), order.end(), [](const Entry& a, const Entry& b) {
        return a.key > b.key || (!(b.key > a.key) && a.at < b.at);
    });
    std::vector<std::unique_ptr<TFileAttr>> sorted;
    sorted.reserve(list.size());
    for (const Entry& entry : order) {
        sorted.push_back(std::move(list[entry.at]));
    }
    list = std::move(sorted);
}

void SortAttr(std::string_view key, TFileAttr& record) {
    TreeSort sort(std::string(key), record);
    while (!sort.Step(SIZE_MAX)) {
    }
}

}  // namespace zelk
