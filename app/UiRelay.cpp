#include "app/UiRelay.h"

#include <QCoreApplication>
#include <QEvent>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "runtime/TThread.h"

namespace zelk {
namespace {

const QEvent::Type kServeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kJobEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct Handover {
    std::mutex lock;
    std::condition_variable taken;
    bool isTaken = false;
};

class JobEvent : public QEvent {
  public:
    JobEvent(std::function<void()> job, std::shared_ptr<Handover> handover)
        : QEvent(kJobEvent), job_(std::move(job)), handover_(std::move(handover)) {}

    void Run() {
        {
            const std::lock_guard<std::mutex> guard(handover_->lock);
            handover_->isTaken = true;
        }
        handover_->taken.notify_all();
        job_();
    }

  private:
    std::function<void()> job_;
    std::shared_ptr<Handover> handover_;
};

}  // namespace

UiRelay::UiRelay() {
    TThread::SetWakeUpHook([this] { Wake(); });
}

UiRelay::~UiRelay() {
    TThread::SetWakeUpHook({});
}

void UiRelay::Wake() {
    QCoreApplication::postEvent(this, new QEvent(kServeEvent), Qt::HighEventPriority);
}

bool UiRelay::HandOver(std::function<void()> job, std::chrono::milliseconds wait) {
    auto handover = std::make_shared<Handover>();
    QCoreApplication::postEvent(this, new JobEvent(std::move(job), handover),
                                Qt::HighEventPriority);
    std::unique_lock<std::mutex> guard(handover->lock);
    return handover->taken.wait_for(guard, wait, [&] { return handover->isTaken; });
}

void UiRelay::customEvent(QEvent* event) {
    if (event->type() == kServeEvent) {
        TThread::ServePendingSteps();
    } else if (event->type() == kJobEvent) {
        static_cast<JobEvent*>(event)->Run();
    }
}

}  // namespace zelk
