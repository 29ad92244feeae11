#include "app/TPaintBox.h"

#include <QPainter>
#include <stdexcept>

#include "app/ErrorGuard.h"
#include "app/TCanvas.h"

namespace zelk {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

TCanvas& TPaintBox::Canvas() const {
    if (canvas_ == nullptr) {
        throw std::logic_error("the canvas exists only while the surface paints");
    }
    return *canvas_;
}

void TPaintBox::Invalidate() {
    if (isVisible()) {
        update();
    }
}

void TPaintBox::paintEvent(QPaintEvent* /*event*/) {
    ++paints_;
    if (!OnPaint) {
        return;
    }
    QPainter painter(this);
    TCanvas canvas(painter, font(), palette().color(QPalette::Button));
    canvas_ = &canvas;
    try {
        OnPaint();
    } catch (...) {
        HandleErrorLater(std::current_exception());
    }
    canvas_ = nullptr;
}

}  // namespace zelk
