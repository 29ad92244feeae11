#pragma once
// Which sub-directories a walk enters: those on its own volume that are not a directory the
// walk is already in (a bind mount looping back), looked up and not fenced off. The one place
// that decides; the listings and the read-ahead ask it.

#include <cstdint>
#include <unordered_set>

#include "platform/FileId.h"
#include "platform/FindData.h"

namespace zelk {

class EntryJudge {
  public:
    explicit EntryJudge(std::uint64_t device) : device_(device) {}

    // A directory the walk is now in, and one it has left.
    void Entered(FileId id);
    void Left(FileId id);
    bool InWalk(FileId id) const { return id.device == device_ && inside_.count(id.inode) == 0; }

    // Marks a listed sub-directory outside the walk as OtherVolumeOrLoop, as it is handed out.
    void MarkOutside(FindData& entry) const;
    // True for a listed sub-directory the walk enters as things stand.
    bool Enters(const FindData& entry) const {
        return IsSubDirectory(entry) && entry.LookedUp && !entry.OtherVolumeOrLoop &&
               InWalk(entry.Id());
    }

  private:
    std::uint64_t device_;
    std::unordered_set<std::uint64_t> inside_;  // inodes of the directories being listed
};

}  // namespace zelk
