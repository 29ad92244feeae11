#pragma once
// Draws the entries of the open drive list through the chooser, all of one height.

#include <QStyledItemDelegate>

namespace zelk {

class TDriveComboBox;

class TDriveItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit TDriveItemDelegate(TDriveComboBox& combo);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    TDriveComboBox& combo_;
};

}  // namespace zelk
