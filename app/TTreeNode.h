#pragma once
// One node of the tree control: its text (UTF-8, turned into a display string only when shown),
// its pictures and its place among its siblings. A node listed from a record keeps the few
// figures its text is made of and makes the text the first time anything asks for it, so a
// listing of a million directories formats only what is looked at. Nodes are made and freed by
// TreeNodeModel, in a TreeNodePool.

#include <QVariant>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scan/FileName.h"

namespace zelk {

class TImageList;
class TreeNodeModel;

class TTreeNode {
  public:
    // What a node's text is made of, kept by the node so that the text can still be made
    // after the records it came from are gone.
    struct Figures {
        FileName Name;
        double Size = 0;
        double CompressedSize = 0;
        double LastWrite = 0;
        // Since the baseline while the tree is compared with one (kNewDirectory for a
        // directory it lacks), on the size basis of the listing.
        double Growth = 0;
    };

    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    // Made on first use for a node listed from figures; the same bytes either way.
    const std::string& Text() const;
    TTreeNode* Parent() const { return parent_; }
    int Count() const { return static_cast<int>(children_.size()); }
    TTreeNode* Item(int index) const { return children_.at(static_cast<std::size_t>(index)); }
    int Index() const { return row_; }
    const Figures& ListedFigures() const { return figures_; }
    // What the view reads of the node in role; images are the tree's, or nullptr.
    QVariant Data(int role, const TImageList* images) const;

    // Indices into the tree's images, drawn left of the text while the node is not selected and
    // while it is the selected node; -1 draws none. Read at the node's next repaint.
    std::int16_t ImageIndex = -1;
    std::int16_t SelectedIndex = -1;
    // Described to assistive technology as a directory that could not be read.
    bool Unreadable = false;

  private:
    bool listed_ = false;  // the text is made from figures_; fills the padding after Unreadable
    friend class TreeNodeModel;
    friend class TreeNodePool;
    TTreeNode(const TreeNodeModel* owner, TTreeNode* parent, int row)
        : owner_(owner), parent_(parent), row_(row) {}

    mutable std::unique_ptr<std::string> text_;  // null until made from figures_
    const TreeNodeModel* owner_;
    TTreeNode* parent_;
    std::vector<TTreeNode*> children_;  // owned; freed by the model without recursion
    Figures figures_;
    int row_;
    mutable std::uint32_t generation_ = 0;  // of the texts its cached text was made in
};

}  // namespace zelk
