#pragma once
// The listings of one walk that have not ended, the root first: each is the parent of the
// next, so a listing joins at the end and leaves from the end, and a parent outlives its
// children (asserted in debug builds). Of them, only those holding a descriptor can be read
// further, and those are always the deepest in a row: a walk going deep reads the rest of the
// shallowest open one into memory and closes it, and going back up opens the parent it returns
// to again. Checked in debug builds at each change a walk completes.

#include <cstddef>
#include <vector>

namespace zelk {

class PosixListing;
class ReadAhead;

class ListingChain {
  public:
    // The listing's depth; its parent must be the deepest (none for the root).
    std::size_t Join(PosixListing& listing, const PosixListing* parent);
    void Leave(const PosixListing& listing);
    std::size_t Size() const { return chain_.size(); }
    PosixListing& Deepest() const { return *chain_.back(); }
    // What gives descriptors back after the listings (outlives the chain's use of it).
    void SetReadAhead(ReadAhead* readAhead) { readAhead_ = readAhead; }

    // Reads the rest of the shallowest of the open listings right above depth into memory and
    // closes it; false when the one right above holds no descriptor.
    bool CloseShallowestAbove(std::size_t depth);
    // openat that, while the process has no descriptor left, closes the open listings above
    // depth, then those the read-ahead holds.
    int OpenAt(int dirFd, const char* name, std::size_t depth, int flags);
    // A new descriptor of the closed listing at depth, opened name by name from the nearest open
    // listing above or the root's path; -1 when a step is no longer the directory it was.
    int OpenFromAbove(std::size_t depth);

    void AssertOpenRowIsDeepest() const;

  private:
    std::vector<PosixListing*> chain_;
    ReadAhead* readAhead_ = nullptr;
};

}  // namespace zelk
