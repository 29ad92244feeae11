#include "app/BatchedReset.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

#include "app/ErrorGuard.h"

namespace zelk {
namespace {

const QEvent::Type kEndChangeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

BatchedReset::BatchedReset(QObject* model, std::function<void()> begin, std::function<void()> end)
    : QObject(model), begin_(std::move(begin)), end_(std::move(end)) {}

void BatchedReset::Begin() {
    if (changing_) {
        return;
    }
    begin_();
    changing_ = true;
    // High priority: delivered before the paints and input that a nested loop would take first.
    QCoreApplication::postEvent(this, new QEvent(kEndChangeEvent), Qt::HighEventPriority);
}

void BatchedReset::Defer(std::function<bool()> step) {
    Finish();
    Begin();
    deferred_.Start(std::move(step));
    deferred_.Step();
}

void BatchedReset::Flush() {
    Finish();
    if (!changing_) {
        return;
    }
    changing_ = false;
    end_();
}

void BatchedReset::customEvent(QEvent* event) {
    if (event->type() != kEndChangeEvent) {
        return;
    }
    if (deferred_.Pending() && !deferred_.Running()) {
        Guarded([this] { deferred_.Step(); });
        if (deferred_.Pending()) {
            // Next time round the loop, after the paints and input waiting now.
            QCoreApplication::postEvent(this, new QEvent(kEndChangeEvent), Qt::LowEventPriority);
            return;
        }
    }
    Flush();
}

}  // namespace zelk
