#pragma once
// The graph surface's mouse and keys: a click selects a bar's directory in the tree, a double
// click (or Enter) shows it as the graph's root, the wheel scrolls sideways, the arrows move the
// selection, Backspace or Alt+Left and Home zoom out, and the tooltip names the bar under the
// pointer. The right button, the Menu key and Shift+F10 open the bar's context menu.

#include <QObject>
#include <QPoint>
#include <functional>

#include "scan/TFileAttr.h"

class QEvent;

namespace zelk {

class GraphPage;
class TPaintBox;

class GraphInput : public QObject {
    Q_OBJECT
  public:
    GraphInput(GraphPage& page, TPaintBox& surface);

    // Asked to show the context menu of record's bar at a global position.
    std::function<void(const TFileAttr& record, QPoint global)> OnContextMenu;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool KeyPressed(int key, bool alt);
    // From the keyboard: at the selected bar, or the surface's middle when it is not in view.
    void MenuForSelected();

    GraphPage& page_;
    TPaintBox& surface_;
};

}  // namespace zelk
