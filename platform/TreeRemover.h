#pragma once
// Deletes a directory and everything below it without ever following a symbolic link or leaving
// its volume: each directory is opened relative to its parent's descriptor, a link is removed as
// the link, and a mount point below (another volume, or a bind mount of this one) is left alone.
// Iterative, with a bounded number of descriptors, so any depth fits.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelk {

class TreeRemover {
  public:
    // Descriptors one removal keeps open at most; deeper levels are reopened through "..".
    static constexpr int kOpenLevels = 32;

    struct Result {
        bool Complete = false;  // the directory is gone
        int Error = 0;          // errno of the first part that could not be removed
    };

    // The directory names[0]/.../names[n-1] below root, each step opened without following a
    // link and checked to be on root's volume; -1 with errno set when a step fails.
    static int OpenBeneath(const std::string& root, const std::vector<std::string>& names);

    // Deletes name, a directory listed in the directory open as parentFd. What cannot be
    // removed stays, and the removal goes on with the rest. stop, polled at each entry, ends it
    // early, leaving what remains.
    static Result Remove(int parentFd, const std::string& name,
                         const std::function<bool()>& stop = {});
};

}  // namespace zelk
