#pragma once
// The device and inode of each hard-linked file met while reading a tree, so that each counts
// once. One flat table of 16 bytes a slot, no allocation per entry; its memory is drawn from the
// read's budget.

#include <cstdint>
#include <vector>

#include "scan/ReadBudget.h"

namespace zelk {

class FileIdSet {
  public:
    // True the first time this device and inode are met.
    bool Insert(std::uint64_t dev, std::uint64_t ino, ReadBudget& budget);

  private:
    struct Slot {
        std::uint64_t dev = 0;
        std::uint64_t ino = 0;
    };
    static std::size_t HashOf(std::uint64_t dev, std::uint64_t ino);
    // The slot holding the pair, or the free one where it belongs.
    Slot& Find(std::uint64_t dev, std::uint64_t ino);
    void Grow(ReadBudget& budget);

    std::vector<Slot> slots_;  // a pair of zeros: free
    std::size_t count_ = 0;
    bool zeroMet_ = false;  // device 0, inode 0: the one pair a free slot cannot hold
};

}  // namespace zelk
