#pragma once
// The names of one listed directory, looked up by several threads at once: each takes the next
// name nobody has taken, and the entries found keep the listing's order. On a drive where every
// look-up waits a round trip, a directory's entries then cost about one round trip, not one each.

#include <atomic>
#include <cstddef>
#include <vector>

#include "platform/EntryLookup.h"
#include "platform/FindData.h"

namespace zelk {

class EntryBatch {
  public:
    // dir, and abandoned when given, outlive the batch; once abandoned turns true the names
    // left are not looked up.
    explicit EntryBatch(const ListedDirectory& dir, const std::atomic<bool>* abandoned = nullptr)
        : dir_(dir), abandoned_(abandoned) {}
    EntryBatch(const EntryBatch&) = delete;
    EntryBatch& operator=(const EntryBatch&) = delete;

    // Only before any name is looked up.
    void Add(const char* name, unsigned char type);
    std::size_t Size() const { return slots_.size(); }
    // Whether names are left that nobody has taken.
    bool Open() const { return next_.load(std::memory_order_relaxed) < slots_.size(); }

    // Looks up the next name nobody has taken; false once none is left. Any thread.
    bool LookUpNext();
    // Moves the entries found to the end of entries and empties the batch; once no thread is
    // looking up any more.
    void MoveFoundTo(std::vector<FindData>& entries);

    // Threads looking up besides the one that owns the batch; the lock of whoever shares the
    // batch guards it.
    int helpers = 0;

  private:
    struct Slot {
        FindData entry;
        unsigned char type = 0;
        bool found = false;
    };
    const ListedDirectory dir_;
    const std::atomic<bool>* abandoned_;
    std::vector<Slot> slots_;
    std::atomic<std::size_t> next_{0};
};

}  // namespace zelk
