#include "app/GraphFrontier.h"

#include <algorithm>

namespace zelk {

void GraphFrontier::Key(const TFileAttr* root, int height, bool compressed) {
    const auto same = [&](const Graph& graph) {
        return graph.root == root && graph.height == height && graph.compressed == compressed;
    };
    if (!graphs_.empty() && same(graphs_.back())) {
        return;
    }
    const auto found = std::find_if(graphs_.begin(), graphs_.end(), same);
    Graph graph;
    if (found != graphs_.end()) {
        graph = std::move(*found);
        graphs_.erase(found);
    } else {
        graph.root = root;
        graph.height = height;
        graph.compressed = compressed;
        if (graphs_.size() == kRoots) {
            graphs_.erase(graphs_.begin());
        }
    }
    graphs_.push_back(std::move(graph));
}

const std::vector<GraphBar>* GraphFrontier::Nearest(int level, int& keptLevel) const {
    if (graphs_.empty()) {
        return nullptr;
    }
    const auto& columns = graphs_.back().columns;
    auto found = columns.upper_bound(level);
    if (found == columns.begin()) {
        return nullptr;
    }
    --found;
    keptLevel = found->first;
    return &found->second;
}

void GraphFrontier::Keep(int level, const std::vector<GraphBar>& bars) {
    if (graphs_.empty()) {
        return;
    }
    Graph& graph = graphs_.back();
    if (!graph.columns.emplace(level, bars).second || level % kStride == 0) {
        return;
    }
    graph.recent.push_back(level);
    if (graph.recent.size() > kRecent) {
        graph.columns.erase(graph.recent.front());
        graph.recent.erase(graph.recent.begin());
    }
}

void GraphFrontier::Clear() {
    graphs_.clear();
}

}  // namespace zelk
