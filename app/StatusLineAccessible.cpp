#include "app/StatusLineAccessible.h"

#include "app/TStatusBar.h"

namespace zelk {

StatusLineAccessible::StatusLineAccessible(TStatusBar* line)
    : QAccessibleWidget(line, QAccessible::StatusBar) {}

QString StatusLineAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Name || kind == QAccessible::Value) {
        const auto* line = static_cast<const TStatusBar*>(widget());
        if (!line->SimpleText().empty()) {
            return line->ShownText();
        }
    }
    return QAccessibleWidget::text(kind);
}

}  // namespace zelk
