#include "app/BandAlignment.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace zelk {

BandAlignment::BandAlignment(QWidget& window, QWidget& top, int topHeight, QWidget& fill,
                             QWidget& bottom, int bottomHeight)
    : QObject(&window),
      window_(window),
      top_(top),
      fill_(fill),
      bottom_(bottom),
      topHeight_(topHeight),
      bottomHeight_(bottomHeight) {
    window.installEventFilter(this);
    Align();
}

void BandAlignment::Align() {
    const int w = window_.width();
    const int h = window_.height();
    top_.setGeometry(0, 0, w, topHeight_);
    bottom_.setGeometry(0, h - bottomHeight_, w, bottomHeight_);
    fill_.setGeometry(0, topHeight_, w, std::max(0, h - topHeight_ - bottomHeight_));
}

bool BandAlignment::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Resize) {
        Align();
    }
    return false;
}

}  // namespace zelk
