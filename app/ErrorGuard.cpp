#include "app/ErrorGuard.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>

#include "app/TApplication.h"

namespace zelk {

void HandleError(std::exception_ptr error) {
    if (TApplication* application = TApplication::Instance()) {
        application->HandleError(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& known) {
        std::fprintf(stderr, "%s\n", known.what());
    } catch (...) {
        std::fprintf(stderr, "unknown error\n");
    }
}

void HandleErrorLater(std::exception_ptr error) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [error] { HandleError(error); }, Qt::QueuedConnection);
}

}  // namespace zelk
