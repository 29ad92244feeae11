#pragma once
// The graph's sideways scroll bar: shown only while the columns need more room than the
// surface has, a column a step and the surface's width a page.

#include <QScrollBar>

#include "scan/TFileAttr.h"

namespace zelk {

class GraphLayout;

class GraphScrollBar : public QScrollBar {
  public:
    explicit GraphScrollBar(QWidget* parent);

    // The range for layout on a surface width wide; nullptr for no graph.
    void Fit(const GraphLayout* layout, int width);
    // Scrolls the least that shows record's column whole.
    void Reveal(const GraphLayout& layout, const TFileAttr& record, int width);
};

}  // namespace zelk
