#pragma once
// A directory listing over an open directory descriptor, opened relative to its parent's.
// The listings of one walk form a single chain from the root; when the process runs out of
// descriptors, the shallowest ancestor reads the rest of its entries into memory and gives its
// descriptor back, and opens itself again (name by name, never following a link) when one of
// its later sub-directories is entered.

#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/DirectoryService.h"

namespace zelk {

class PosixListing final : public DirectoryListing {
  public:
    // nullptr when the directory cannot be opened.
    static std::unique_ptr<PosixListing> OpenRoot(const std::string& path);
    // nullptr when entry is on another device, is an open ancestor, or cannot be opened.
    static std::unique_ptr<PosixListing> OpenChild(PosixListing& parent, const FindData& entry);

    ~PosixListing() override;
    PosixListing(const PosixListing&) = delete;
    PosixListing& operator=(const PosixListing&) = delete;

    bool Next(FindData& entry) override;

    // True once this listing holds its remaining entries in memory.
    bool Spilled() const { return spilled_; }

  private:
    struct Walk {
        dev_t device = 0;
        std::unordered_set<ino_t> openInodes;  // the chain of open listings
    };

    PosixListing(PosixListing* parent, std::string name, Walk* walk);

    // Attaches an open descriptor; false (descriptor closed) when it cannot be listed.
    bool Attach(int fd);
    // False when the entry vanished between the listing and its look-up.
    bool Fill(const char* name, unsigned char type, FindData& entry) const;
    void Spill();
    bool EnsureOpen();
    // Gives back one descriptor of an ancestor of keep (keep's own is in use); false if none.
    static bool FreeDescriptor(PosixListing& keep);

    PosixListing* parent_;
    std::unique_ptr<Walk> ownWalk_;  // the root's
    Walk* walk_;
    std::string name_;  // the root's is the path it was opened by
    int fd_ = -1;
    DIR* dir_ = nullptr;
    struct stat self_ {};
    struct stat parentStat_ {};
    bool spilled_ = false;
    std::vector<FindData> rest_;
    std::size_t nextRest_ = 0;
};

}  // namespace zelk
