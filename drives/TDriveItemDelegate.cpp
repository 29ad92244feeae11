#include "drives/TDriveItemDelegate.h"

#include "drives/TDriveComboBox.h"

namespace zelk {

TDriveItemDelegate::TDriveItemDelegate(TDriveComboBox& combo)
    : QStyledItemDelegate(&combo), combo_(combo) {}

void TDriveItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    combo_.DrawDriveEntry(*painter, index.row(), option.rect,
                          option.state.testFlag(QStyle::State_Selected),
                          option.state.testFlag(QStyle::State_HasFocus));
}

QSize TDriveItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& /*index*/) const {
    return {option.rect.width(), combo_.ItemHeight()};
}

}  // namespace zelk
