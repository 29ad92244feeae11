#include "app/TPageControl.h"

#include <QTabBar>

namespace zelk {

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {
    setTabPosition(QTabWidget::North);
    setDocumentMode(false);
    tabBar()->setExpanding(false);
    tabBar()->setUsesScrollButtons(false);
    setFocusPolicy(Qt::TabFocus);
}

void TPageControl::SetActivePage(QWidget* page) {
    if (page != nullptr && page != currentWidget() && indexOf(page) >= 0) {
        setCurrentWidget(page);
    }
}

}  // namespace zelk
