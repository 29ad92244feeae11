#include "app/NodeTextDelegate.h"

namespace zelk {

void NodeTextDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!option->features.testFlag(QStyleOptionViewItem::HasDisplay)) {
        return;
    }
    // From the text itself: the base class has already turned newlines into line separators.
    option->text = index.data(Qt::DisplayRole).toString();
    for (QChar& c : option->text) {
        const char16_t code = c.unicode();
        // The control pictures block has a symbol for each of U+0000 to U+001F and for DEL.
        if (code < 0x20) {
            c = QChar(static_cast<char16_t>(0x2400 + code));
        } else if (code == 0x7F) {
            c = QChar(static_cast<char16_t>(0x2421));
        } else if (code == 0x85 || code == 0x2028 || code == 0x2029) {
            c = QChar(static_cast<char16_t>(0x2424));  // the other line breaks: "newline"
        }
    }
}

}  // namespace zelk
