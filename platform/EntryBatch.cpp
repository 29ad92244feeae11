#include "platform/EntryBatch.h"

namespace zelk {

void EntryBatch::Add(const char* name, unsigned char type) {
    Slot& slot = slots_.emplace_back();
    slot.entry.Name.assign(name);
    slot.type = type;
}

bool EntryBatch::LookUpNext() {
    const std::size_t at = next_.fetch_add(1, std::memory_order_relaxed);
    if (at >= slots_.size()) {
        return false;
    }
    if (abandoned_ != nullptr && abandoned_->load(std::memory_order_relaxed)) {
        next_.store(slots_.size(), std::memory_order_relaxed);
        return false;
    }
    Slot& slot = slots_[at];
    slot.found = LookUpListed(dir_, slot.type, slot.entry);
    return true;
}

void EntryBatch::MoveFoundTo(std::vector<FindData>& entries) {
    for (Slot& slot : slots_) {
        if (slot.found) {
            entries.push_back(std::move(slot.entry));
        }
    }
    slots_.clear();
    next_.store(0, std::memory_order_relaxed);
}

}  // namespace zelk
