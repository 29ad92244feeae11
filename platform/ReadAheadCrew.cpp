#include "platform/ReadAheadCrew.h"

#include <system_error>

namespace zelk {
namespace {

// Turns a thread looks for work before it sleeps: tens of microseconds.
constexpr int kIdleYields = 50;

}  // namespace

void ReadAheadCrew::Resize(int count) {
    {
        const std::lock_guard lock(mutex_);
        active_ = count;
        Changed();
    }
    while (threads_.size() < static_cast<std::size_t>(count)) {
        const int index = static_cast<int>(threads_.size());
        try {
            threads_.emplace_back([this, index] { Work(index); });
        } catch (const std::system_error&) {
            const std::lock_guard lock(mutex_);
            active_ = index;
            break;
        }
    }
    parked_.notify_all();
    work_.notify_all();
}

void ReadAheadCrew::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    parked_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
    threads_.clear();
}

void ReadAheadCrew::Work(int index) {
    DirectoryReader reader;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (index >= active_) {
            parked_.wait(lock);
            continue;
        }
        if (step_(lock, reader)) {
            continue;
        }
        // The walk adds jobs a directory at a time: a thread asleep would often wake too late.
        const unsigned seen = generation_.load(std::memory_order_relaxed);
        lock.unlock();
        for (int i = 0; i < kIdleYields && generation_.load(std::memory_order_relaxed) == seen;
             ++i) {
            std::this_thread::yield();
        }
        lock.lock();
        if (generation_.load(std::memory_order_relaxed) == seen && !stopping_) {
            work_.wait(lock);
        }
    }
}

}  // namespace zelk
