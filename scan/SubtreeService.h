#pragma once
// The listing service for walking one directory of a scanned volume again: its root is that
// directory, reached by its real path without following a link, and one directory below it (the
// records of which are already known) may be kept out of the walk, as if it were not entered.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DirectoryService.h"
#include "platform/PosixDirectoryService.h"

namespace zelk {

class SubtreeService : public DirectoryService {
  public:
    // The directory names[0]/.../names[n-1] below the volume's mount point root.
    SubtreeService(std::string root, std::vector<std::string> names);

    // The directory with this device and inode is listed but not entered (OtherVolumeOrLoop).
    void KeepOut(std::uint64_t device, std::uint64_t inode);

    // The letter is that of the volume, already resolved to root: it is not read.
    std::unique_ptr<DirectoryListing> OpenRoot(char letter) override;
    std::unique_ptr<DirectoryListing> OpenChild(DirectoryListing& parent,
                                                const FindData& entry) override;

  private:
    class Listing;

    std::string root_;
    std::vector<std::string> names_;
    PosixDirectoryService files_;
    bool keepOut_ = false;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

}  // namespace zelk
