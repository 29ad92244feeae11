#include "platform/PosixListing.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "platform/ReadAheadWindow.h"

namespace zelk {

PosixListing::PosixListing(PosixListing* parent, std::string name, std::shared_ptr<Walk> walk)
    : parent_(parent),
      walk_(std::move(walk)),
      depth_(walk_->chain.Join(*this, parent)),
      name_(std::move(name)) {}

PosixListing::~PosixListing() {
    if (!ended_) {
        EndBelow();
        End(true);
    }
}

void PosixListing::EndBelow() {
    while (walk_->chain.Size() > depth_ + 1) {
        walk_->chain.Deepest().End(false);
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
    if (returning && entered_ && parent_ != nullptr && !parent_->HoldsDescriptor()) {
        try {
            parent_->Reopen(fd_);
        } catch (...) {
            // Without memory to read ahead it is open all the same; closed, its next child
            // opens it again.
        }
    }
    CloseDescriptor();
    if (entered_) {
        walk_->judge.Left(IdOf(self_));
    }
    walk_->chain.Leave(*this);
    walk_->chain.AssertOpenRowIsDeepest();
    held_.End();
}

std::unique_ptr<PosixListing> PosixListing::OpenRoot(const std::string& path,
                                                     const std::vector<std::string>& mountPoints,
                                                     int readAheadThreads,
                                                     ReadAhead::PauseHook pause) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat self {};
    if (fd < 0 || fstat(fd, &self) != 0) {
        if (fd >= 0) {
            close(fd);
        }
        return nullptr;
    }
    std::unique_ptr<PosixListing> listing;
    try {
        auto walk = std::make_shared<Walk>(MountFence(path, mountPoints), self.st_dev);
        if (readAheadThreads != 0) {
            walk->readAhead =
                std::make_unique<ReadAhead>(readAheadThreads, walk->fence, std::move(pause));
            walk->chain.SetReadAhead(walk->readAhead.get());
        }
        listing.reset(new PosixListing(nullptr, path, std::move(walk)));
    } catch (...) {
        close(fd);
        throw;
    }
    listing->AdoptDescriptor(fd, &self, nullptr);
    // Its ".." would be the directory the volume is mounted on, outside the volume.
    listing->parentStat_ = listing->self_;
    listing->path_ = listing->walk_->fence.RootPathToKeep();
    listing->JoinWalk();
    return listing;
}

std::unique_ptr<PosixListing> PosixListing::OpenChild(PosixListing& parent, const FindData& entry) {
    Walk& walk = *parent.walk_;
    if (parent.ended_ || !walk.judge.Enters(entry)) {
        return nullptr;
    }
    // One listing a level: a child still open below the parent is done with.
    parent.EndBelow();
    ReadAhead::Result ahead;
    const bool readAhead = parent.source_ != nullptr && parent.held_.Served() > 0 &&
                           walk.readAhead->Take(parent.source_, parent.held_.Served() - 1, ahead);
    // A descriptor kept by the read-ahead, or opened as the entry was listed, spares opening
    // the child again.
    int fd = readAhead ? ahead.fd : -1;
    const struct stat* self = fd >= 0 ? &ahead.self : nullptr;
    if (!readAhead && parent.opened_.fd >= 0 && IdOf(parent.opened_.self) == entry.Id()) {
        fd = std::exchange(parent.opened_.fd, -1);
        self = &parent.opened_.self;
    }
    if (fd < 0 && !parent.HoldsDescriptor() && !parent.Reopen(-1)) {
        return nullptr;
    }
    while (walk.descriptors.Spent() && walk.chain.CloseShallowestAbove(parent.depth_)) {
    }
    if (fd < 0 && (fd = walk.chain.OpenAt(parent.fd_, entry.Name.c_str(), parent.depth_,
                                          kChildOpenFlags)) < 0) {
        return nullptr;
    }
    std::unique_ptr<PosixListing> child;
    try {
        child.reset(new PosixListing(&parent, entry.Name, parent.walk_));
    } catch (...) {
        close(fd);
        throw;
    }
    // The entry may have been replaced since it was listed: judge what was really opened.
    if (!child->AdoptDescriptor(fd, self, readAhead ? &ahead : nullptr) ||
        !walk.judge.InWalk(IdOf(child->self_))) {
        return nullptr;
    }
    child->parentStat_ = parent.self_;
    child->path_ = walk.fence.PathToKeep(parent.path_, entry.Name);
    child->JoinWalk();
    walk.chain.AssertOpenRowIsDeepest();
    return child;
}

bool PosixListing::AdoptDescriptor(int fd, const struct stat* self, ReadAhead::Result* ahead) {
    TakeDescriptor(fd);
    if (self != nullptr) {
        self_ = *self;
    } else if (fstat(fd, &self_) != 0) {
        return false;
    }
    if (ahead != nullptr && IdOf(ahead->self) == IdOf(self_)) {
        held_.HoldWhole(std::move(ahead->entries));
        failed_ = ahead->failed;
    }
    return true;
}

void PosixListing::JoinWalk() {
    entered_ = true;
    walk_->judge.Entered(IdOf(self_));
    // With no thread to read ahead, holding the listing would only cost the walk.
    if (walk_->readAhead == nullptr || walk_->readAhead->Idle()) {
        return;
    }
    if (!held_.Whole()) {
        ReadIntoMemory(ReadAheadWindow::kMostEntries);
    }
    if (held_.Whole()) {
        RegisterReadAhead();
    }
}

ListedDirectory PosixListing::LookupContext() const {
    return ListedDirectory{fd_, &self_, &parentStat_, &path_, &walk_->fence};
}

void PosixListing::RegisterReadAhead() {
    std::vector<ReadAhead::Target> targets;
    for (std::size_t i = held_.Served(); i < held_.Size() && targets.size() < kMostTargets; ++i) {
        const FindData& entry = held_.At(i);
        if (walk_->judge.Enters(entry)) {
            targets.push_back(ReadAhead::Target{i, entry.Name, entry.Id(),
                                                walk_->fence.PathToKeep(path_, entry.Name)});
        }
    }
    if (!targets.empty()) {
        source_ = walk_->readAhead->Register(fd_, self_, std::move(targets));
    }
}

void PosixListing::TakeDescriptor(int fd) {
    fd_ = fd;
    walk_->descriptors.Took();
}

void PosixListing::CloseDescriptor() {
    opened_.Close();
    if (source_ != nullptr && fd_ >= 0) {
        walk_->readAhead->CloseSource(source_);
    }
    if (fd_ >= 0) {
        close(fd_);
        walk_->descriptors.Gave();
    }
    fd_ = -1;
    reader_.Release();
}

bool PosixListing::Next(FindData& entry) {
    opened_.Close();  // unless the walk has taken it
    if (held_.Next(entry)) {
        walk_->judge.MarkOutside(entry);
        Ticked();
        return true;
    }
    if (held_.Whole() || fd_ < 0) {
        return false;
    }
    while (const dirent64* d = reader_.Next(fd_)) {
        if (LookUpEntry(LookupContext(), d->d_name, d->d_type, entry, &opened_)) {
            walk_->judge.MarkOutside(entry);
            Ticked();
            return true;
        }
    }
    failed_ = failed_ || reader_.Failed();
    return false;
}

void PosixListing::Ticked() {
    if (walk_->readAhead != nullptr) {
        walk_->readAhead->Tick();
    }
}

void PosixListing::ReadIntoMemory(std::size_t limit) {
    if (!held_.ReadFrom(LookupContext(), reader_, walk_->readAhead.get(), limit)) {
        failed_ = true;
    }
}

void PosixListing::ReadRestAndClose() {
    ReadIntoMemory(static_cast<std::size_t>(-1));
    CloseDescriptor();
}

bool PosixListing::Reopen(int childFd) {
    ListingChain& chain = walk_->chain;
    int fd = childFd >= 0 ? chain.OpenAt(childFd, "..", depth_, kChildOpenFlags) : -1;
    if (fd >= 0 && !IsThisDirectory(fd)) {
        close(fd);
        fd = -1;
    }
    if (fd < 0) {
        fd = chain.OpenFromAbove(depth_);
    }
    if (fd < 0) {
        return false;
    }
    TakeDescriptor(fd);
    ResumeReadAhead();
    return true;
}

void PosixListing::ResumeReadAhead() {
    if (walk_->readAhead == nullptr) {
        return;
    }
    if (source_ != nullptr) {
        walk_->readAhead->ReopenSource(source_, fd_);
    } else if (held_.Whole()) {
        // Too long to hold when it was entered, it has been read into memory since.
        RegisterReadAhead();
    }
}

bool PosixListing::IsThisDirectory(int fd) const {
    struct stat st;
    return fstat(fd, &st) == 0 && IdOf(st) == IdOf(self_);
}

}  // namespace zelk
