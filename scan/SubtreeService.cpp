#include "scan/SubtreeService.h"

#include <unistd.h>

#include <utility>

#include "platform/TreeRemover.h"

namespace zelk {

class SubtreeService::Listing final : public DirectoryListing {
  public:
    Listing(const SubtreeService& service, std::unique_ptr<DirectoryListing> inner)
        : service_(service), inner_(std::move(inner)) {}

    bool Next(FindData& entry) override {
        if (!inner_->Next(entry)) {
            return false;
        }
        if (service_.keepOut_ && entry.Device == service_.device_ &&
            entry.Inode == service_.inode_ && entry.Type == EntryType::Directory) {
            entry.OtherVolumeOrLoop = true;
        }
        return true;
    }
    bool Failed() const override { return inner_->Failed(); }
    DirectoryListing& Inner() { return *inner_; }

  private:
    const SubtreeService& service_;
    std::unique_ptr<DirectoryListing> inner_;
};

SubtreeService::SubtreeService(std::string root, std::vector<std::string> names)
    : root_(std::move(root)), names_(std::move(names)) {}

void SubtreeService::KeepOut(std::uint64_t device, std::uint64_t inode) {
    keepOut_ = true;
    device_ = device;
    inode_ = inode;
}

std::unique_ptr<DirectoryListing> SubtreeService::OpenRoot(char /*letter*/) {
    // Only a path that is still made of directories of the volume is walked by its text.
    const int fd = TreeRemover::OpenBeneath(root_, names_);
    if (fd < 0) {
        return nullptr;
    }
    close(fd);
    std::string path = root_;
    for (const std::string& name : names_) {
        if (!path.ends_with('/')) {
            path.push_back('/');
        }
        path += name;
    }
    auto inner = files_.OpenPath(path);
    if (inner == nullptr) {
        return nullptr;
    }
    return std::make_unique<Listing>(*this, std::move(inner));
}

std::unique_ptr<DirectoryListing> SubtreeService::OpenChild(DirectoryListing& parent,
                                                            const FindData& entry) {
    auto inner = files_.OpenChild(static_cast<Listing&>(parent).Inner(), entry);
    if (inner == nullptr) {
        return nullptr;
    }
    return std::make_unique<Listing>(*this, std::move(inner));
}

}  // namespace zelk
