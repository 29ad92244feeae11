#pragma once
// The user-interface thread's end of the worker-thread frame: a QObject on that thread that
// serves the workers' pending steps when woken, and runs jobs handed over by other threads.
// Wake-ups are posted at high priority, so the main loop and modal loops alike serve them first.

#include <QObject>
#include <chrono>
#include <functional>

namespace zelk {

class UiRelay : public QObject {
    Q_OBJECT
  public:
    // Installs itself as the frame's wake-up hook; removes the hook again when destroyed.
    UiRelay();
    ~UiRelay() override;

    // Any thread: asks the user-interface thread to serve the pending steps soon.
    void Wake();
    // Any thread: runs job on the user-interface thread. Returns true once that thread has
    // taken the job (the job may still be running), false when it did not within the wait.
    bool HandOver(std::function<void()> job, std::chrono::milliseconds wait);

  protected:
    void customEvent(QEvent* event) override;
};

}  // namespace zelk
