#include "platform/DirectoryReader.h"

#include <unistd.h>

#include <vector>

namespace zelk {
namespace {

// A walk opens and closes a directory for each one it lists: buffers given back are kept for
// the next, up to the levels a walk holds open at once.
constexpr std::size_t kMostSpare = 32;
thread_local std::vector<std::unique_ptr<char[]>> spare;

}  // namespace

const dirent64* DirectoryReader::Next(int fd) {
    if (at_ == got_) {
        if (ended_) {
            return nullptr;
        }
        if (buffer_ == nullptr && !spare.empty()) {
            buffer_ = std::move(spare.back());
            spare.pop_back();
        } else if (buffer_ == nullptr) {
            buffer_.reset(new char[kBytes]);
        }
        got_ = getdents64(fd, buffer_.get(), kBytes);
        at_ = 0;
        if (got_ <= 0) {
            failed_ = got_ < 0;
            ended_ = true;
            got_ = 0;
            return nullptr;
        }
    }
    const auto* entry = reinterpret_cast<const dirent64*>(buffer_.get() + at_);
    at_ += entry->d_reclen;
    return entry;
}

void DirectoryReader::Restart() {
    got_ = at_ = 0;
    ended_ = failed_ = false;
}

void DirectoryReader::Release() {
    Restart();
    if (buffer_ != nullptr && spare.size() < kMostSpare) {
        spare.push_back(std::move(buffer_));
    }
    buffer_.reset();
}

}  // namespace zelk
