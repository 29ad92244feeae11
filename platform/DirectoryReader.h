#pragma once
// The names of one open directory, read with getdents64 straight into a buffer of the reader's
// own: no per-directory stream to set up, and the descriptor's offset is the only state the
// kernel keeps, so the descriptor can be handed on between reads.

#include <dirent.h>

#include <cstddef>
#include <memory>

namespace zelk {

class DirectoryReader {
  public:
    static constexpr std::size_t kBytes = 32 * 1024;

    // The next entry of fd, "." and ".." included; nullptr at the end or when reading failed.
    // The entry stays valid until the next call.
    const dirent64* Next(int fd);
    bool Failed() const { return failed_; }
    // Forgets what was read, keeping the buffer for another directory.
    void Restart();
    // Gives the buffer back; Next allocates it again.
    void Release();

  private:
    std::unique_ptr<char[]> buffer_;
    long got_ = 0;
    long at_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace zelk
