#include "app/GraphScrollBar.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "app/GraphLayout.h"

namespace zelk {

GraphScrollBar::GraphScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setVisible(false);
    setFocusPolicy(Qt::NoFocus);
}

void GraphScrollBar::Fit(const GraphLayout* layout, int width) {
    std::int64_t range = 0;
    int column = 1;
    if (layout != nullptr) {
        range = std::clamp<std::int64_t>(layout->GraphWidth() - width, 0, INT_MAX);
        column = std::max(layout->ColumnWidth(), 1);
    }
    setRange(0, static_cast<int>(range));
    setSingleStep(column);
    setPageStep(std::max(width, 1));
    // Only a graph wider than the page has one: otherwise the page is as it always was.
    setVisible(range > 0);
}

void GraphScrollBar::Reveal(const GraphLayout& layout, const TFileAttr& record, int width) {
    const std::int64_t left =
        static_cast<std::int64_t>(layout.LevelOf(record)) * layout.ColumnWidth();
    const std::int64_t right = left + layout.ColumnWidth();
    if (left < value()) {
        setValue(static_cast<int>(std::max<std::int64_t>(left, 0)));
    } else if (right > static_cast<std::int64_t>(value()) + width) {
        setValue(static_cast<int>(std::min<std::int64_t>(right - width, maximum())));
    }
}

}  // namespace zelk
