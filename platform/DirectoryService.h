#pragma once
// The directory-listing service the scan walks with. One listing is open per level of the walk;
// a child is opened relative to the listing that returned it, so no path text is resolved twice.
// Behind an interface so that tests can fail listings and make entries vanish.

#include <memory>

#include "platform/FindData.h"

namespace zelk {

class DirectoryListing {
  public:
    virtual ~DirectoryListing() = default;
    // The next entry ("." and ".." included), or false once the listing is exhausted or fails.
    virtual bool Next(FindData& entry) = 0;
    // True once Next has ended for an error rather than at the end of the entries.
    virtual bool Failed() const { return false; }
};

class DirectoryService {
  public:
    virtual ~DirectoryService() = default;
    // The listing of the root "x:" of a drive letter, or nullptr when it cannot be opened (no
    // volume has the letter, or its mount point cannot be read).
    virtual std::unique_ptr<DirectoryListing> OpenRoot(char letter) = 0;
    // The listing of a sub-directory entry that parent has just returned, or nullptr when it
    // cannot be opened. A listing released before its child ends the child with it (which then
    // gives no more entries), so no order of release reaches a parent that is gone. Entries
    // that are OtherVolumeOrLoop or were not looked up are never opened.
    virtual std::unique_ptr<DirectoryListing> OpenChild(DirectoryListing& parent,
                                                        const FindData& entry) = 0;
};

// The process's service over the real file system (never null).
DirectoryService& SystemDirectoryService();

}  // namespace zelk
