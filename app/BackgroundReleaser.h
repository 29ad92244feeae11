#pragma once
// Frees large structures on a thread of its own, so that dropping a million records or tree
// nodes never holds the user-interface thread. What is handed over must be reachable from
// nowhere else; its destructor then runs on the releasing thread, in the order handed over.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace zelk {

class BackgroundReleaser {
  public:
    // The one releaser of the process; it finishes its work before the process ends.
    static BackgroundReleaser& Instance();

    ~BackgroundReleaser();

    void Release(std::shared_ptr<void> garbage);
    // Returns once everything handed over so far has been freed.
    void AwaitIdle();

  private:
    BackgroundReleaser() = default;
    void Work();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<void>> pending_;
    bool busy_ = false;
    bool ending_ = false;
    std::thread worker_;
};

}  // namespace zelk
