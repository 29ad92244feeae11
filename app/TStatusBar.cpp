#include "app/TStatusBar.h"

#include <QAccessible>
#include <QPainter>
#include <QSizeGrip>

namespace zelk {
namespace {

constexpr int kRepaintMilliseconds = 16;
constexpr int kTextMargin = 2;

}  // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent), grip_(new QSizeGrip(this)) {
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    repaint_.setSingleShot(true);
    repaint_.setInterval(kRepaintMilliseconds);
    repaint_.setTimerType(Qt::CoarseTimer);
    connect(&repaint_, &QTimer::timeout, this, [this] {
        update();
        // At display rate too, so a screen reader is not flooded during a scan.
        if (QAccessible::isActive()) {
            QAccessibleEvent changed(this, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&changed);
        }
    });
}

void TStatusBar::SetSimpleText(const std::string& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    if (!repaint_.isActive()) {
        repaint_.start();
    }
}

void TStatusBar::paintEvent(QPaintEvent* /*event*/) {
    ++paints_;
    QPainter painter(this);
    const QRect area = rect().adjusted(kTextMargin, 0, -grip_->width(), 0);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ShownText());
}

QString TStatusBar::ShownText() const {
    return QString::fromUtf8(text_.data(), static_cast<qsizetype>(text_.size()));
}

void TStatusBar::resizeEvent(QResizeEvent* /*event*/) {
    const QSize size = grip_->sizeHint();
    grip_->setGeometry(width() - size.width(), height() - size.height(), size.width(),
                       size.height());
}

}  // namespace zelk
