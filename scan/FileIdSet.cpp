#include "scan/FileIdSet.h"

#include <utility>

namespace zelk {

std::size_t FileIdSet::HashOf(std::uint64_t dev, std::uint64_t ino) {
    std::uint64_t h = ino * 0x9e3779b97f4a7c15ull ^ (dev + 0x632be59bd9b4e019ull);
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

FileIdSet::Slot& FileIdSet::Find(std::uint64_t dev, std::uint64_t ino) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = HashOf(dev, ino) & mask;; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if ((slot.dev == dev && slot.ino == ino) || (slot.dev == 0 && slot.ino == 0)) {
            return slot;
        }
    }
}

bool FileIdSet::Insert(std::uint64_t dev, std::uint64_t ino, ReadBudget& budget) {
    if (dev == 0 && ino == 0) {
        return !std::exchange(zeroMet_, true);
    }
    // At most three quarters full, so that a search ends soon.
    if (4 * (count_ + 1) > 3 * slots_.size()) {
        Grow(budget);
    }
    Slot& slot = Find(dev, ino);
    if (slot.dev == dev && slot.ino == ino) {
        return false;
    }
    slot = Slot{dev, ino};
    ++count_;
    return true;
}

void FileIdSet::Grow(ReadBudget& budget) {
    const std::size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
    // Both tables are held while the entries move over.
    budget.Spend(size * sizeof(Slot));
    std::vector<Slot> old(size);
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.dev != 0 || slot.ino != 0) {
            Find(slot.dev, slot.ino) = slot;
        }
    }
    budget.Return(old.size() * sizeof(Slot));
}

}  // namespace zelk
