#include "app/TreePlace.h"

#include <QScrollBar>
#include <algorithm>
#include <utility>

#include "app/TTreeView.h"

namespace zelk {
namespace {

std::vector<std::vector<std::string>> ExpandedBelow(const TTreeView& tree, const TTreeNode& node) {
    std::vector<std::vector<std::string>> found;
    std::vector<std::pair<const TTreeNode*, std::vector<std::string>>> stack{{&node, {}}};
    while (!stack.empty()) {
        const auto [at, path] = std::move(stack.back());
        stack.pop_back();
        for (int i = 0; i < at->Count(); ++i) {
            TTreeNode* child = at->Item(i);
            if (tree.isExpanded(tree.Model().IndexOf(child))) {
                found.push_back(path);
                found.back().push_back(child->ListedFigures().Name.Str());
                stack.emplace_back(child, found.back());
            }
        }
    }
    return found;
}

// The names from below node down to the tree's current node, empty unless it lies below node.
std::vector<std::string> CurrentBelow(const TTreeView& tree, const TTreeNode* node) {
    std::vector<std::string> names;
    for (const TTreeNode* at = tree.Model().NodeOf(tree.currentIndex()); at != nullptr;
         at = at->Parent()) {
        if (at == node) {
            std::reverse(names.begin(), names.end());
            return names;
        }
        names.push_back(at->ListedFigures().Name.Str());
    }
    return {};
}

TTreeNode* NodeBelow(TTreeNode* node, const std::vector<std::string>& path) {
    for (const std::string& name : path) {
        TTreeNode* next = nullptr;
        for (int i = 0; node != nullptr && i < node->Count() && next == nullptr; ++i) {
            if (node->Item(i)->ListedFigures().Name == name) {
                next = node->Item(i);
            }
        }
        node = next;
    }
    return node;
}

}  // namespace

void TreePlace::Remember(TTreeNode* node) {
    scroll_ = tree_.verticalScrollBar()->value();
    node_ = node;
    expanded_ = node != nullptr ? ExpandedBelow(tree_, *node) : decltype(expanded_)();
    current_ = CurrentBelow(tree_, node);
}

void TreePlace::Restore() {
    TreeNodeModel& model = tree_.Model();
    for (const auto& names : expanded_) {
        if (TTreeNode* open = node_ != nullptr ? NodeBelow(node_, names) : nullptr) {
            tree_.setExpanded(model.IndexOf(open), true);
        }
    }
    if (TTreeNode* at =
            node_ != nullptr && !current_.empty() ? NodeBelow(node_, current_) : nullptr) {
        tree_.setCurrentIndex(model.IndexOf(at));
    }
    node_ = nullptr;
    expanded_.clear();
    current_.clear();
    tree_.verticalScrollBar()->setValue(scroll_);
}

}  // namespace zelk
