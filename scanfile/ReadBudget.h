#pragma once
// The bytes a scan-file read may still make. Everything the read keeps or builds draws on it,
// so that no one kind of content can grow without the others counting against it.

#include <cstdint>
#include <string>

#include "scanfile/EScanFileError.h"

namespace zelk {

class ReadBudget {
  public:
    explicit ReadBudget(std::uint64_t bytes) : total_(bytes), left_(bytes) {}

    // Raises EScanFileError once the budget is spent.
    void Spend(std::uint64_t bytes) {
        if (bytes > left_) {
            throw EScanFileError("読み込みに要るメモリが多すぎます (" + std::to_string(total_) +
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
