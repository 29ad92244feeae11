#pragma once
// The window is designed for 96 pixels per inch with a text height of 12; on other screens the
// font and then the layout are scaled once at start-up.

#include <QRect>

namespace zelk {

constexpr int kDesignDpi = 96;
constexpr int kDesignTextHeight = 12;

// value * numerator / denominator (> 0) in integers, rounded to the nearest, halves away from 0.
int MulDivRounded(int value, int numerator, int denominator);
// The window font's pixel height for a screen of dpi pixels per inch.
int FontPixelSizeFor(int dpi);
// A control's place at text height textHeight: left and top scaled, width and height from the
// scaled right and bottom edges.
QRect ScaledDesignRect(const QRect& design, int textHeight);

}  // namespace zelk
