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

std::string TFileAttr::Path() const {
    std::vector<const TFileAttr*> chain;
    std::size_t length = 2;
    const TFileAttr* root = this;
    for (; root->Parent != nullptr; root = root->Parent) {
        chain.push_back(root);
        length += 1 + root->Name.size();
    }
    std::string path;
    path.reserve(length);
    if (root->Drive != 0) {
        path.push_back(root->Drive);
    }
    path.push_back(':');
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        path.push_back('\\');
        path.append((*at)->Name.View());
    }
    return path;
}

}  // namespace zelk
