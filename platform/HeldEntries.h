#pragma once
// The entries of one PosixListing read into memory: handed out in the listing's order before
// its descriptor is read any further, and whole once they are every entry the directory had left.
// A listing is held whole to be read ahead, and to give up its descriptor.

#include <cstddef>
#include <vector>

#include "platform/DirectoryReader.h"
#include "platform/EntryLookup.h"
#include "platform/FindData.h"
#include "platform/ReadAhead.h"

namespace zelk {

class HeldEntries {
  public:
    // entries are every entry left, listed elsewhere (read ahead).
    void HoldWhole(std::vector<FindData> entries);
    // Reads what remains of the directory dir, through reader, into memory, up to limit entries
    // held; readAhead, when given, helps look up the names. False when listing it failed.
    bool ReadFrom(const ListedDirectory& dir, DirectoryReader& reader, ReadAhead* readAhead,
                  std::size_t limit);
    bool Next(FindData& entry);
    // Ended from above, the listing has nothing more to give.
    void End();

    bool Whole() const { return whole_; }
    // Entries handed out so far: the last one's index is one less.
    std::size_t Served() const { return next_; }
    std::size_t Size() const { return entries_.size(); }
    const FindData& At(std::size_t index) const { return entries_[index]; }

  private:
    std::vector<FindData> entries_;  // served before the descriptor is read further
    std::size_t next_ = 0;
    bool whole_ = false;  // every remaining entry is in entries_
};

}  // namespace zelk
