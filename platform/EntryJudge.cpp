#include "platform/EntryJudge.h"

#include <cassert>

namespace zelk {

void EntryJudge::Entered(FileId id) {
    [[maybe_unused]] const bool added = inside_.insert(id.inode).second;
    assert(added);
}

void EntryJudge::Left(FileId id) {
    [[maybe_unused]] const auto erased = inside_.erase(id.inode);
    assert(erased == 1);
}

void EntryJudge::MarkOutside(FindData& entry) const {
    if (IsSubDirectory(entry) && entry.LookedUp && !InWalk(entry.Id())) {
        entry.OtherVolumeOrLoop = true;
    }
}

}  // namespace zelk
