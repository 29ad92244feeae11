#include "app/TCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <utility>

namespace zelk {
namespace {

QString Display(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TCanvas::TCanvas(QPainter& painter, const QFont& font, QColor brushColour)
    : painter_(painter), font_(font), brushColour_(brushColour) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setFont(font_);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (x2 < x1) {
        std::swap(x1, x2);
    }
    if (y2 < y1) {
        std::swap(y1, y2);
    }
    const int width = x2 - x1;
    const int height = y2 - y1;
    if (width == 0 || height == 0) {
        return;
    }
    // Filled pixel by pixel area rather than stroked, so no pen geometry can move an edge.
    if (brushStyle_ == TBrushStyle::Solid && width > 2 && height > 2) {
        painter_.fillRect(QRect(x1 + 1, y1 + 1, width - 2, height - 2), brushColour_);
    }
    painter_.fillRect(QRect(x1, y1, width, 1), penColour_);
    painter_.fillRect(QRect(x1, y2 - 1, width, 1), penColour_);
    painter_.fillRect(QRect(x1, y1, 1, height), penColour_);
    painter_.fillRect(QRect(x2 - 1, y1, 1, height), penColour_);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    const QFontMetrics metrics(font_);
    const QString shown = Display(text);
    if (brushStyle_ == TBrushStyle::Solid) {
        painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(shown), metrics.height()),
                          brushColour_);
    }
    painter_.setFont(font_);
    painter_.setPen(fontColour_);
    painter_.drawText(QPoint(x, y + metrics.ascent()), shown);
}

int TCanvas::TextHeight(const std::string& /*text*/) const {
    return QFontMetrics(font_).height();
}

int TCanvas::TextWidth(const std::string& text) const {
    return QFontMetrics(font_).horizontalAdvance(Display(text));
}

}  // namespace zelk
