#pragma once
// Lists records under their tree nodes row by row, a bounded number of nodes each turn of the
// event loop: the view follows each insertion without a reset (its expanded nodes, selection
// and scroll stay), and a subtree of any size never holds the loop for long.

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <deque>
#include <functional>

#include "scan/TFileAttr.h"

namespace zelk {

class TTreeNode;
class TreeNodeModel;

class RowFeeder : public QObject {
    Q_OBJECT
  public:
    explicit RowFeeder(TreeNodeModel& model);

    // What is fed is listed from Run on; the records must stay as they are until Done.
    // Lists record's children, and everything below them, under node, which has no children.
    void FeedChildren(const TFileAttr& record, TTreeNode* node);
    // Adds a node for record as the last child of parent now, and its subtree from Run on.
    void FeedChild(const TFileAttr& record, TTreeNode* parent);
    // The first turn, now.
    void Run() { Step(); }
    bool Pending() const { return !queue_.empty(); }
    // Stops with the nodes added so far; Done is not called.
    void Drop();

    // Called once everything fed is listed.
    std::function<void()> Done;

  private:
    struct Listing {
        const TFileAttr* record;
        TTreeNode* node;
        std::size_t next;  // the first child not yet listed
    };
    TTreeNode* Add(TTreeNode* parent, const TFileAttr& record);
    void Step();

    TreeNodeModel& model_;
    std::deque<Listing> queue_;
    QTimer turn_;
};

}  // namespace zelk
