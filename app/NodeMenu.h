#pragma once
// The context menu of a directory, on a tree node and on a graph bar (right button, the Menu
// key, Shift+F10): open in the file manager, copy the path (Ctrl+C), rescan (F5), move to the
// trash (Delete), delete for good (Shift+Delete). The keys work on the tree and the graph
// without the menu; an entry that does not apply is greyed out and its key does nothing.
// Opening and copying are done here; the three that change the records are asked for by
// signal, carrying the record, for the window to carry out.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/NodeTarget.h"
#include "scan/TFileAttr.h"

class QAction;
class QKeyEvent;
class QMenu;
class QWidget;

namespace zelk {

class FileManagerLauncher;
class GraphInput;
class GraphPage;
class TPaintBox;
class TTreeView;

class NodeMenu : public QObject {
    Q_OBJECT
  public:
    // Takes the context menu and the keys of tree and of the graph's surface.
    NodeMenu(TTreeView& tree, GraphPage& graph, TPaintBox& surface);
    ~NodeMenu() override;

    // Set by the window. The listing's records once complete, else nullptr.
    std::function<TFileAttr*()> FinishedRoot;
    // The real path the listing's root stands for (a mount point, an opened file's root name).
    std::function<std::string()> RootPath;
    // The listing comes from a walk of this machine, not from an opened scan file.
    std::function<bool()> Walked;
    // Whether a directory's records may change now: the rule of the actions themselves.
    std::function<bool(const TFileAttr*)> CanChange;

    // The Menu key and Shift+F10.
    static bool OpensContextMenu(const QKeyEvent& key);

    // The tree's current node; no directory when there is none.
    NodeTarget TreeTarget() const;
    // record is the finished tree's.
    NodeTarget RecordTarget(const TFileAttr& record) const;
    // Nothing while the menu is open already (the Menu key also comes as a context-menu event).
    void Popup(const NodeTarget& target, QPoint global);
    // The records are about to go: an open menu closes and forgets them.
    void Dismiss();
    // Carries out action for target where the rules allow it.
    void Run(NodeAction action, NodeTarget target);

    QMenu& Menu() const { return *menu_; }
    QAction& ActionOf(NodeAction action) const;
    FileManagerLauncher& Launcher() const { return *launcher_; }

  signals:
    // Leave the record where it was when refused; the window connects these.
    void RescanRequested(TFileAttr* record);
    void TrashRequested(TFileAttr* record);
    void DeleteRequested(TFileAttr* record);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static std::optional<NodeAction> ActionOfKey(const QKeyEvent& key);
    NodeTarget GraphTarget() const;
    void PopupForCurrentNode();
    bool TreeContextMenu(QEvent& event, bool onViewport);

    TTreeView& tree_;
    GraphPage& graph_;
    QPointer<GraphInput> graphInput_;  // may go first when the window goes
    TPaintBox& surface_;
    QWidget* viewport_;  // the tree's
    QMenu* menu_;
    std::array<QAction*, 5> actions_{};
    FileManagerLauncher* launcher_;
    NodeTarget target_;  // of the open menu
};

}  // namespace zelk
