#include "app/TreeNodeModel.h"

#include <climits>
#include <new>
#include <utility>

#include "app/ETreeViewError.h"

namespace zelk {

TreeNodeModel::TreeNodeModel(QObject* parent)
    : QAbstractItemModel(parent),
      reset_(new BatchedReset(
          this, [this] { beginResetModel(); }, [this] { endResetModel(); })) {}

TreeNodeModel::~TreeNodeModel() {
    HandOverNodes();
}

void TreeNodeModel::HandOverNodes() {
    pool_.ReleaseAll(std::move(roots_));
    roots_.clear();
    count_ = 0;
}

TTreeNode* TreeNodeModel::NewNode(TTreeNode* parent) {
    if ((parent != nullptr && parent->owner_ != this) || count_ == INT_MAX) {
        throw ETreeViewError("ｱｲﾃﾑの挿入ができません");
    }
    if (!rowLevel_) {
        reset_->Begin();
    }
    auto& siblings = parent != nullptr ? parent->children_ : roots_;
    try {
        siblings.push_back(nullptr);
        siblings.back() = pool_.Make(this, parent, static_cast<int>(siblings.size() - 1));
    } catch (const std::bad_alloc&) {
        if (!siblings.empty() && siblings.back() == nullptr) {
            siblings.pop_back();
        }
        throw ETreeViewError("ｱｲﾃﾑの挿入ができません");
    }
    ++count_;
    return siblings.back();
}

const std::vector<TTreeNode*>& TreeNodeModel::ChildrenOf(const TTreeNode* parent) const {
    return parent != nullptr ? parent->children_ : roots_;
}

TTreeNode* TreeNodeModel::Add(TTreeNode* parent, std::string text) {
    Finish();
    std::unique_ptr<std::string> owned;
    try {
        owned = std::make_unique<std::string>(std::move(text));
    } catch (const std::bad_alloc&) {
        throw ETreeViewError("ｱｲﾃﾑの挿入ができません");
    }
    TTreeNode* node = NewNode(parent);
    node->text_ = std::move(owned);
    return node;
}

TTreeNode* TreeNodeModel::AddListed(TTreeNode* parent, TTreeNode::Figures figures,
                                    std::size_t children) {
    Finish();
    TTreeNode* node = NewNode(parent);
    node->figures_ = std::move(figures);
    node->listed_ = true;
    try {
        node->children_.reserve(children);
    } catch (const std::bad_alloc&) {
        // Room made ahead is only an economy: the children grow the list as they come.
    }
    return node;
}

std::string TreeNodeModel::MakeText(const TTreeNode::Figures& figures) const {
    return textMaker_ ? textMaker_(figures) : figures.Name.Str();
}

void TreeNodeModel::Delete(TTreeNode* node) {
    if (node == nullptr || node->owner_ != this) {
        return;
    }
    if (node->parent_ == nullptr && roots_.size() == 1) {
        Clear();  // the whole tree: freed elsewhere, however large
        return;
    }
    reset_->Begin();
    Unlink(node);
}

void TreeNodeModel::Unlink(TTreeNode* node) {
    auto& siblings = node->parent_ != nullptr ? node->parent_->children_ : roots_;
    siblings.erase(siblings.begin() + node->row_);
    for (auto i = static_cast<std::size_t>(node->row_); i < siblings.size(); ++i) {
        siblings[i]->row_ = static_cast<int>(i);
    }
    count_ -= pool_.Free(node);
}

void TreeNodeModel::RenewTexts(TextMaker maker) {
    textMaker_ = std::move(maker);
    ++generation_;
}

void TreeNodeModel::InsertRows(TTreeNode* parent, int count, const std::function<void()>& add) {
    FlushChanges();
    const int first = parent != nullptr ? parent->Count() : static_cast<int>(roots_.size());
    beginInsertRows(IndexOf(parent), first, first + count - 1);
    rowLevel_ = true;
    try {
        add();
    } catch (...) {
        rowLevel_ = false;
        endInsertRows();
        throw;
    }
    rowLevel_ = false;
    endInsertRows();
}

void TreeNodeModel::RemoveRow(TTreeNode* node) {
    FlushChanges();
    if (node == nullptr || node->owner_ != this) {
        return;
    }
    beginRemoveRows(IndexOf(node->parent_), node->row_, node->row_);
    Unlink(node);
    endRemoveRows();
}

void TreeNodeModel::RemoveChildren(TTreeNode* node) {
    FlushChanges();
    if (node == nullptr || node->owner_ != this || node->children_.empty()) {
        return;
    }
    beginRemoveRows(IndexOf(node), 0, node->Count() - 1);
    for (TTreeNode* child : std::exchange(node->children_, {})) {
        count_ -= pool_.Free(child);
    }
    endRemoveRows();
}

void TreeNodeModel::Refigure(TTreeNode* node, TTreeNode::Figures figures) {
    if (node == nullptr || node->owner_ != this) {
        return;
    }
    node->figures_ = std::move(figures);
    node->text_.reset();
    const QModelIndex at = IndexOf(node);
    emit dataChanged(at, at);
}

void TreeNodeModel::Clear() {
    reset_->Discard();
    if (roots_.empty()) {
        return;
    }
    reset_->Begin();
    HandOverNodes();
}

TTreeNode* TreeNodeModel::Item(int index) const {
    Finish();
    if (index < 0 || index >= count_) {
        throw ETreeViewError("不正なｲﾝﾃﾞｯｸｽ");
    }
    TTreeNode* node = roots_.front();
    for (int i = 0; i < index; ++i) {
        if (!node->children_.empty()) {
            node = node->children_.front();
            continue;
        }
        // Climb to the nearest ancestor that has a next sibling.
        while (true) {
            const auto& siblings = ChildrenOf(node->parent_);
            const auto next = static_cast<std::size_t>(node->row_) + 1;
            if (next < siblings.size()) {
                node = siblings[next];
                break;
            }
            node = node->parent_;
        }
    }
    return node;
}

TTreeNode* TreeNodeModel::NodeOf(const QModelIndex& index) const {
    if (reset_->Changing() || !index.isValid() || index.model() != this) {
        return nullptr;
    }
    return static_cast<TTreeNode*>(index.internalPointer());
}

QModelIndex TreeNodeModel::IndexOf(TTreeNode* node) const {
    if (reset_->Changing() || node == nullptr || node->owner_ != this) {
        return {};
    }
    return createIndex(node->row_, 0, node);
}

QModelIndex TreeNodeModel::index(int row, int column, const QModelIndex& parent) const {
    if (reset_->Changing() || column != 0 || row < 0 ||
        (parent.isValid() && parent.column() != 0)) {
        return {};
    }
    const auto& children = ChildrenOf(NodeOf(parent));
    if (static_cast<std::size_t>(row) >= children.size()) {
        return {};
    }
    return createIndex(row, 0, children[static_cast<std::size_t>(row)]);
}

QModelIndex TreeNodeModel::parent(const QModelIndex& child) const {
    const TTreeNode* node = NodeOf(child);
    if (node == nullptr || node->parent_ == nullptr) {
        return {};
    }
    return createIndex(node->parent_->row_, 0, node->parent_);
}

int TreeNodeModel::rowCount(const QModelIndex& parent) const {
    if (reset_->Changing() || parent.column() > 0) {
        return 0;
    }
    if (!parent.isValid()) {
        return static_cast<int>(roots_.size());
    }
    const TTreeNode* node = NodeOf(parent);
    return node != nullptr ? node->Count() : 0;
}

int TreeNodeModel::columnCount(const QModelIndex& /*parent*/) const {
    return 1;
}

QVariant TreeNodeModel::data(const QModelIndex& index, int role) const {
    const TTreeNode* node = NodeOf(index);
    return node != nullptr ? node->Data(role, images_) : QVariant();
}

bool TreeNodeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TTreeNode* node = NodeOf(index);
    if (node == nullptr || role != Qt::EditRole) {
        return false;
    }
    node->text_ = std::make_unique<std::string>(value.toString().toStdString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TreeNodeModel::flags(const QModelIndex& index) const {
    if (NodeOf(index) == nullptr) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

}  // namespace zelk
