#include "platform/PosixListing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zelk {
namespace {

bool SameDirectory(int fd, const struct stat& expected) {
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == expected.st_dev && st.st_ino == expected.st_ino;
}

}  // namespace

PosixListing::PosixListing(PosixListing* parent, std::string name, std::shared_ptr<Walk> walk)
    : parent_(parent), walk_(std::move(walk)), depth_(walk_->chain.size()), name_(std::move(name)) {
    walk_->chain.push_back(this);
}

PosixListing::~PosixListing() {
    if (!ended_) {
        EndBelow();
        End(true);
    }
}

void PosixListing::EndBelow() {
    while (walk_->chain.size() > depth_ + 1) {
        walk_->chain.back()->End(false);
    }
}

void PosixListing::End(bool returning) {
    if (ended_) {
        return;
    }
    ended_ = true;
    // First, so that what it keeps for this level is given back before the parent is opened.
    if (source_ != nullptr) {
        walk_->readAhead->Unregister(source_);
        source_ = nullptr;
    }
    // The deepest listing always holds a descriptor, so that the parent it returns to can be
    // found again in one step.
    if (returning && inChain_ && parent_ != nullptr && parent_->fd_ < 0) {
        try {
            parent_->Reopen(fd_);
        } catch (...) {
            // Without memory to read ahead it is open all the same; closed, its next child
            // opens it again.
        }
    }
    CloseDescriptor();
    if (inChain_) {
        walk_->openInodes.erase(self_.st_ino);
    }
    walk_->chain.pop_back();
    // Ended from above, it has nothing more to give.
    rest_.clear();
    nextRest_ = 0;
    spilled_ = true;
}

std::unique_ptr<PosixListing> PosixListing::OpenRoot(const std::string& path,
                                                     const std::vector<std::string>& mountPoints,
                                                     int readAheadThreads) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    auto walk = std::make_shared<Walk>(MountFence(path, mountPoints));
    if (readAheadThreads > 0) {
        walk->readAhead = std::make_unique<ReadAhead>(readAheadThreads, walk->fence);
    }
    std::unique_ptr<PosixListing> listing;
    try {
        listing.reset(new PosixListing(nullptr, path, std::move(walk)));
    } catch (...) {
        close(fd);
        throw;
    }
    if (!listing->Attach(fd, nullptr, nullptr)) {
        return nullptr;
    }
    // Its ".." would be the directory the volume is mounted on, outside the volume.
    listing->parentStat_ = listing->self_;
    listing->walk_->device = listing->self_.st_dev;
    listing->path_ = listing->walk_->fence.KeptRoot();
    listing->Enter();
    return listing;
}

std::unique_ptr<PosixListing> PosixListing::OpenChild(PosixListing& parent, const FindData& entry) {
    Walk& walk = *parent.walk_;
    if (parent.ended_ || entry.OutOfWalk || !entry.LookedUp ||
        !parent.InWalk(entry.Device, entry.Inode)) {
        return nullptr;
    }
    // One listing a level: a child still open below the parent is done with.
    parent.EndBelow();
    ReadAhead::Result ahead;
    const bool readAhead = parent.source_ != nullptr && parent.nextRest_ > 0 &&
                           walk.readAhead->Take(parent.source_, parent.nextRest_ - 1, ahead);
    // A descriptor kept by the read-ahead, or opened as the entry was listed, spares opening
    // the child again.
    int fd = readAhead ? ahead.fd : -1;
    const struct stat* self = fd >= 0 ? &ahead.self : nullptr;
    if (!readAhead && parent.opened_.fd >= 0 && parent.opened_.self.st_ino == entry.Inode &&
        parent.opened_.self.st_dev == entry.Device) {
        fd = std::exchange(parent.opened_.fd, -1);
        self = &parent.opened_.self;
    }
    if (fd < 0 && parent.fd_ < 0 && !parent.Reopen(-1)) {
        return nullptr;
    }
    while (walk.descriptors >= kOpenLevels && FreeDescriptor(parent)) {
    }
    if (fd < 0 && (fd = OpenAt(parent.fd_, entry.Name.c_str(), parent)) < 0) {
        return nullptr;
    }
    std::unique_ptr<PosixListing> child;
    try {
        child.reset(new PosixListing(&parent, entry.Name, parent.walk_));
    } catch (...) {
        close(fd);
        throw;
    }
    if (!child->Attach(fd, self, readAhead ? &ahead : nullptr)) {
        return nullptr;
    }
    // The entry may have been replaced since it was listed: judge what was really opened.
    if (!parent.InWalk(child->self_.st_dev, child->self_.st_ino)) {
        return nullptr;
    }
    child->parentStat_ = parent.self_;
    child->path_ = walk.fence.KeptChild(parent.path_, entry.Name);
    child->Enter();
    return child;
}

bool PosixListing::Attach(int fd, const struct stat* self, ReadAhead::Result* ahead) {
    TakeDescriptor(fd);
    if (self != nullptr) {
        self_ = *self;
    } else if (fstat(fd, &self_) != 0) {
        return false;
    }
    if (ahead != nullptr && ahead->self.st_dev == self_.st_dev &&
        ahead->self.st_ino == self_.st_ino) {
        rest_ = std::move(ahead->entries);
        failed_ = ahead->failed;
        spilled_ = true;
    }
    return true;
}

void PosixListing::Enter() {
    inChain_ = true;
    walk_->openInodes.insert(self_.st_ino);
    if (walk_->readAhead == nullptr) {
        return;
    }
    if (!spilled_) {
        ReadRest(ReadAhead::kMostEntries);
    }
    if (spilled_) {
        RegisterTargets();
    }
}

ListedDirectory PosixListing::Listed() const {
    return ListedDirectory{fd_, &self_, &parentStat_, &path_, &walk_->fence};
}

bool PosixListing::InWalk(std::uint64_t device, std::uint64_t inode) const {
    return device == walk_->device && walk_->openInodes.count(inode) == 0;
}

void PosixListing::Judge(FindData& entry) const {
    if (entry.LookedUp && (entry.Attributes & kFileAttributeDirectory) != 0 &&
        !IsDotName(entry.Name)) {
        entry.OutOfWalk = entry.OutOfWalk || !InWalk(entry.Device, entry.Inode);
    }
}

void PosixListing::RegisterTargets() {
    std::vector<ReadAhead::Target> targets;
    for (std::size_t i = nextRest_; i < rest_.size() && targets.size() < kMostTargets; ++i) {
        const FindData& entry = rest_[i];
        if ((entry.Attributes & kFileAttributeDirectory) != 0 && !entry.OutOfWalk &&
            entry.LookedUp && !IsDotName(entry.Name) && InWalk(entry.Device, entry.Inode)) {
            targets.push_back(ReadAhead::Target{i, entry.Name, entry.Device, entry.Inode,
                                                walk_->fence.KeptChild(path_, entry.Name)});
        }
    }
    if (!targets.empty()) {
        source_ = walk_->readAhead->Register(fd_, self_, std::move(targets));
    }
}

void PosixListing::TakeDescriptor(int fd) {
    fd_ = fd;
    ++walk_->descriptors;
}

void PosixListing::CloseDescriptor() {
    opened_.Close();
    if (source_ != nullptr && fd_ >= 0) {
        walk_->readAhead->Close(source_);
    }
    if (fd_ >= 0) {
        close(fd_);
        --walk_->descriptors;
    }
    fd_ = -1;
    reader_.Release();
}

bool PosixListing::Next(FindData& entry) {
    opened_.Close();  // unless the walk has taken it
    if (nextRest_ < rest_.size()) {
        entry = std::move(rest_[nextRest_++]);
        Judge(entry);
        return true;
    }
    if (spilled_ || fd_ < 0) {
        return false;
    }
    while (const dirent64* d = reader_.Next(fd_)) {
        if (LookUpEntry(Listed(), d->d_name, d->d_type, entry, &opened_)) {
            Judge(entry);
            return true;
        }
    }
    failed_ = failed_ || reader_.Failed();
    return false;
}

void PosixListing::ReadRest(std::size_t limit) {
    if (spilled_ || fd_ < 0) {
        return;
    }
    FindData entry;
    while (rest_.size() - nextRest_ < limit) {
        const dirent64* d = reader_.Next(fd_);
        if (d == nullptr) {
            failed_ = failed_ || reader_.Failed();
            spilled_ = true;
            return;
        }
        if (LookUpEntry(Listed(), d->d_name, d->d_type, entry)) {
            rest_.push_back(std::move(entry));
        }
    }
}

void PosixListing::Spill() {
    ReadRest(static_cast<std::size_t>(-1));
    CloseDescriptor();
}

bool PosixListing::Reopen(int childFd) {
    int fd = childFd >= 0 ? OpenAt(childFd, "..", *this) : -1;
    if (fd >= 0 && !SameDirectory(fd, self_)) {
        close(fd);
        fd = -1;
    }
    if (fd < 0) {
        fd = OpenFromAbove();
    }
    if (fd < 0) {
        return false;
    }
    TakeDescriptor(fd);
    ResumeReadAhead();
    return true;
}

int PosixListing::OpenFromAbove() {
    // The levels from the nearest open ancestor down to this one, through the chain, which
    // holds every ancestor of a listing in it.
    std::size_t first = depth_;
    while (first > 0 && walk_->chain[first - 1]->fd_ < 0) {
        --first;
    }
    PosixListing* above = first > 0 ? walk_->chain[first - 1] : nullptr;
    // Spilling what lies above the open ancestor leaves the descriptor opened from.
    PosixListing& keep = above != nullptr ? *above : *this;
    int fd = -1;
    for (std::size_t depth = first; depth <= depth_; ++depth) {
        const PosixListing& level = *walk_->chain[depth];
        const int next =
            level.parent_ == nullptr
                ? OpenAt(AT_FDCWD, level.name_.c_str(), keep, O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                : OpenAt(fd >= 0 ? fd : above->fd_, level.name_.c_str(), keep);
        if (fd >= 0) {
            close(fd);
        }
        fd = next;
        if (fd >= 0 && !SameDirectory(fd, level.self_)) {
            close(fd);
            fd = -1;
        }
        if (fd < 0) {
            return -1;
        }
    }
    return fd;
}

void PosixListing::ResumeReadAhead() {
    if (walk_->readAhead == nullptr) {
        return;
    }
    if (source_ != nullptr) {
        walk_->readAhead->Reopen(source_, fd_);
    } else if (spilled_) {
        // Too long to hold when it was entered, it has been read into memory since.
        RegisterTargets();
    }
}

bool PosixListing::FreeDescriptor(PosixListing& keep) {
    // The open listings are the deepest levels in a row: looking further up finds none.
    PosixListing* shallowest = nullptr;
    for (PosixListing* l = keep.parent_; l != nullptr && l->fd_ >= 0; l = l->parent_) {
        shallowest = l;
    }
    if (shallowest == nullptr) {
        return false;
    }
    shallowest->Spill();
    return true;
}

int PosixListing::OpenAt(int dirFd, const char* name, PosixListing& keep, int flags) {
    int fd = -1;
    while ((fd = openat(dirFd, name, flags)) < 0) {
        if ((errno != EMFILE && errno != ENFILE) ||
            !(FreeDescriptor(keep) ||
              (keep.walk_->readAhead != nullptr && keep.walk_->readAhead->GiveBack()))) {
            return -1;
        }
    }
    return fd;
}

}  // namespace zelk
