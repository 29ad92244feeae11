#include "app/AccessibleFactory.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "app/StatusLineAccessible.h"
#include "app/TPaintBox.h"
#include "app/TStatusBar.h"

namespace zelk {
namespace {

QAccessibleInterface* Create(const QString& /*className*/, QObject* object) {
    // Exact classes, not inherits(): a subclass may describe itself.
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    const QMetaObject* kind = object->metaObject();
    if (kind == &TStatusBar::staticMetaObject) {
        return new StatusLineAccessible(static_cast<TStatusBar*>(object));
    }
    if (kind == &TPaintBox::staticMetaObject) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    }
    return nullptr;
}

}  // namespace

void InstallAccessibleFactory() {
    static const bool installed = (QAccessible::installFactory(&Create), true);
    (void)installed;
}

}  // namespace zelk
