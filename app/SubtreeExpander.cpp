#include "app/SubtreeExpander.h"

#include <QElapsedTimer>
#include <QTreeView>
#include <utility>

#include "app/TTreeNode.h"
#include "app/TreeNodeModel.h"

namespace zelk {
namespace {

// Rows laid out by one expansion in one go: a few milliseconds of the view's layout.
constexpr int kRowBudget = 8192;
constexpr qint64 kSliceMilliseconds = 15;

int DepthOf(const TTreeNode* node) {
    int depth = 0;
    for (const TTreeNode* up = node->Parent(); up != nullptr; up = up->Parent()) {
        ++depth;
    }
    return depth;
}

// Whether the rows down to levels below node (and the rows those show) stay within the budget.
bool SubtreeFits(const TTreeNode* node, int levels) {
    std::vector<std::pair<const TTreeNode*, int>> open{{node, 0}};
    int rows = 0;
    while (!open.empty()) {
        const auto [at, level] = open.back();
        open.pop_back();
        if (++rows > kRowBudget) {
            return false;
        }
        if (level <= levels) {
            for (int i = 0; i < at->Count(); ++i) {
                open.emplace_back(at->Item(i), level + 1);
            }
        }
    }
    return true;
}

}  // namespace

SubtreeExpander::SubtreeExpander(QTreeView& view, TreeNodeModel& model)
    : QObject(&view), view_(view), model_(model) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &SubtreeExpander::Slice);
    connect(&model_, &QAbstractItemModel::modelAboutToBeReset, this,
            &SubtreeExpander::DiscardPending);
    connect(&view_, &QTreeView::expanded, this, &SubtreeExpander::Refuse);
    connect(&view_, &QTreeView::collapsed, this, &SubtreeExpander::Forget);
}

void SubtreeExpander::ExpandAll(TTreeNode* node) {
    // What is still to be forgotten may lie in the subtree now expanded.
    DiscardPending();
    if (node == nullptr) {
        return;
    }
    pending_.push_back(node);
    Slice();
}

void SubtreeExpander::Finish() {
    while (Pending()) {
        Slice();
    }
}

void SubtreeExpander::Slice() {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!forgetting_.empty() && elapsed.elapsed() < kSliceMilliseconds) {
        ForgetOne();
    }
    while (!pending_.empty() && elapsed.elapsed() < kSliceMilliseconds) {
        TTreeNode* node = pending_.back();
        pending_.pop_back();
        ExpandOne(node);
    }
    if (Pending()) {
        timer_.start();
    }
}

void SubtreeExpander::ExpandOne(TTreeNode* node) {
    const int depth = DepthOf(node);
    const QModelIndex index = model_.IndexOf(node);
    if (depth >= kMaxExpandedDepth || node->Count() == 0 || !index.isValid()) {
        return;
    }
    const int levels = kMaxExpandedDepth - 1 - depth;
    if (!view_.isExpanded(index) && SubtreeFits(node, levels)) {
        view_.expandRecursively(index, levels);
        return;
    }
    view_.expand(index);
    for (int i = node->Count() - 1; i >= 0; --i) {
        pending_.push_back(node->Item(i));
    }
}

void SubtreeExpander::Refuse(const QModelIndex& index) {
    const TTreeNode* node = model_.NodeOf(index);
    if (node != nullptr && DepthOf(node) >= kMaxExpandedDepth) {
        view_.collapse(index);
    }
}

void SubtreeExpander::Forget(const QModelIndex& index) {
    const TTreeNode* node = model_.NodeOf(index);
    if (node != nullptr && !collapsing_) {
        forgetting_.emplace_back(node, 0);
        timer_.start();
    }
}

void SubtreeExpander::ForgetOne() {
    auto& [node, next] = forgetting_.back();
    if (next >= node->Count()) {
        forgetting_.pop_back();
        return;
    }
    TTreeNode* child = node->Item(next++);
    const QModelIndex index = model_.IndexOf(child);
    if (view_.isExpanded(index)) {
        collapsing_ = true;
        view_.collapse(index);
        collapsing_ = false;
        forgetting_.emplace_back(child, 0);
    }
}

}  // namespace zelk
