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
}

bool IsDot(const char* name) {
    return name[0] == '.' && name[1] == '\0';
}
bool IsDotDot(const char* name) {
    return name[0] == '.' && name[1] == '.' && name[2] == '\0';
}

}  // namespace

PosixListing::PosixListing(PosixListing* parent, std::string name, Walk* walk)
    : parent_(parent), walk_(walk), name_(std::move(name)) {}

PosixListing::~PosixListing() {
    if (dir_ != nullptr) {
        closedir(dir_);
    } else if (fd_ >= 0) {
        close(fd_);
    }
    if (walk_ != nullptr) {
        walk_->openInodes.erase(self_.st_ino);
    }
}

std::unique_ptr<PosixListing> PosixListing::OpenRoot(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    auto walk = std::make_unique<Walk>();
    std::unique_ptr<PosixListing> root(new PosixListing(nullptr, path, walk.get()));
    root->ownWalk_ = std::move(walk);
    if (!root->Attach(fd)) {
        root->walk_ = nullptr;
        return nullptr;
    }
    root->walk_->device = root->self_.st_dev;
    if (fstatat(fd, "..", &root->parentStat_, AT_SYMLINK_NOFOLLOW) != 0) {
        root->parentStat_ = root->self_;
    }
    root->walk_->openInodes.insert(root->self_.st_ino);
    return root;
}

std::unique_ptr<PosixListing> PosixListing::OpenChild(PosixListing& parent, const FindData& entry) {
    Walk& walk = *parent.walk_;
    if (entry.AllocationKnown &&
        (entry.Device != walk.device || walk.openInodes.count(entry.Inode) != 0)) {
        return nullptr;
    }
    if (!parent.EnsureOpen()) {
        return nullptr;
    }
    int fd = -1;
    while ((fd = openat(parent.fd_, entry.Name.c_str(), kChildFlags)) < 0) {
        if ((errno != EMFILE && errno != ENFILE) || !FreeDescriptor(parent)) {
            return nullptr;
        }
    }
    std::unique_ptr<PosixListing> child(new PosixListing(&parent, entry.Name, &walk));
    child->walk_ = nullptr;  // not in the chain until it is known to belong there
    if (!child->Attach(fd)) {
        return nullptr;
    }
    // The entry may have been replaced since it was listed: judge what was really opened.
    if (child->self_.st_dev != walk.device || walk.openInodes.count(child->self_.st_ino) != 0) {
        return nullptr;
    }
    child->walk_ = &walk;
    child->parentStat_ = parent.self_;
    walk.openInodes.insert(child->self_.st_ino);
    return child;
}

bool PosixListing::Attach(int fd) {
    fd_ = fd;
    if (fstat(fd, &self_) != 0) {
        return false;
    }
    dir_ = fdopendir(fd);
    return dir_ != nullptr;
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
    while (const dirent* d = readdir(dir_)) {
        if (Fill(d->d_name, d->d_type, entry)) {
            return true;
        }
    }
    return false;
}

bool PosixListing::Fill(const char* name, unsigned char type, FindData& entry) const {
    entry.Name.assign(name);
    if (IsDot(name)) {
        FillFromStat(self_, entry);
        return true;
    }
    if (IsDotDot(name)) {
        FillFromStat(parentStat_, entry);
        return true;
    }
    struct stat st;
    if (fstatat(fd_, name, &st, kStatFlags) == 0) {
        FillFromStat(st, entry);
        return true;
    }
    if (errno == ENOENT) {
        return false;
    }
    // Listed but not inspectable: keep the entry with what the listing itself told.
    entry.Attributes = type == DT_DIR ? kFileAttributeDirectory : 0;
    entry.SizeHigh = entry.SizeLow = 0;
    entry.LastWriteTime = 0;
    entry.Allocation = 0;
    entry.AllocationKnown = false;
    entry.Device = entry.Inode = 0;
    return true;
}

void PosixListing::Spill() {
    if (!spilled_) {
        if (dir_ != nullptr) {
            FindData entry;
            while (Next(entry)) {
                rest_.push_back(std::move(entry));
            }
        }
        spilled_ = true;
    }
    if (dir_ != nullptr) {
        closedir(dir_);
        dir_ = nullptr;
    } else if (fd_ >= 0) {
        close(fd_);
    }
    fd_ = -1;
}

bool PosixListing::EnsureOpen() {
    if (fd_ >= 0) {
        return true;
    }
    std::vector<PosixListing*> closed;
    for (PosixListing* l = this; l != nullptr && l->fd_ < 0; l = l->parent_) {
        closed.push_back(l);
    }
    for (auto it = closed.rbegin(); it != closed.rend(); ++it) {
        PosixListing& l = **it;
        const int fd = l.parent_ != nullptr
                           ? openat(l.parent_->fd_, l.name_.c_str(), kChildFlags)
                           : open(l.name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat st;
        if (fd < 0) {
            return false;
        }
        if (fstat(fd, &st) != 0 || st.st_dev != l.self_.st_dev || st.st_ino != l.self_.st_ino) {
            close(fd);
            return false;
        }
        l.fd_ = fd;
    }
    return true;
}

bool PosixListing::FreeDescriptor(PosixListing& keep) {
    PosixListing* shallowest = nullptr;
    for (PosixListing* l = keep.parent_; l != nullptr; l = l->parent_) {
        if (l->fd_ >= 0) {
            shallowest = l;
        }
    }
    if (shallowest == nullptr) {
        return false;
    }
    shallowest->Spill();
    return true;
}

}  // namespace zelk
