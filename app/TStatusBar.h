#pragma once
// The status line: one text from its left end and a sizing grip at its right end. Setting the
// text costs a comparison and a copy; the line repaints at most at display rate, always with the
// newest text, so a scan that sets it once per directory pays nothing in paints.

#include <QTimer>
#include <QWidget>
#include <string>

#include "scan/StatusLine.h"

class QSizeGrip;

namespace zelk {

class TStatusBar : public QWidget, public StatusLine {
    Q_OBJECT
  public:
    explicit TStatusBar(QWidget* parent = nullptr);

    const std::string& SimpleText() const { return text_; }
    QString ShownText() const;
    // An equal text does nothing at all.
    void SetSimpleText(const std::string& text) override;
    // How many texts have reached the screen; lets tests see that repaints are coalesced.
    int PaintCount() const { return paints_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    std::string text_;
    QTimer repaint_;
    QSizeGrip* grip_;
    int paints_ = 0;
};

}  // namespace zelk
