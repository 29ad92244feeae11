#pragma once
// One directory of the scanned tree: its place in the tree and the totals of its subtree. Only
// directories get records; files are folded into the totals of the directory that lists them.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scan/FileName.h"

namespace zelk {

class TFileAttr {
  public:
    TFileAttr();
    // Frees the whole subtree without recursing once per level, so any depth fits the stack.
    ~TFileAttr();
    TFileAttr(const TFileAttr&) = delete;
    TFileAttr& operator=(const TFileAttr&) = delete;

    // CompressedSize when the installed size basis counts compressed bytes, otherwise Size.
    double GetSize() const;

    // For display only: the root's drive text (the letter and ":", or ":" with no letter), then
    // "\\" and each name down to this record. Built on each call, so no record holds its path.
    std::string Path() const;

    // Records alive in the process, for checking that a replaced tree was really freed.
    static long LiveCount() { return liveCount_.load(std::memory_order_relaxed); }

    TFileAttr* Parent = nullptr;
    std::vector<std::unique_ptr<TFileAttr>> Children;
    FileName Name;
    double Size = 0;
    double LastWrite = 0;
    double CompressedSize = 0;
    std::int32_t Level = 0;
    std::int32_t MaxLevel = 0;
    // The listing could not be read (or the entry not looked up): it still counts as empty and
    // Searched, but the tree shows that it was not read.
    bool Unreadable = false;
    // The root's drive letter, 0 for none; the other records take their path from the root's.
    char Drive = 0;
    // The mount point of another volume (or a way back to an ancestor), not entered: empty, and
    // saved as ncdu marks one it did not cross into. Fits the padding after Drive.
    bool OtherVolume = false;
    bool Searched = false;
    // Only a comparison against an earlier scan reads or writes it: its key for this record's
    // counterpart there. Fills the record's last four bytes, so it costs nothing.
    std::uint32_t ComparisonKey = 0;

  private:
    static std::atomic<long> liveCount_;
};

}  // namespace zelk
