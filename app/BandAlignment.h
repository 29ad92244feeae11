#pragma once
// The window's alignment: the top band and the status line keep their heights across the whole
// width and the page control takes what remains between them, on every resize of the window.

#include <QObject>

class QWidget;

namespace zelk {

class BandAlignment : public QObject {
  public:
    // Watches window, which it belongs to; the bands are children of it.
    BandAlignment(QWidget& window, QWidget& top, int topHeight, QWidget& fill, QWidget& bottom,
                  int bottomHeight);

    void Align();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& window_;
    QWidget& top_;
    QWidget& fill_;
    QWidget& bottom_;
    int topHeight_;
    int bottomHeight_;
};

}  // namespace zelk
