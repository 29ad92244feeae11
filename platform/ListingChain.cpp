#include "platform/ListingChain.h"

#include <fcntl.h>
#include <unistd.h>

#include <cassert>

#include "platform/DescriptorBudget.h"
#include "platform/PosixListing.h"
#include "platform/ReadAhead.h"

namespace zelk {

std::size_t ListingChain::Join(PosixListing& listing, const PosixListing* parent) {
    assert(chain_.empty() ? parent == nullptr : parent == chain_.back());
    (void)parent;
    chain_.push_back(&listing);
    return chain_.size() - 1;
}

void ListingChain::Leave([[maybe_unused]] const PosixListing& listing) {
    assert(!chain_.empty() && chain_.back() == &listing);
    chain_.pop_back();
}

bool ListingChain::CloseShallowestAbove(std::size_t depth) {
    PosixListing* shallowest = nullptr;
    for (std::size_t d = depth; d > 0 && chain_[d - 1]->HoldsDescriptor(); --d) {
        shallowest = chain_[d - 1];
    }
    if (shallowest == nullptr) {
        return false;
    }
    shallowest->ReadRestAndClose();
    return true;
}

int ListingChain::OpenAt(int dirFd, const char* name, std::size_t depth, int flags) {
    return DescriptorBudget::OpenAt(dirFd, name, flags, [this, depth] {
        return CloseShallowestAbove(depth) || (readAhead_ != nullptr && readAhead_->GiveBack());
    });
}

int ListingChain::OpenFromAbove(std::size_t depth) {
    std::size_t first = depth;
    while (first > 0 && !chain_[first - 1]->HoldsDescriptor()) {
        --first;
    }
    // Closing what lies above the open listing leaves the descriptor opened from.
    const std::size_t keep = first > 0 ? first - 1 : depth;
    int fd = first > 0 ? chain_[first - 1]->fd_ : AT_FDCWD;
    for (std::size_t d = first; d <= depth; ++d) {
        const PosixListing& level = *chain_[d];
        const int next = OpenAt(fd, level.name_.c_str(), keep,
                                d == 0 ? O_RDONLY | O_DIRECTORY | O_CLOEXEC : kChildOpenFlags);
        if (d > first) {
            close(fd);
        }
        fd = next;
        if (fd >= 0 && !level.IsThisDirectory(fd)) {
            close(fd);
            fd = -1;
        }
        if (fd < 0) {
            return -1;
        }
    }
    return fd;
}

void ListingChain::AssertOpenRowIsDeepest() const {
#ifndef NDEBUG
    bool open = false;
    for (const PosixListing* listing : chain_) {
        assert(!open || listing->HoldsDescriptor());
        open = listing->HoldsDescriptor();
    }
#endif
}

}  // namespace zelk
