#include "app/TTreeView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <vector>

#include "app/NodeTextDelegate.h"
#include "app/SubtreeExpander.h"

namespace zelk {

TTreeView::TTreeView(QWidget* parent)
    : QTreeView(parent),
      model_(new TreeNodeModel(this)),
      expander_(new SubtreeExpander(*this, *model_)) {
    setModel(model_);
    setHeaderHidden(true);
    setIndentation(19);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSortingEnabled(false);
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setUniformRowHeights(true);  // keeps a million rows cheap to lay out
    // One column as wide as the widest row laid out, so long and deep rows scroll sideways
    // instead of being cut off.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setTextElideMode(Qt::ElideNone);
    setItemDelegate(new NodeTextDelegate(this));
    setExpandsOnDoubleClick(true);
    // The selection shows only while the tree has the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Base));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Text));
    setPalette(colours);
}

void TTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Asterisk) {
        expander_->ExpandAll(model_->NodeOf(currentIndex()));
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TTreeView::SelectNode(TTreeNode* node) {
    model_->FlushChanges();  // indices exist only once the view knows of the listing
    const QModelIndex index = model_->IndexOf(node);
    if (!index.isValid()) {
        return;
    }
    std::vector<TTreeNode*> ancestors;
    for (TTreeNode* up = node->Parent(); up != nullptr; up = up->Parent()) {
        ancestors.push_back(up);
        if (ancestors.size() > static_cast<std::size_t>(kExpandDepth)) {
            break;
        }
    }
    setCurrentIndex(index);
    if (ancestors.size() > static_cast<std::size_t>(kExpandDepth)) {
        return;  // scrolling to it would expand them all too
    }
    // With a layout pending, each expansion is only remembered: one layout follows.
    scheduleDelayedItemsLayout();
    for (auto up = ancestors.rbegin(); up != ancestors.rend(); ++up) {
        expand(model_->IndexOf(*up));
    }
    scrollTo(index);
}

void TTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedInside_ = true;
    }
    QTreeView::mousePressEvent(event);
}

void TTreeView::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = event->button() == Qt::LeftButton && pressedInside_ &&
                       viewport()->rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        pressedInside_ = false;
    }
    QTreeView::mouseReleaseEvent(event);
    if (click) {
        emit Click();
    }
}

void TTreeView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    const int indent = indentation();
    int depth = 0;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
        ++depth;
    }
    const QAbstractItemModel* items = index.model();
    const auto hasNextSibling = [items](const QModelIndex& node) {
        return node.row() + 1 < items->rowCount(node.parent());
    };
    const int midY = rect.top() + rect.height() / 2;
    const int left = rect.right() + 1 - (depth + 1) * indent;
    const auto centreX = [&](int level) { return left + level * indent + indent / 2; };

    painter->save();
    painter->setPen(palette().color(QPalette::Dark));
    const auto dotsDown = [&](int x, int y1, int y2) {
        for (int y = y1 + ((y1 + x) & 1); y <= y2; y += 2) {
            painter->drawPoint(x, y);
        }
    };
    const auto dotsAcross = [&](int y, int x1, int x2) {
        for (int x = x1 + ((x1 + y) & 1); x <= x2; x += 2) {
            painter->drawPoint(x, y);
        }
    };
    // Lines of the ancestors that have siblings still to come.
    int level = depth - 1;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent(), --level) {
        if (hasNextSibling(up)) {
            dotsDown(centreX(level), rect.top(), rect.bottom());
        }
    }
    const int x = centreX(depth);
    const bool first = depth == 0 && index.row() == 0;
    dotsDown(x, first ? midY : rect.top(), hasNextSibling(index) ? rect.bottom() : midY);
    dotsAcross(midY, x, left + (depth + 1) * indent - 2);
    if (items->hasChildren(index)) {
        const QRect box(x - 4, midY - 4, 8, 8);
        painter->fillRect(box, palette().color(QPalette::Base));
        painter->drawRect(box);
        painter->setPen(palette().color(QPalette::Text));
        painter->drawLine(x - 2, midY, x + 2, midY);
        if (!isExpanded(index)) {
            painter->drawLine(x, midY - 2, x, midY + 2);
        }
    }
    painter->restore();
}

}  // namespace zelk
