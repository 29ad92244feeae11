#include "app/GraphFrontier.h"

#include <algorithm>
#include <iterator>

namespace zelk {

void GraphFrontier::Key(const TFileAttr* root, int height, bool compressed) {
    if (root != root_ || height != height_ || compressed != compressed_) {
        Clear();
        root_ = root;
        height_ = height;
        compressed_ = compressed;
    }
}

const std::vector<GraphBar>* GraphFrontier::Nearest(int level, int& keptLevel) const {
    auto found = columns_.upper_bound(level);
    if (found == columns_.begin()) {
        return nullptr;
    }
    --found;
    keptLevel = found->first;
    return &found->second;
}

void GraphFrontier::Keep(int level, const std::vector<GraphBar>& bars) {
    if (columns_.contains(level)) {
        return;
    }
    columns_.emplace(level, bars);
    if (level % kStride == 0) {
        return;
    }
    recent_.push_back(level);
    if (recent_.size() > kRecent) {
        columns_.erase(recent_.front());
        recent_.erase(recent_.begin());
    }
}

void GraphFrontier::Clear() {
    columns_.clear();
    recent_.clear();
    root_ = nullptr;
    height_ = -1;
}

}  // namespace zelk
