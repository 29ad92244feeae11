#include "app/NodeMenu.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <vector>

#include "app/ErrorGuard.h"
#include "app/FileManagerLauncher.h"
#include "app/GraphInput.h"
#include "app/GraphPage.h"
#include "app/PathClipboard.h"
#include "app/TPaintBox.h"
#include "app/TTreeView.h"
#include "app/TreeListing.h"
#include "scan/RealPath.h"

namespace zelk {
namespace {

struct Entry {
    NodeAction action;
    const char* text;
    QKeySequence key;
};

const std::array<Entry, 5>& Entries() {
    static const std::array<Entry, 5> entries{{
        {NodeAction::OpenInFileManager, "ファイルマネージャーで開く", QKeySequence()},
        {NodeAction::CopyPath, "パスをコピー", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {NodeAction::Rescan, "再検索", QKeySequence(Qt::Key_F5)},
        {NodeAction::Trash, "ごみ箱へ移動", QKeySequence(Qt::Key_Delete)},
        {NodeAction::Delete, "完全に削除", QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
    }};
    return entries;
}

std::size_t Slot(NodeAction action) {
    return static_cast<std::size_t>(action);
}

Qt::KeyboardModifiers Modifiers(const QKeyEvent& key) {
    return key.modifiers() & ~Qt::KeypadModifier;
}

// The real path of node from the names listed, for a listing whose records are gone.
std::string ListedPath(std::string rootPath, const TTreeNode& node) {
    std::vector<const TTreeNode*> chain;
    for (const TTreeNode* up = &node; up->Parent() != nullptr; up = up->Parent()) {
        chain.push_back(up);
    }
    if (chain.empty()) {
        return rootPath.empty() ? std::string("/") : rootPath;
    }
    if (rootPath.ends_with('/')) {
        rootPath.pop_back();
    }
    for (auto down = chain.rbegin(); down != chain.rend(); ++down) {
        rootPath += '/';
        rootPath += (*down)->ListedFigures().Name.View();
    }
    return rootPath;
}

}  // namespace

NodeMenu::NodeMenu(TTreeView& tree, GraphPage& graph, TPaintBox& surface)
    : QObject(&tree),
      tree_(tree),
      graph_(graph),
      graphInput_(&graph.Input()),
      surface_(surface),
      viewport_(tree.viewport()),
      menu_(new QMenu(&tree)),
      launcher_(new FileManagerLauncher(this)) {
    for (const Entry& entry : Entries()) {
        QAction* action = menu_->addAction(QString::fromUtf8(entry.text));
        // Shown beside the text; the keys themselves are taken on the tree and the graph.
        action->setShortcut(entry.key);
        action->setShortcutContext(Qt::WidgetShortcut);
        const NodeAction which = entry.action;
        connect(action, &QAction::triggered, this,
                [this, which] { Guarded([this, which] { Run(which, target_); }); });
        actions_[Slot(which)] = action;
    }
    tree_.installEventFilter(this);
    viewport_->installEventFilter(this);
    surface_.installEventFilter(this);
    graphInput_->OnContextMenu = [this](const TFileAttr& record, QPoint global) {
        Popup(RecordTarget(record), global);
    };
}

NodeMenu::~NodeMenu() {
    if (graphInput_ != nullptr) {
        graphInput_->OnContextMenu = {};
    }
}

QAction& NodeMenu::ActionOf(NodeAction action) const {
    return *actions_[Slot(action)];
}

bool NodeMenu::OpensContextMenu(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Menu && Modifiers(key) == Qt::NoModifier) ||
           (key.key() == Qt::Key_F10 && Modifiers(key) == Qt::ShiftModifier);
}

std::optional<NodeAction> NodeMenu::ActionOfKey(const QKeyEvent& key) {
    if (key.matches(QKeySequence::Copy)) {
        return NodeAction::CopyPath;
    }
    const Qt::KeyboardModifiers modifiers = Modifiers(key);
    if (key.key() == Qt::Key_F5 && modifiers == Qt::NoModifier) {
        return NodeAction::Rescan;
    }
    if (key.key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        return NodeAction::Trash;
    }
    if (key.key() == Qt::Key_Delete && modifiers == Qt::ShiftModifier) {
        return NodeAction::Delete;
    }
    return std::nullopt;
}

NodeTarget NodeMenu::RecordTarget(const TFileAttr& record) const {
    NodeTarget target;
    const TFileAttr* root = FinishedRoot ? FinishedRoot() : nullptr;
    if (root == nullptr) {
        return target;
    }
    // The window's own records, which the listing and the graph only read.
    target.Record = const_cast<TFileAttr*>(&record);
    target.Path = RealPathOf(RootPath ? RootPath() : std::string(), *root, record);
    target.Walked = Walked && Walked();
    target.Changeable = CanChange && CanChange(&record);
    return target;
}

NodeTarget NodeMenu::TreeTarget() const {
    const TTreeNode* node = tree_.Model().NodeOf(tree_.currentIndex());
    if (node == nullptr) {
        return {};
    }
    const TFileAttr* root = FinishedRoot ? FinishedRoot() : nullptr;
    const TFileAttr* record = root != nullptr ? RecordOf(*root, *node) : nullptr;
    if (record != nullptr) {
        return RecordTarget(*record);
    }
    NodeTarget target;
    target.Path = ListedPath(RootPath ? RootPath() : std::string(), *node);
    target.Walked = Walked && Walked();
    return target;
}

NodeTarget NodeMenu::GraphTarget() const {
    const TFileAttr* selected = graph_.Selected();
    return selected != nullptr ? RecordTarget(*selected) : NodeTarget();
}

void NodeMenu::Popup(const NodeTarget& target, QPoint global) {
    if (menu_->isVisible() || target.Path.empty()) {
        return;
    }
    target_ = target;
    for (const Entry& entry : Entries()) {
        actions_[Slot(entry.action)]->setEnabled(target_.Allows(entry.action));
    }
    menu_->popup(global);
}

void NodeMenu::Dismiss() {
    menu_->hide();
    target_ = {};
}

void NodeMenu::Run(NodeAction action, NodeTarget target) {
    // A menu opened earlier: what works on the records now counts too.
    target.Changeable = target.Changeable && CanChange && CanChange(target.Record);
    if (!target.Allows(action)) {
        return;
    }
    switch (action) {
        case NodeAction::OpenInFileManager:
            launcher_->Show(target.Path);
            break;
        case NodeAction::CopyPath:
            PutPathOnClipboard(target.Path);
            break;
        case NodeAction::Rescan:
            emit RescanRequested(target.Record);
            break;
        case NodeAction::Trash:
            emit TrashRequested(target.Record);
            break;
        case NodeAction::Delete:
            emit DeleteRequested(target.Record);
            break;
    }
}

void NodeMenu::PopupForCurrentNode() {
    const QModelIndex current = tree_.currentIndex();
    if (!current.isValid()) {
        return;
    }
    tree_.scrollTo(current);
    const QRect place = tree_.visualRect(current);
    const QPoint corner = tree_.viewport()->rect().contains(place.bottomLeft())
                              ? place.bottomLeft()
                              : tree_.viewport()->rect().center();
    Popup(TreeTarget(), tree_.viewport()->mapToGlobal(corner));
}

bool NodeMenu::TreeContextMenu(QEvent& event, bool onViewport) {
    auto& menu = static_cast<QContextMenuEvent&>(event);
    if (menu.reason() != QContextMenuEvent::Mouse) {
        PopupForCurrentNode();
        return true;
    }
    const QPoint at = onViewport ? menu.pos() : tree_.viewport()->mapFrom(&tree_, menu.pos());
    const QModelIndex index = tree_.indexAt(at);
    if (index.isValid()) {
        tree_.setCurrentIndex(index);
        Popup(TreeTarget(), menu.globalPos());
    }
    return true;
}

bool NodeMenu::eventFilter(QObject* watched, QEvent* event) {
    // Filters run while the tree is taken down too: no call on it before the event is one of ours.
    if (event->type() != QEvent::ContextMenu && event->type() != QEvent::KeyPress &&
        event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    const bool onViewport = watched == viewport_;
    const bool onTree = watched == &tree_ || onViewport;
    if (!onTree && watched != &surface_) {
        return false;
    }
    bool taken = false;
    Guarded([&] {
        if (event->type() == QEvent::ContextMenu) {
            taken = onTree && TreeContextMenu(*event, onViewport);  // the graph's own are its own
            return;
        }
        const auto& key = *static_cast<QKeyEvent*>(event);
        const std::optional<NodeAction> action = ActionOfKey(key);
        if (!action) {
            if (onTree && event->type() == QEvent::KeyPress && OpensContextMenu(key)) {
                PopupForCurrentNode();
                taken = true;
            }
            return;
        }
        // Taken before any shortcut and before the view's own copy of the row text.
        event->accept();
        taken = true;
        if (event->type() == QEvent::KeyPress) {
            Run(*action, onTree ? TreeTarget() : GraphTarget());
        }
    });
    return taken;
}

}  // namespace zelk
