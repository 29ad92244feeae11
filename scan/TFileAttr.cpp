#include "scan/TFileAttr.h"

#include "scan/SizeBasis.h"

namespace zelk {

std::atomic<long> TFileAttr::liveCount_{0};

TFileAttr::TFileAttr() {
    liveCount_.fetch_add(1, std::memory_order_relaxed);
}

TFileAttr::~TFileAttr() {
    // Each record is emptied of its children before it dies, so no destructor below this one
    // ever has a child left to free.
    std::vector<std::unique_ptr<TFileAttr>> pending = std::move(Children);
    while (!pending.empty()) {
        std::unique_ptr<TFileAttr> record = std::move(pending.back());
        pending.pop_back();
        for (auto& child : record->Children) {
            pending.push_back(std::move(child));
        }
        record->Children.clear();
    }
    liveCount_.fetch_sub(1, std::memory_order_relaxed);
}

double TFileAttr::GetSize() const {
    const SizeBasisProvider* basis = InstalledSizeBasis();
    return basis != nullptr && basis->CompressedBasis() ? CompressedSize : Size;
}

}  // namespace zelk
