#pragma once
// How one listed entry becomes a FindData: the walk's own listings and the read-ahead threads
// fill entries through this one rule, so an entry read ahead is the entry the walk would read.

#include <fcntl.h>
#include <sys/stat.h>

#include <string>

#include "platform/FindData.h"
#include "platform/MountFence.h"

namespace zelk {

// How a sub-directory of a walk is opened: never through a symbolic link.
constexpr int kChildOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// What an entry's look-up needs of the directory that lists it; all of it outlives the call.
struct ListedDirectory {
    int fd = -1;
    const struct stat* self = nullptr;
    const struct stat* parent = nullptr;  // what its ".." stands for, dated as self
    const std::string* path = nullptr;    // its kept path
    const MountFence* fence = nullptr;
};

void FillFromStat(const struct stat& st, FindData& entry);

// A sub-directory opened as it was listed, with the look-up of what was opened.
struct OpenedDirectory {
    int fd = -1;
    struct stat self {};
    void Close();
};

// Opens the sub-directory name of dirFd and looks it up through its descriptor; false, with
// nothing left open, when it cannot be opened as a directory.
bool OpenListed(int dirFd, const char* name, OpenedDirectory& opened);

// Fills entry for the listed name (type: the listing's d_type); false when the entry vanished
// between the listing and its look-up. A directory's OtherVolumeOrLoop is left to the walk, which
// alone knows its device and its chain of ancestors; a mount point of the table is never looked up.
// With opened, a listed directory is opened and looked up through its descriptor, which is left
// in opened (the caller's to close): one look-up of its name instead of two for a walk that
// enters it next.
bool LookUpEntry(const ListedDirectory& dir, const char* name, unsigned char type, FindData& entry,
                 OpenedDirectory* opened = nullptr);
// The same for an entry that already holds its listed name.
bool LookUpListed(const ListedDirectory& dir, unsigned char type, FindData& entry,
                  OpenedDirectory* opened = nullptr);

}  // namespace zelk
