#pragma once
// One node of the tree control: its text (UTF-8, turned into a display string only when shown),
// its pictures and its place among its siblings. Nodes are made and freed by TreeNodeModel.

#include <string>
#include <vector>

namespace zelk {

class TreeNodeModel;

class TTreeNode {
  public:
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    const std::string& Text() const { return text_; }
    TTreeNode* Parent() const { return parent_; }
    int Count() const { return static_cast<int>(children_.size()); }
    TTreeNode* Item(int index) const { return children_.at(static_cast<std::size_t>(index)); }
    int Index() const { return row_; }

    // Indices into the tree's images, drawn left of the text while the node is not selected and
    // while it is the selected node; -1 draws none. Read at the node's next repaint.
    int ImageIndex = -1;
    int SelectedIndex = -1;

  private:
    friend class TreeNodeModel;
    TTreeNode(const TreeNodeModel* owner, TTreeNode* parent, int row, std::string text)
        : text_(std::move(text)), owner_(owner), parent_(parent), row_(row) {}

    std::string text_;
    const TreeNodeModel* owner_;
    TTreeNode* parent_;
    std::vector<TTreeNode*> children_;  // owned; freed by the model without recursion
    int row_;
};

}  // namespace zelk
