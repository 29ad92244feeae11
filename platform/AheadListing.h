#pragma once
// One sub-directory listed ahead of the walk, on whichever thread runs it: what it is asked to
// list and what it hands the walk.

#include <sys/stat.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/DirectoryReader.h"
#include "platform/EntryBatch.h"
#include "platform/EntryLookup.h"
#include "platform/FileId.h"
#include "platform/FindData.h"
#include "platform/MountFence.h"

namespace zelk {

// A sub-directory to read ahead: its place among the registered listing's entries, its name,
// the identity it was listed with, and its path if the fence needs it (see MountFence).
struct AheadTarget {
    std::size_t index = 0;
    std::string name;
    FileId id;
    std::string path;
};

// A directory listed ahead: its own look-up and entries, whether the listing failed, and its
// descriptor when one was kept for the walk (the taker's to close), else -1.
struct AheadResult {
    int fd = -1;
    struct stat self {};
    std::vector<FindData> entries;
    bool failed = false;
};

// Lists the opened target of a directory looked up as parent into result, its names looked up
// by lookUp, and adds the bytes its entries hold to bytes. False, leaving the directory to the
// walk, when what was opened is no longer the target, it has more than limit names, or
// abandoned turns true meanwhile.
bool ListAhead(const OpenedDirectory& opened, const struct stat& parent, const AheadTarget& target,
               const MountFence& fence, std::size_t limit, const std::atomic<bool>& abandoned,
               DirectoryReader& reader, const std::function<void(EntryBatch&)>& lookUp,
               AheadResult& result, std::size_t& bytes);

}  // namespace zelk
