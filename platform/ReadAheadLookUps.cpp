#include "platform/ReadAheadLookUps.h"

#include <algorithm>

namespace zelk {

void ReadAheadLookUps::LookUp(EntryBatch& batch) {
    bool shared = false;
    if (batch.Size() > 1) {
        const std::lock_guard lock(mutex_);
        shared = crew_.Active() > 1;
        if (shared) {
            shared_.push_back(&batch);
            crew_.Changed();
        }
    }
    if (shared) {
        crew_.Wake();
        done_.notify_all();  // the walk, waiting in Take
    }
    while (batch.LookUpNext()) {
    }
    if (shared) {
        std::unique_lock lock(mutex_);
        std::erase(shared_, &batch);
        done_.wait(lock, [&batch] { return batch.helpers == 0; });
    }
}

bool ReadAheadLookUps::Help(std::unique_lock<std::mutex>& lock) {
    const auto open = std::find_if(shared_.begin(), shared_.end(),
                                   [](const EntryBatch* batch) { return batch->Open(); });
    if (open == shared_.end()) {
        return false;
    }
    EntryBatch& batch = **open;
    ++batch.helpers;
    lock.unlock();
    while (batch.LookUpNext()) {
    }
    lock.lock();
    --batch.helpers;
    done_.notify_all();
    return true;
}

}  // namespace zelk
