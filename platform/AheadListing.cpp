#include "platform/AheadListing.h"

namespace zelk {
namespace {

std::size_t BytesOf(const FindData& entry) {
    // A name past the short-string buffer has its own block.
    return sizeof(FindData) + (entry.Name.size() > 15 ? entry.Name.capacity() + 1 : 0);
}

}  // namespace

bool ListAhead(const OpenedDirectory& opened, const struct stat& parent, const AheadTarget& target,
               const MountFence& fence, std::size_t limit, const std::atomic<bool>& abandoned,
               DirectoryReader& reader, const std::function<void(EntryBatch&)>& lookUp,
               AheadResult& result, std::size_t& bytes) {
    // The entry may have been replaced since it was listed: the walk judges what it opens.
    if (IdOf(opened.self) != target.id) {
        return false;
    }
    result.self = opened.self;
    const ListedDirectory listed{opened.fd, &result.self, &parent, &target.path, &fence};
    EntryBatch batch(listed, &abandoned);
    reader.Restart();
    while (const dirent64* d = reader.Next(opened.fd)) {
        if (batch.Size() == limit || abandoned.load(std::memory_order_relaxed)) {
            return false;
        }
        batch.Add(d->d_name, d->d_type);
    }
    lookUp(batch);
    if (abandoned.load(std::memory_order_relaxed)) {
        return false;
    }
    batch.MoveFoundTo(result.entries);
    for (const FindData& entry : result.entries) {
        bytes += BytesOf(entry);
    }
    result.failed = reader.Failed();
    return true;
}

}  // namespace zelk
