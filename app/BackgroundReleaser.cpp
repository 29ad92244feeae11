#include "app/BackgroundReleaser.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <utility>

namespace zelk {

BackgroundReleaser& BackgroundReleaser::Instance() {
    static BackgroundReleaser releaser;
    return releaser;
}

BackgroundReleaser::~BackgroundReleaser() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
    pending_.clear();
}

void BackgroundReleaser::Release(std::shared_ptr<void> garbage) {
    if (garbage == nullptr) {
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_.push_back(std::move(garbage));
        if (!worker_.joinable()) {
            worker_ = std::thread([this] { Work(); });
        }
    }
    changed_.notify_all();
}

void BackgroundReleaser::AwaitIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty() && !busy_; });
}

void BackgroundReleaser::Work() {
    // The lowest share of the processor (Linux nice values are per thread): on two cores the
    // user-interface thread must not wait for a million frees.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return ending_ || !pending_.empty(); });
        if (pending_.empty()) {
            return;
        }
        std::shared_ptr<void> next = std::move(pending_.front());
        pending_.pop_front();
        busy_ = true;
        lock.unlock();
        next.reset();
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace zelk
