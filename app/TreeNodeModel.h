#pragma once
// The node store of the tree control and the item model the view reads it through. Adding and
// deleting nodes are plain data-structure operations; the view hears of them in one model reset
// once control is back in the event loop, so a rebuild of a million nodes costs no more than
// building them. Until that reset the model shows the view an empty tree and never touches a
// node, so nothing the view still holds can reach a freed one.

#include <QAbstractItemModel>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/BatchedReset.h"
#include "app/TTreeNode.h"
#include "app/TreeNodePool.h"

namespace zelk {

class TImageList;

class TreeNodeModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    explicit TreeNodeModel(QObject* parent = nullptr);
    ~TreeNodeModel() override;

    // Appends after the parent's children (the top-level nodes when parent is nullptr).
    // Raises ETreeViewError "ｱｲﾃﾑの挿入ができません" for a parent of another tree.
    TTreeNode* Add(TTreeNode* parent, std::string text);
    // As Add, with a text made from figures when first asked for, by the text maker installed
    // then; room is made for that many children.
    TTreeNode* AddListed(TTreeNode* parent, TTreeNode::Figures figures, std::size_t children);
    using TextMaker = std::function<std::string(const TTreeNode::Figures&)>;
    void SetTextMaker(TextMaker maker) { textMaker_ = std::move(maker); }
    // A new maker for every listed node's text (new totals of the root), made again when next
    // asked for; the caller repaints.
    void RenewTexts(TextMaker maker);
    std::uint32_t TextGeneration() const { return generation_; }

    // Changes the view follows row by row, keeping its expanded nodes, selection and scroll
    // (no deferred listing may be pending). add appends count children to parent through
    // AddListed, each with its subtree.
    void InsertRows(TTreeNode* parent, int count, const std::function<void()>& add);
    void RemoveRow(TTreeNode* node);
    void RemoveChildren(TTreeNode* node);
    void Refigure(TTreeNode* node, TTreeNode::Figures figures);
    std::string MakeText(const TTreeNode::Figures& figures) const;
    // The node and its whole subtree.
    void Delete(TTreeNode* node);
    void Clear();
    int Count() const {
        Finish();
        return count_;
    }
    // Depth first over the whole tree; raises ETreeViewError "不正なｲﾝﾃﾞｯｸｽ" for no node.
    TTreeNode* Item(int index) const;
    int TopCount() const {
        Finish();
        return static_cast<int>(roots_.size());
    }

    // Adding done in steps from the event loop, so a million nodes never hold it for long; the
    // view is told of the finished tree. Anything that reads or adds nodes through the model
    // first finishes them; Clear and Delete of everything drop what is left.
    void Defer(std::function<bool()> step) { reset_->Defer(std::move(step)); }
    void Finish() const { reset_->Finish(); }
    bool Deferring() const { return reset_->Deferring(); }

    void SetImages(const TImageList* images) { images_ = images; }
    // Tells the view now of the changes made since the last time.
    void FlushChanges() { reset_->Flush(); }

    TTreeNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(TTreeNode* node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    TTreeNode* NewNode(TTreeNode* parent);
    // Out of its siblings, renumbering those after it, and freed with its subtree.
    void Unlink(TTreeNode* node);
    // Every node to the background releaser; the model is left empty.
    void HandOverNodes();
    const std::vector<TTreeNode*>& ChildrenOf(const TTreeNode* parent) const;

    std::vector<TTreeNode*> roots_;
    int count_ = 0;
    bool rowLevel_ = false;  // nodes are being added inside InsertRows
    std::uint32_t generation_ = 0;
    BatchedReset* reset_;  // a child of the model
    const TImageList* images_ = nullptr;
    TextMaker textMaker_;
    TreeNodePool pool_;
};

}  // namespace zelk
