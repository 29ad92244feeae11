#pragma once
// Expand all (`*`) for the tree control, in slices from the event loop. The view lays out an
// expanded node by recursing into its expanded children, once per level, and lays out the whole
// tree that way again whenever it re-lays out: so no node deeper than kMaxExpandedDepth is ever
// expanded, and a subtree is expanded in one go only when it is small. A large one is expanded a
// level at a time, top down, so that no slice holds the event loop for long. A collapsed node
// forgets what was expanded below it, in slices too: the view would otherwise lay all of it out
// again, row by row, when the node is expanded again.

#include <QObject>
#include <QTimer>
#include <utility>
#include <vector>

class QModelIndex;
class QTreeView;

namespace zelk {

class TTreeNode;
class TreeNodeModel;

class SubtreeExpander : public QObject {
    Q_OBJECT
  public:
    // Deep enough for any real directory tree; the view's layout needs about 320 bytes of
    // stack per expanded level.
    static constexpr int kMaxExpandedDepth = 1000;

    SubtreeExpander(QTreeView& view, TreeNodeModel& model);

    // Starts expanding node and everything below it, in place of any earlier expand all.
    void ExpandAll(TTreeNode* node);
    bool Pending() const { return !pending_.empty() || !forgetting_.empty(); }
    // Runs slices until nothing is left (tests).
    void Finish();

  private:
    void Slice();
    // The node's own expansion, of those of its subtree that fit the budget in one go, or of
    // the node alone, with its children left to later slices.
    void ExpandOne(TTreeNode* node);
    void Refuse(const QModelIndex& index);
    void Forget(const QModelIndex& index);
    void DiscardPending() {
        pending_.clear();
        forgetting_.clear();
    }
    // One child of the node on top of forgetting_ collapsed, if it was expanded.
    void ForgetOne();

    QTreeView& view_;
    TreeNodeModel& model_;
    std::vector<TTreeNode*> pending_;  // a stack: the next node at the back
    // Nodes whose expanded descendants are still to be collapsed, each with its next child.
    std::vector<std::pair<const TTreeNode*, int>> forgetting_;
    bool collapsing_ = false;  // the collapses made here
    QTimer timer_;
};

}  // namespace zelk
