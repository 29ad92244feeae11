#include "app/ViewPlace.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <algorithm>
#include <unordered_map>

#include "app/TTreeView.h"

namespace zelk {
namespace {

// A few milliseconds of expanding; the view lays the result out in an event of its own.
constexpr qint64 kSliceMilliseconds = 8;

}  // namespace

ViewPlace::Remembered ViewPlace::RememberedPath(const TFileAttr* record) {
    Remembered path;
    for (; record != nullptr; record = record->Parent) {
        path.records.push_back(record);
        path.names.push_back(record->Name);
    }
    std::reverse(path.records.begin(), path.records.end());
    std::reverse(path.names.begin(), path.names.end());
    return path;
}

ViewPlace::ViewPlace(TTreeView& view) : QObject(&view), view_(view) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] { walk_.empty() ? Settle() : Slice(); });
    connect(&view_, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (TTreeNode* node = view_.Model().NodeOf(index)) {
            expandedNodes_.insert(node);
        }
    });
    connect(&view_, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        expandedNodes_.erase(view_.Model().NodeOf(index));
    });
    TreeNodeModel& model = view_.Model();
    connect(&model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        // The nodes go: a restore under way starts again on the next complete listing.
        expandedNodes_.clear();
        walk_.clear();
        restoring_ = false;
        timer_.stop();
    });
    connect(&model, &QAbstractItemModel::modelReset, this, &ViewPlace::ListingReset);
}

void ViewPlace::Capture(const TFileAttr& root) {
    TreeNodeModel& model = view_.Model();
    if (remembered_ || model.Deferring() || model.TopCount() == 0) {
        return;
    }
    // Each node's record from its parent's and its row, so that a node costs one step
    // whatever its depth.
    std::unordered_map<const TTreeNode*, const TFileAttr*> records;
    std::vector<const TTreeNode*> chain;
    const auto recordOf = [&](const TTreeNode* node) -> const TFileAttr* {
        chain.clear();
        for (; node != nullptr && !records.contains(node); node = node->Parent()) {
            chain.push_back(node);
        }
        const TFileAttr* record = node != nullptr ? records[node] : nullptr;
        for (auto down = chain.rbegin(); down != chain.rend(); ++down) {
            const auto row = static_cast<std::size_t>((*down)->Index());
            if ((*down)->Parent() == nullptr) {
                record = row == 0 ? &root : nullptr;
            } else if (record != nullptr) {
                record = row < record->Children.size() ? record->Children[row].get() : nullptr;
            }
            records.emplace(*down, record);
        }
        return record;
    };
    expanded_.clear();
    for (TTreeNode* node : expandedNodes_) {
        const TFileAttr* record = view_.isExpanded(model.IndexOf(node)) ? recordOf(node) : nullptr;
        if (record != nullptr) {
            expanded_.insert(record);
            if (record->Parent != nullptr) {
                names_.push_back(record->Name);
                byName_[record->Parent].emplace(names_.back().View(), record);
            }
        }
    }
    const TTreeNode* current = model.NodeOf(view_.currentIndex());
    current_ = RememberedPath(current != nullptr ? recordOf(current) : nullptr);
    const TTreeNode* top = model.NodeOf(view_.indexAt(QPoint(0, 0)));
    top_ = RememberedPath(top != nullptr ? recordOf(top) : nullptr);
    across_ = view_.horizontalScrollBar()->value();
    remembered_ = true;
}

void ViewPlace::Restore(const TFileAttr& root) {
    if (!remembered_) {
        return;
    }
    root_ = &root;
    TreeNodeModel& model = view_.Model();
    if (!model.Deferring()) {
        model.FlushChanges();  // a complete listing the view has not been told of yet
        if (!restoring_) {
            ListingReset();
        }
    }
}

void ViewPlace::Drop() {
    remembered_ = false;
    restoring_ = false;
    root_ = nullptr;
    walk_.clear();
    expanded_.clear();
    byName_.clear();
    names_.clear();
    current_ = {};
    top_ = {};
    timer_.stop();
}

void ViewPlace::Finish() {
    while (restoring_) {
        timer_.stop();
        walk_.empty() ? Settle() : Slice();
    }
}

void ViewPlace::ListingReset() {
    TreeNodeModel& model = view_.Model();
    if (!remembered_ || root_ == nullptr || restoring_ || model.Deferring()) {
        return;
    }
    if (model.TopCount() == 0) {
        Drop();
        return;
    }
    restoring_ = true;
    walk_.emplace_back(root_, model.Item(0), root_);
    // At once: right after the reset the view lays out nothing yet, so each expansion is only
    // noted and one layout follows.
    Slice();
}

void ViewPlace::Slice() {
    TreeNodeModel& model = view_.Model();
    QElapsedTimer clock;
    clock.start();
    for (unsigned steps = 1; !walk_.empty(); ++steps) {
        if (steps % 1024 == 0 && clock.elapsed() >= kSliceMilliseconds) {
            break;
        }
        const auto [record, node, was] = walk_.back();
        walk_.pop_back();
        if (!expanded_.contains(was)) {
            continue;
        }
        view_.expand(model.IndexOf(node));
        // Children first-first off the stack: each is expanded after its parent, when the view
        // already shows it.
        auto count = std::min(record->Children.size(), static_cast<std::size_t>(node->Count()));
        while (count-- > 0) {
            const TFileAttr& child = *record->Children[count];
            walk_.emplace_back(&child, node->Item(static_cast<int>(count)), WasAt(was, child));
        }
    }
    // The place settles in a later event, once the view has laid out what was expanded.
    timer_.start();
}

void ViewPlace::Settle() {
    TreeNodeModel& model = view_.Model();
    if (TTreeNode* node = NodeAlong(current_)) {
        // Made current as it was, without expanding or scrolling to it.
        const bool scrolls = view_.hasAutoScroll();
        view_.setAutoScroll(false);
        view_.setCurrentIndex(model.IndexOf(node));
        view_.setAutoScroll(scrolls);
    }
    if (TTreeNode* node = NodeAlong(top_)) {
        view_.scrollTo(model.IndexOf(node), QAbstractItemView::PositionAtTop);
    }
    view_.horizontalScrollBar()->setValue(across_);
    Drop();
}

const TFileAttr* ViewPlace::WasAt(const TFileAttr* old, const TFileAttr& child) const {
    // By name, never by address: a record freed and made again may get the address of another.
    const auto siblings = byName_.find(old);
    if (siblings == byName_.end()) {
        return nullptr;
    }
    const auto named = siblings->second.find(child.Name.View());
    return named != siblings->second.end() ? named->second : nullptr;
}

TTreeNode* ViewPlace::NodeAlong(const Remembered& path) const {
    TreeNodeModel& model = view_.Model();
    if (path.records.empty() || path.records.front() != root_ || model.TopCount() == 0) {
        return nullptr;
    }
    TTreeNode* node = model.Item(0);
    const TFileAttr* record = root_;
    for (std::size_t level = 1; level < path.records.size(); ++level) {
        const auto& children = record->Children;
        const auto at = std::find_if(children.begin(), children.end(), [&](const auto& child) {
            return child->Name == path.names[level];
        });
        const auto row = at - children.begin();
        if (at == children.end() || row >= node->Count()) {
            break;
        }
        record = at->get();
        node = node->Item(static_cast<int>(row));
    }
    return node;
}

}  // namespace zelk
