#pragma once
// The painting surface: its picture is drawn by its paint handler on every paint, on a canvas
// prepared with the surface's font and colour over a background already filled.

#include <QWidget>
#include <functional>

namespace zelk {

class TCanvas;

class TPaintBox : public QWidget {
    Q_OBJECT
  public:
    explicit TPaintBox(QWidget* parent = nullptr);

    int Width() const { return width(); }
    int Height() const { return height(); }
    // Valid only while the paint handler runs.
    TCanvas& Canvas() const;
    // Marks the whole surface for a repaint and returns; any number of calls before the next
    // paint make one paint. Nothing while the surface is not shown: its first showing paints.
    void Invalidate();

    std::function<void()> OnPaint;
    int PaintCount() const { return paints_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TCanvas* canvas_ = nullptr;
    int paints_ = 0;
};

}  // namespace zelk
