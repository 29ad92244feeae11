#pragma once
// The top band: button face with a one-pixel sunken frame inside a two-pixel border. The arrow
// keys move the focus through its controls in tab order, wrapping, except in a control that
// uses them itself (the drive list).

#include <QWidget>
#include <vector>

namespace zelk {

class TPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TPanel(QWidget* parent = nullptr);

    // The controls the arrow keys move through, in order; those in keepArrows keep their keys.
    void SetArrowOrder(std::vector<QWidget*> order, std::vector<QWidget*> keepArrows);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::vector<QWidget*> order_;
    std::vector<QWidget*> keepArrows_;
};

}  // namespace zelk
