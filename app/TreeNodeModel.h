#pragma once
// The node store of the tree control and the item model the view reads it through. Adding and
// deleting nodes are plain data-structure operations; the view hears of them in one model reset
// once control is back in the event loop, so a rebuild of a million nodes costs no more than
// building them. Until that reset the model shows the view an empty tree and never touches a
// node, so nothing the view still holds can reach a freed one.

#include <QAbstractItemModel>
#include <QIcon>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/TTreeNode.h"

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
    // The node and its whole subtree.
    void Delete(TTreeNode* node);
    void Clear();
    int Count() const { return count_; }
    // Depth first over the whole tree; raises ETreeViewError "不正なｲﾝﾃﾞｯｸｽ" for no node.
    TTreeNode* Item(int index) const;
    int TopCount() const { return static_cast<int>(roots_.size()); }

    void SetImages(const TImageList* images);
    // Tells the view now of the changes made since the last time.
    void FlushChanges();

    TTreeNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(TTreeNode* node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  protected:
    void customEvent(QEvent* event) override;

  private:
    void BeginChange();
    const std::vector<TTreeNode*>& ChildrenOf(const TTreeNode* parent) const;
    QIcon IconOf(const TTreeNode& node) const;
    static int FreeSubtree(TTreeNode* node);

    std::vector<TTreeNode*> roots_;
    int count_ = 0;
    bool changing_ = false;  // a reset has begun and its end is posted
    const TImageList* images_ = nullptr;
    mutable std::map<std::pair<int, int>, QIcon> icons_;
};

}  // namespace zelk
