#include "platform/PosixListing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zelk {
namespace {

constexpr int kChildFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

void FillFromStat(const struct stat& st, FindData& entry) {
    const bool directory = S_ISDIR(st.st_mode);
    const std::uint64_t allocation = static_cast<std::uint64_t>(st.st_blocks) * 512u;
    const std::uint64_t size = directory ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.Attributes = directory ? kFileAttributeDirectory : 0;
    if (S_ISREG(st.st_mode) && allocation < size) {
        entry.Attributes |= kFileAttributeCompressed;
    }
    entry.SizeHigh = static_cast<std::uint32_t>(size >> 32);
    entry.SizeLow = static_cast<std::uint32_t>(size);
    entry.LastWriteTime = st.st_mtim.tv_sec;
    entry.Allocation = allocation;
    entry.AllocationKnown = true;
    entry.Device = st.st_dev;
    entry.Inode = st.st_ino;
    entry.Links = S_ISREG(st.st_mode) ? st.st_nlink : 1;
}

// An entry known without any look-up: a directory of no size with the given date.
void FillUnlooked(FindData& entry, bool directory, std::int64_t date) {
    entry.Attributes = directory ? kFileAttributeDirectory : 0;
    entry.SizeHigh = entry.SizeLow = 0;
    entry.LastWriteTime = date;
    entry.Allocation = 0;
    entry.AllocationKnown = false;
    entry.Device = entry.Inode = 0;
}

bool IsDot(const char* name) {
    return name[0] == '.' && name[1] == '\0';
}
bool IsDotDot(const char* name) {
    return name[0] == '.' && name[1] == '.' && name[2] == '\0';
}

std::string Join(const std::string& directory, const char* name) {
    std::string path = directory;
    if (path != "/") {
        path.push_back('/');
    }
    path.append(name);
    return path;
}

bool SameDirectory(int fd, const struct stat& expected) {
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == expected.st_dev && st.st_ino == expected.st_ino;
}

}  // namespace

PosixListing::PosixListing(PosixListing* parent, std::string name, Walk* walk)
    : parent_(parent), walk_(walk), name_(std::move(name)) {}

PosixListing::~PosixListing() {
    // The deepest listing always holds a descriptor, so that the parent it returns to can be
    // found again in one step.
    if (inChain_ && parent_ != nullptr && parent_->fd_ < 0) {
        parent_->Reopen(fd_);
    }
    CloseDescriptor();
    if (inChain_) {
        walk_->openInodes.erase(self_.st_ino);
    }
}

std::unique_ptr<PosixListing> PosixListing::OpenRoot(const std::string& path,
                                                     const std::vector<std::string>& mountPoints) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    auto walk = std::make_unique<Walk>();
    std::string root = path;
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    for (const std::string& mount : mountPoints) {
        if (mount == root) {
            continue;
        }
        walk->mountPoints.insert(mount);
        for (std::size_t cut = mount.rfind('/'); cut != std::string::npos && cut > 0;
             cut = mount.rfind('/', cut - 1)) {
            walk->holdingMounts.insert(mount.substr(0, cut));
        }
        walk->holdingMounts.insert("/");
    }
    std::unique_ptr<PosixListing> listing(new PosixListing(nullptr, path, walk.get()));
    listing->ownWalk_ = std::move(walk);
    if (!listing->Attach(fd)) {
        return nullptr;
    }
    Walk& w = *listing->walk_;
    // Its ".." would be the directory the volume is mounted on, outside the volume.
    listing->parentStat_ = listing->self_;
    w.device = listing->self_.st_dev;
    w.openInodes.insert(listing->self_.st_ino);
    listing->inChain_ = true;
    if (w.holdingMounts.count(root) != 0) {
        listing->path_ = root;
    }
    return listing;
}

std::unique_ptr<PosixListing> PosixListing::OpenChild(PosixListing& parent, const FindData& entry) {
    Walk& walk = *parent.walk_;
    if (entry.OutOfWalk || !entry.LookedUp || entry.Device != walk.device ||
        walk.openInodes.count(entry.Inode) != 0) {
        return nullptr;
    }
    if (parent.fd_ < 0 && !parent.Reopen(-1)) {
        return nullptr;
    }
    while (walk.descriptors >= kOpenLevels && FreeDescriptor(parent)) {
    }
    const int fd = OpenAt(parent.fd_, entry.Name.c_str(), parent);
    if (fd < 0) {
        return nullptr;
    }
    std::unique_ptr<PosixListing> child(new PosixListing(&parent, entry.Name, &walk));
    if (!child->Attach(fd)) {
        return nullptr;
    }
    // The entry may have been replaced since it was listed: judge what was really opened.
    if (child->self_.st_dev != walk.device || walk.openInodes.count(child->self_.st_ino) != 0) {
        return nullptr;
    }
    child->inChain_ = true;
    child->parentStat_ = parent.self_;
    walk.openInodes.insert(child->self_.st_ino);
    if (!parent.path_.empty()) {
        std::string path = Join(parent.path_, entry.Name.c_str());
        if (walk.holdingMounts.count(path) != 0) {
            child->path_ = std::move(path);
        }
    }
    return child;
}

bool PosixListing::Attach(int fd) {
    TakeDescriptor(fd);
    if (fstat(fd, &self_) != 0) {
        return false;
    }
    dir_ = fdopendir(fd);
    return dir_ != nullptr;
}

void PosixListing::TakeDescriptor(int fd) {
    fd_ = fd;
    ++walk_->descriptors;
}

void PosixListing::CloseDescriptor() {
    if (dir_ != nullptr) {
        closedir(dir_);
        dir_ = nullptr;
    } else if (fd_ >= 0) {
        close(fd_);
    }
    if (fd_ >= 0) {
        --walk_->descriptors;
    }
    fd_ = -1;
}

bool PosixListing::Next(FindData& entry) {
    if (spilled_) {
        if (nextRest_ == rest_.size()) {
            return false;
        }
        entry = std::move(rest_[nextRest_++]);
        return true;
    }
    if (dir_ == nullptr) {
        return false;
    }
    errno = 0;
    while (const dirent* d = readdir(dir_)) {
        if (Fill(d->d_name, d->d_type, entry)) {
            return true;
        }
        errno = 0;
    }
    failed_ = failed_ || errno != 0;
    return false;
}

bool PosixListing::Fill(const char* name, unsigned char type, FindData& entry) {
    entry.Name.assign(name);
    entry.LookedUp = true;
    entry.OutOfWalk = false;
    entry.Links = 1;
    if (IsDot(name)) {
        FillFromStat(self_, entry);
        return true;
    }
    if (IsDotDot(name)) {
        FillFromStat(parentStat_, entry);
        return true;
    }
    // A look-up there would ask the mounted file system, which may hang.
    if (!path_.empty() && walk_->mountPoints.count(Join(path_, name)) != 0) {
        FillUnlooked(entry, true, self_.st_mtim.tv_sec);
        entry.OutOfWalk = true;
        return true;
    }
    struct stat st;
    if (fstatat(fd_, name, &st, kStatFlags) == 0) {
        FillFromStat(st, entry);
        entry.OutOfWalk = S_ISDIR(st.st_mode) &&
                          (st.st_dev != walk_->device || walk_->openInodes.count(st.st_ino) != 0);
        return true;
    }
    if (errno == ENOENT) {
        return false;
    }
    FillUnlooked(entry, type == DT_DIR, 0);
    entry.LookedUp = false;
    return true;
}

void PosixListing::Spill() {
    if (!spilled_) {
        FindData entry;
        while (Next(entry)) {
            rest_.push_back(std::move(entry));
        }
        spilled_ = true;
    }
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
    return true;
}

int PosixListing::OpenFromAbove() const {
    std::vector<const PosixListing*> closed;
    const PosixListing* above = this;
    for (; above != nullptr && above->fd_ < 0; above = above->parent_) {
        closed.push_back(above);
    }
    int fd = -1;
    for (auto it = closed.rbegin(); it != closed.rend(); ++it) {
        const PosixListing& level = **it;
        const int next = level.parent_ == nullptr
                             ? open(level.name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                             : openat(fd >= 0 ? fd : above->fd_, level.name_.c_str(), kChildFlags);
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

int PosixListing::OpenAt(int dirFd, const char* name, PosixListing& keep) {
    int fd = -1;
    while ((fd = openat(dirFd, name, kChildFlags)) < 0) {
        if ((errno != EMFILE && errno != ENFILE) || !FreeDescriptor(keep)) {
            return -1;
        }
    }
    return fd;
}

}  // namespace zelk
