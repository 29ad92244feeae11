#pragma once
// The descriptors one walk's listings hold: a share of the process's, bounded at any depth.
// It counts and retries; what is given back when the share or the process runs out is the
// caller's choice.

#include <fcntl.h>

#include <cassert>
#include <cerrno>

namespace zelk {

class DescriptorBudget {
  public:
    // Descriptors one walk keeps open at most, while the process has them.
    static constexpr int kOpenLevels = 24;

    bool Spent() const { return held_ >= kOpenLevels; }
    void Took() { ++held_; }
    void Gave() {
        assert(held_ > 0);
        --held_;
    }

    // openat that, while the process has no descriptor left, calls giveBack (true: one was
    // given back) and tries again; -1 once it fails otherwise or nothing is given back.
    template <typename GiveBack>
    static int OpenAt(int dirFd, const char* name, int flags, GiveBack&& giveBack) {
        int fd = -1;
        while ((fd = openat(dirFd, name, flags)) < 0) {
            if ((errno != EMFILE && errno != ENFILE) || !giveBack()) {
                return -1;
            }
        }
        return fd;
    }

  private:
    int held_ = 0;
};

}  // namespace zelk
