#include "app/WideListIndex.h"

#include <algorithm>

namespace zelk {

const std::vector<double>* WideListIndex::RunMaxima(const TFileAttr& record, bool compressed) {
    const auto& children = record.Children;
    if (children.size() < kWide) {
        return nullptr;
    }
    auto& maxima = maxima_[compressed ? 1 : 0];
    const std::size_t count = (children.size() + kRun - 1) / kRun;
    auto found = maxima.find(&record);
    if (found == maxima.end() || found->second.size() != count) {
        std::vector<double> runs(count, 0.0);
        for (std::size_t i = 0; i < children.size(); ++i) {
            const TFileAttr& child = *children[i];
            runs[i / kRun] =
                std::max(runs[i / kRun], compressed ? child.CompressedSize : child.Size);
        }
        found = maxima.insert_or_assign(&record, std::move(runs)).first;
    }
    return &found->second;
}

void WideListIndex::Clear() {
    maxima_[0].clear();
    maxima_[1].clear();
    frontier_.Clear();
}

}  // namespace zelk
