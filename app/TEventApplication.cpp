#include "app/TEventApplication.h"

#include "app/ErrorGuard.h"

namespace zelk {

bool TEventApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleError(std::current_exception());
        return true;
    }
}

}  // namespace zelk
