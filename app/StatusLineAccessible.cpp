#include "app/StatusLineAccessible.h"

#include "app/TStatusBar.h"

namespace zelk {

StatusLineAccessible::StatusLineAccessible(TStatusBar* line)
    : QAccessibleWidget(line, QAccessible::StatusBar) {}

QString StatusLineAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Name || kind == QAccessible::Value) {
        const std::string& shown = static_cast<const TStatusBar*>(widget())->SimpleText();
        if (!shown.empty()) {
            return QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
        }
    }
    return QAccessibleWidget::text(kind);
}

}  // namespace zelk
