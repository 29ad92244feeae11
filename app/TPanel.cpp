#include "app/TPanel.h"

#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

namespace zelk {
namespace {

constexpr int kBorder = 2;

}  // namespace

TPanel::TPanel(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void TPanel::SetArrowOrder(std::vector<QWidget*> order, std::vector<QWidget*> keepArrows) {
    for (QWidget* control : order_) {
        control->removeEventFilter(this);
    }
    order_ = std::move(order);
    keepArrows_ = std::move(keepArrows);
    for (QWidget* control : order_) {
        control->installEventFilter(this);
    }
}

void TPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(kBorder, kBorder, -kBorder - 1, -kBorder - 1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
}

bool TPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier) {
        return false;
    }
    int step = 0;
    switch (key->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
            step = 1;
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            step = -1;
            break;
        default:
            return false;
    }
    const auto found = std::find(order_.begin(), order_.end(), watched);
    if (found == order_.end() ||
        std::find(keepArrows_.begin(), keepArrows_.end(), watched) != keepArrows_.end()) {
        return false;
    }
    const auto count = static_cast<long>(order_.size());
    long at = found - order_.begin();
    QWidget* to = nullptr;
    for (long tried = 0; tried < count && (to == nullptr || !to->isEnabled()); ++tried) {
        at = (at + step + count) % count;  // past controls that cannot act now
        to = order_[static_cast<std::size_t>(at)];
    }
    to->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

}  // namespace zelk
