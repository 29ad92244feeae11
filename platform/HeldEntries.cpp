#include "platform/HeldEntries.h"

#include <utility>

#include "platform/EntryBatch.h"
#include "platform/ReadAheadWindow.h"

namespace zelk {

void HeldEntries::HoldWhole(std::vector<FindData> entries) {
    entries_ = std::move(entries);
    whole_ = true;
}

bool HeldEntries::ReadFrom(const ListedDirectory& dir, DirectoryReader& reader,
                           ReadAhead* readAhead, std::size_t limit) {
    if (whole_ || dir.fd < 0) {
        return true;
    }
    bool failed = false;
    // Names are looked up a batch at a time, so that the batch's names bound what is held twice.
    EntryBatch batch(dir);
    while (!whole_ && entries_.size() - next_ < limit) {
        while (batch.Size() < ReadAheadWindow::kMostEntries &&
               entries_.size() - next_ + batch.Size() < limit) {
            const dirent64* d = reader.Next(dir.fd);
            if (d == nullptr) {
                failed = reader.Failed();
                whole_ = true;
                break;
            }
            batch.Add(d->d_name, d->d_type);
        }
        if (readAhead != nullptr) {
            readAhead->LookUp(batch);
        } else {
            while (batch.LookUpNext()) {
            }
        }
        batch.MoveFoundTo(entries_);
    }
    return !failed;
}

bool HeldEntries::Next(FindData& entry) {
    if (next_ >= entries_.size()) {
        return false;
    }
    entry = std::move(entries_[next_++]);
    return true;
}

void HeldEntries::End() {
    entries_.clear();
    next_ = 0;
    whole_ = true;
}

}  // namespace zelk
