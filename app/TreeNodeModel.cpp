#include "app/TreeNodeModel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <climits>
#include <new>
#include <utility>

#include "app/ETreeViewError.h"
#include "app/ErrorGuard.h"
#include "app/TImageList.h"

namespace zelk {
namespace {

const QEvent::Type kEndChangeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const char* const kUnreadableDescription = "このディレクトリは読み取れませんでした";

}  // namespace

TreeNodeModel::TreeNodeModel(QObject* parent) : QAbstractItemModel(parent) {}

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
    BeginChange();
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

void TreeNodeModel::BeginChange() {
    if (changing_) {
        return;
    }
    beginResetModel();
    changing_ = true;
    // High priority: delivered before the paints and input that a nested loop would take first.
    QCoreApplication::postEvent(this, new QEvent(kEndChangeEvent), Qt::HighEventPriority);
}

void TreeNodeModel::Defer(std::function<bool()> step) {
    Finish();
    BeginChange();
    deferred_.Start(std::move(step));
    // The first step at once: a small tree is complete when the caller gets control back, and
    // an error of the first nodes reaches the caller. The nodes added before an error stay.
    deferred_.Step();
}

void TreeNodeModel::Finish() const {
    deferred_.Finish();
}

void TreeNodeModel::FlushChanges() {
    Finish();
    if (!changing_) {
        return;
    }
    changing_ = false;
    endResetModel();
}

void TreeNodeModel::customEvent(QEvent* event) {
    if (event->type() != kEndChangeEvent) {
        return;
    }
    if (deferred_.Pending() && !deferred_.Running()) {
        Guarded([this] { deferred_.Step(); });
        if (deferred_.Pending()) {
            // Next time round the loop, after the paints and input waiting now.
            QCoreApplication::postEvent(this, new QEvent(kEndChangeEvent), Qt::LowEventPriority);
            return;
        }
    }
    FlushChanges();
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
    BeginChange();
    auto& siblings = node->parent_ != nullptr ? node->parent_->children_ : roots_;
    siblings.erase(siblings.begin() + node->row_);
    for (auto i = static_cast<std::size_t>(node->row_); i < siblings.size(); ++i) {
        siblings[i]->row_ = static_cast<int>(i);
    }
    count_ -= pool_.Free(node);
}

void TreeNodeModel::Clear() {
    deferred_.Discard();
    if (roots_.empty()) {
        return;
    }
    BeginChange();
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
    if (changing_ || !index.isValid() || index.model() != this) {
        return nullptr;
    }
    return static_cast<TTreeNode*>(index.internalPointer());
}

QModelIndex TreeNodeModel::IndexOf(TTreeNode* node) const {
    if (changing_ || node == nullptr || node->owner_ != this) {
        return {};
    }
    return createIndex(node->row_, 0, node);
}

QModelIndex TreeNodeModel::index(int row, int column, const QModelIndex& parent) const {
    if (changing_ || column != 0 || row < 0 || (parent.isValid() && parent.column() != 0)) {
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
    if (changing_ || parent.column() > 0) {
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
    if (node == nullptr) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::AccessibleTextRole: {
            const std::string& text = node->Text();
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        case Qt::DecorationRole:
            return images_ != nullptr ? images_->Icon(node->ImageIndex, node->SelectedIndex)
                                      : QIcon();
        case Qt::AccessibleDescriptionRole:
            return node->Unreadable ? QString::fromUtf8(kUnreadableDescription) : QVariant();
        default:
            return {};
    }
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
