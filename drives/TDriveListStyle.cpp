#include "drives/TDriveListStyle.h"

#include <QApplication>

namespace zelk {

TDriveListStyle::TDriveListStyle() : QProxyStyle(QApplication::style()->name()) {}

int TDriveListStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                               QStyleHintReturn* returnData) const {
    if (hint == SH_ComboBox_Popup) {
        return 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace zelk
