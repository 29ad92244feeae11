#pragma once
// Drawing on a painting surface with the rules the graph relies on: a one-pixel solid pen in
// plain copy mode, a solid or clear brush, rectangles whose right and bottom edges are left out,
// text placed by the top-left corner of its cell, transparent when the brush is clear.

#include <QColor>
#include <QFont>
#include <string>

class QPainter;

namespace zelk {

enum class TBrushStyle { Solid, Clear };

class TCanvas {
  public:
    TCanvas(QPainter& painter, const QFont& font, QColor brushColour);

    void SetPenColor(QColor colour) { penColour_ = colour; }
    void SetBrushColor(QColor colour) { brushColour_ = colour; }
    void SetBrushStyle(TBrushStyle style) { brushStyle_ = style; }
    void SetFontColor(QColor colour) { fontColour_ = colour; }
    QColor PenColor() const { return penColour_; }
    QColor BrushColor() const { return brushColour_; }
    TBrushStyle BrushStyle() const { return brushStyle_; }
    QColor FontColor() const { return fontColour_; }
    const QFont& Font() const { return font_; }

    // Paints the pixels x1 <= x < x2, y1 <= y < y2: the outermost ring in the pen colour, the
    // inside with the brush. Reversed corners are put in order; an empty rectangle paints nothing.
    void Rectangle(int x1, int y1, int x2, int y2);
    void TextOut(int x, int y, const std::string& text);
    // The full line height of the font, whatever the characters.
    int TextHeight(const std::string& text) const;
    int TextWidth(const std::string& text) const;

  private:
    QPainter& painter_;
    QFont font_;
    QColor penColour_{Qt::black};
    QColor brushColour_;
    TBrushStyle brushStyle_ = TBrushStyle::Solid;
    QColor fontColour_{Qt::black};
};

}  // namespace zelk
