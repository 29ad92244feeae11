#pragma once
// A process-wide setting that one thread replaces while others read it. Readers get a copy, so
// a setting worth sharing by snapshot is held as a shared_ptr to const. A mutex rather than
// std::atomic<std::shared_ptr>: this library's lock-bit version of the latter is reported as a
// race by ThreadSanitizer, and an uncontended lock costs about as much.

#include <mutex>
#include <utility>

namespace zelk {

template <typename T>
class SharedSetting {
  public:
    explicit SharedSetting(T initial = T()) : value_(std::move(initial)) {}
    SharedSetting(const SharedSetting&) = delete;
    SharedSetting& operator=(const SharedSetting&) = delete;

    T Get() const {
        const std::lock_guard lock(mutex_);
        return value_;
    }

    // The old value is released after the lock, by value's destructor.
    void Set(T value) {
        const std::lock_guard lock(mutex_);
        std::swap(value_, value);
    }

  private:
    mutable std::mutex mutex_;
    T value_;
};

}  // namespace zelk
