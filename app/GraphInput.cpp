#include "app/GraphInput.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "app/ErrorGuard.h"
#include "app/GraphPage.h"
#include "app/NodeMenu.h"
#include "app/TPaintBox.h"
#include "app/TreeListing.h"

namespace zelk {
namespace {

// One notch of the wheel moves one column.
constexpr int kNotch = 120;

}  // namespace

GraphInput::GraphInput(GraphPage& page, TPaintBox& surface)
    : QObject(&page), page_(page), surface_(surface) {
    surface_.setFocusPolicy(Qt::StrongFocus);
    surface_.setMouseTracking(true);
    surface_.installEventFilter(this);
}

bool GraphInput::KeyPressed(int key, bool alt) {
    const TFileAttr* shown = page_.Shown();
    if (shown == nullptr) {
        return false;
    }
    const TFileAttr* at = page_.Selected();
    const bool inside = at != nullptr && page_.Pictured(*at);
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down: {
            if (!inside || at == shown) {
                page_.Select(shown);
                return true;
            }
            const auto& siblings = at->Parent->Children;
            const std::size_t i = ChildIndex(*at);
            const std::size_t next = key == Qt::Key_Up ? i - 1 : i + 1;
            if ((key == Qt::Key_Up && i == 0) || next >= siblings.size()) {
                return true;
            }
            page_.Select(siblings[next].get());
            return true;
        }
        case Qt::Key_Left:
            if (alt) {
                page_.Zoom(shown->Parent);
            } else {
                page_.Select(inside && at != shown ? at->Parent : shown);
            }
            return true;
        case Qt::Key_Right:
            if (!inside) {
                page_.Select(shown);
            } else if (!at->Children.empty()) {
                page_.Select(at->Children.front().get());
            }
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (inside) {
                page_.Zoom(at);
            }
            return true;
        case Qt::Key_Backspace:
            page_.Zoom(shown->Parent != nullptr ? shown->Parent : shown);
            return true;
        case Qt::Key_Home:
            page_.Zoom(nullptr);
            return true;
        default:
            return false;
    }
}

void GraphInput::MenuForSelected() {
    const TFileAttr* selected = page_.Selected();
    if (selected == nullptr || !page_.Pictured(*selected) || !OnContextMenu) {
        return;
    }
    QPoint corner;
    if (!page_.BarCorner(*selected, corner)) {
        corner = QPoint(surface_.Width() / 2, surface_.Height() / 2);
    }
    OnContextMenu(*selected, surface_.mapToGlobal(corner));
}

bool GraphInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &surface_) {
        return false;
    }
    bool taken = false;
    Guarded([&] {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton) {
                    break;
                }
                surface_.setFocus(Qt::MouseFocusReason);
                const TFileAttr* record = page_.RecordAt(mouse->position().toPoint());
                if (record != nullptr) {
                    page_.Select(record);
                    if (event->type() == QEvent::MouseButtonDblClick &&
                        mouse->button() == Qt::LeftButton) {
                        page_.Zoom(record);
                    }
                }
                taken = true;
                break;
            }
            case QEvent::ContextMenu: {
                auto* menu = static_cast<QContextMenuEvent*>(event);
                taken = true;
                if (menu->reason() != QContextMenuEvent::Mouse) {
                    MenuForSelected();
                    break;
                }
                const TFileAttr* record = page_.RecordAt(menu->pos());
                if (record != nullptr && OnContextMenu) {
                    page_.Select(record);
                    OnContextMenu(*record, menu->globalPos());
                }
                break;
            }
            case QEvent::ToolTip: {
                auto* help = static_cast<QHelpEvent*>(event);
                const TFileAttr* record = page_.RecordAt(help->pos());
                if (record != nullptr) {
                    QToolTip::showText(help->globalPos(), page_.ToolTipOf(*record), &surface_);
                } else {
                    QToolTip::hideText();
                }
                taken = true;
                break;
            }
            case QEvent::Wheel: {
                auto* wheel = static_cast<QWheelEvent*>(event);
                QScrollBar& scroll = page_.ScrollBar();
                int delta = wheel->angleDelta().x();
                if (delta == 0 && (wheel->modifiers() & Qt::ShiftModifier) != 0) {
                    delta = wheel->angleDelta().y();
                }
                if (delta != 0) {
                    const long long step =
                        static_cast<long long>(delta) * scroll.singleStep() / kNotch;
                    scroll.setValue(static_cast<int>(std::clamp<long long>(
                        scroll.value() - step, scroll.minimum(), scroll.maximum())));
                    taken = true;
                }
                break;
            }
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                if (NodeMenu::OpensContextMenu(*key)) {
                    MenuForSelected();
                    taken = true;
                    break;
                }
                taken = KeyPressed(key->key(), (key->modifiers() & Qt::AltModifier) != 0);
                break;
            }
            default:
                break;
        }
    });
    return taken;
}

}  // namespace zelk
