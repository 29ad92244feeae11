#pragma once
// The names of one open directory's entries while it is read, to find two with the same name.
// Kept in one block of text and one table, reused for the next directory at the same depth, so
// a directory costs no allocation of its own; what they hold is drawn from the read's budget.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/ReadBudget.h"

namespace zelk {

class SiblingNames {
  public:
    // False when the directory already has an entry of that name (never empty).
    bool Insert(std::string_view name, ReadBudget& budget);
    // Forgets the names; a large block is released and given back to the budget.
    void Clear(ReadBudget& budget);

  private:
    struct Slot {
        std::uint64_t end = 0;  // of the name in text_; 0: free
        std::uint32_t size = 0;
        std::uint32_t hash = 0;
    };
    bool Find(std::string_view name, std::uint32_t hash, std::size_t& at) const;
    void Grow(ReadBudget& budget);
    void Charge(ReadBudget& budget);

    static constexpr std::size_t kFew = 8;

    std::string text_;
    // The sizes of the names while there are few of them and no table.
    std::uint32_t few_[kFew] = {};
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    std::uint64_t charged_ = 0;
};

}  // namespace zelk
