#pragma once
// Draws a tree node's text on one line: control characters in a name (a newline, a tab) are
// shown as their visible symbols. Only the drawing changes; the node's text keeps its bytes.

#include <QStyledItemDelegate>

namespace zelk {

class NodeTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace zelk
