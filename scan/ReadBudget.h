#pragma once
// The bytes a read (of a scan file, or of a tree by a walk) may still make. Everything the read
// keeps or builds draws on it, so that no one kind of content can grow without the others
// counting against it.

#include <cstdint>
#include <limits>
#include <string>

#include "scan/EBudgetSpent.h"

namespace zelk {

class ReadBudget {
  public:
    explicit ReadBudget(std::uint64_t bytes) : total_(bytes), left_(bytes) {}
    // Bounded by the machine alone.
    static ReadBudget Unbounded() { return ReadBudget(std::numeric_limits<std::uint64_t>::max()); }

    // Raises EBudgetSpent once the budget is spent.
    void Spend(std::uint64_t bytes) {
        if (bytes > left_) {
            throw EBudgetSpent("読み込みに要るメモリが多すぎます (" + std::to_string(total_) +
                               " バイトまで)");
        }
        left_ -= bytes;
    }
    // What was given back: at most what was spent.
    void Return(std::uint64_t bytes) { left_ = bytes > total_ - left_ ? total_ : left_ + bytes; }

  private:
    std::uint64_t total_;
    std::uint64_t left_;
};

}  // namespace zelk
