#pragma once
// The tree control: nodes are added, counted, found by depth-first index and deleted through
// it; the view shows them with lines and buttons at every level, the node's picture from
// Images, and lets the user expand, select and edit labels without involving the window.

#include <QTreeView>
#include <string>

#include "app/TTreeNode.h"
#include "app/TreeNodeModel.h"

namespace zelk {

class SubtreeExpander;
class TImageList;

class TTreeView : public QTreeView {
    Q_OBJECT
  public:
    explicit TTreeView(QWidget* parent = nullptr);

    TTreeNode* Add(TTreeNode* parent, std::string text) {
        return model_->Add(parent, std::move(text));
    }
    int Count() const { return model_->Count(); }
    TTreeNode* Item(int index) const { return model_->Item(index); }
    void Delete(TTreeNode* node) { model_->Delete(node); }

    void SetImages(const TImageList* images) { model_->SetImages(images); }
    // Never shown as a tool tip; kept for the window's logic.
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint) { hint_ = std::move(hint); }

    TreeNodeModel& Model() const { return *model_; }
    SubtreeExpander& Expander() const { return *expander_; }

    // Makes node the current one, its ancestors expanded and scrolled into view, without taking
    // the focus. Deeper than kExpandDepth, the node is made current with its ancestors left as
    // they are and not scrolled to: the view lays out expanded levels in a nesting of its own,
    // one call deeper per level.
    static constexpr int kExpandDepth = 256;
    void SelectNode(TTreeNode* node);

  signals:
    // The primary button pressed and released inside the control, on a node or not.
    void Click();

  protected:
    // `*` expands the current node's subtree through the expander, never by the view's own
    // recursive expansion.
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

  private:
    TreeNodeModel* model_;
    SubtreeExpander* expander_;
    std::string hint_;
    bool pressedInside_ = false;
};

}  // namespace zelk
