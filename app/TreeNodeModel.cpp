#include "app/TreeNodeModel.h"

#include <QCoreApplication>
#include <QEvent>
#include <climits>
#include <memory>
#include <new>

#include "app/BackgroundReleaser.h"
#include "app/ETreeViewError.h"
#include "app/ErrorGuard.h"
#include "app/TImageList.h"

namespace zelk {
namespace {

const QEvent::Type kEndChangeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
constexpr std::size_t kNodesPerBlock = 4096;
const char* const kUnreadableDescription = "このディレクトリは読み取れませんでした";

// Calls end(node) for every node of a subtree, each after its children are known, so end may
// destroy it. Iterative: directory trees can be deeper than the stack allows recursion.
template <typename End>
void EndSubtree(TTreeNode* node, End end) {
    std::vector<TTreeNode*> pending{node};
    while (!pending.empty()) {
        TTreeNode* next = pending.back();
        pending.pop_back();
        for (int i = 0; i < next->Count(); ++i) {
            pending.push_back(next->Item(i));
        }
        end(next);
    }
}

// Nodes that nothing reaches any more, with the blocks they live in.
struct NodeGraveyard {
    std::vector<TTreeNode*> roots;
    std::vector<std::unique_ptr<std::byte[]>> blocks;
    ~NodeGraveyard() {
        for (TTreeNode* root : roots) {
            EndSubtree(root, [](TTreeNode* node) { node->~TTreeNode(); });
        }
    }
};

}  // namespace

TreeNodeModel::TreeNodeModel(QObject* parent) : QAbstractItemModel(parent) {}

TreeNodeModel::~TreeNodeModel() {
    HandOverNodes();
}

void TreeNodeModel::HandOverNodes() {
    auto graveyard = std::make_shared<NodeGraveyard>();
    graveyard->roots = std::move(roots_);
    graveyard->blocks = std::move(blocks_);
    roots_.clear();
    blocks_.clear();
    freeSlots_.clear();
    usedInLastBlock_ = 0;
    count_ = 0;
    BackgroundReleaser::Instance().Release(std::move(graveyard));
}

TTreeNode* TreeNodeModel::NewNode(TTreeNode* parent, std::vector<TTreeNode*>& siblings) {
    if ((parent != nullptr && parent->owner_ != this) || count_ == INT_MAX) {
        throw ETreeViewError("ｱｲﾃﾑの挿入ができません");
    }
    BeginChange();
    try {
        siblings.push_back(nullptr);
        void* slot = nullptr;
        if (!freeSlots_.empty()) {
            slot = freeSlots_.back();
        } else {
            if (blocks_.empty() || usedInLastBlock_ == kNodesPerBlock) {
                blocks_.push_back(
                    std::make_unique<std::byte[]>(kNodesPerBlock * sizeof(TTreeNode)));
                usedInLastBlock_ = 0;
            }
            slot = blocks_.back().get() + usedInLastBlock_ * sizeof(TTreeNode);
        }
        siblings.back() = new (slot) TTreeNode(this, parent, static_cast<int>(siblings.size() - 1));
        if (!freeSlots_.empty()) {
            freeSlots_.pop_back();
        } else {
            ++usedInLastBlock_;
        }
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
    deferred_ = std::move(step);
    // The first step at once: a small tree is complete when the caller gets control back, and
    // an error of the first nodes reaches the caller.
    Step();
}

void TreeNodeModel::Step() const {
    stepping_ = true;
    bool done = true;
    try {
        done = deferred_();
    } catch (...) {
        // The nodes added so far stay; the rest is dropped with the error.
        stepping_ = false;
        deferred_ = nullptr;
        throw;
    }
    stepping_ = false;
    if (done) {
        deferred_ = nullptr;
    }
}

void TreeNodeModel::Finish() const {
    while (deferred_ && !stepping_) {
        Step();
    }
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
    if (deferred_ && !stepping_) {
        Guarded([this] { Step(); });
        if (deferred_) {
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
    auto& siblings = parent != nullptr ? parent->children_ : roots_;
    std::unique_ptr<std::string> owned;
    try {
        owned = std::make_unique<std::string>(std::move(text));
    } catch (const std::bad_alloc&) {
        throw ETreeViewError("ｱｲﾃﾑの挿入ができません");
    }
    TTreeNode* node = NewNode(parent, siblings);
    node->text_ = std::move(owned);
    return node;
}

TTreeNode* TreeNodeModel::AddListed(TTreeNode* parent, TTreeNode::Figures figures,
                                    std::size_t children) {
    Finish();
    auto& siblings = parent != nullptr ? parent->children_ : roots_;
    TTreeNode* node = NewNode(parent, siblings);
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

int TreeNodeModel::FreeSubtree(TTreeNode* node) {
    int freed = 0;
    EndSubtree(node, [&](TTreeNode* next) {
        next->~TTreeNode();
        freeSlots_.push_back(next);
        ++freed;
    });
    return freed;
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
    count_ -= FreeSubtree(node);
}

void TreeNodeModel::Clear() {
    deferred_ = nullptr;
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

void TreeNodeModel::SetImages(const TImageList* images) {
    images_ = images;
    icons_.clear();
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

QIcon TreeNodeModel::IconOf(const TTreeNode& node) const {
    if (images_ == nullptr) {
        return {};
    }
    const auto key = std::make_pair(node.ImageIndex, node.SelectedIndex);
    auto found = icons_.find(key);
    if (found == icons_.end()) {
        QIcon icon;
        const QPixmap normal = images_->Picture(node.ImageIndex);
        const QPixmap selected = images_->Picture(node.SelectedIndex);
        if (!normal.isNull()) {
            icon.addPixmap(normal, QIcon::Normal);
        }
        if (!selected.isNull()) {
            icon.addPixmap(selected, QIcon::Selected);
        }
        found = icons_.emplace(key, icon).first;
    }
    return found->second;
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
            return IconOf(*node);
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
