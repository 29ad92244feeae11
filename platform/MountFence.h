#pragma once
// The mount points of other volumes below a walk's root, known by path alone so that no look-up
// ever reaches one (a hung file system would block it), and the directories on the way to them,
// the only ones whose paths a walk keeps. Unchanged once built, so any thread may ask.

#include <string>
#include <unordered_set>
#include <vector>

namespace zelk {

class MountFence {
  public:
    // mountPoints: every mount point the machine has (absolute, decoded).
    MountFence(const std::string& root, const std::vector<std::string>& mountPoints);

    // The root's path to keep: empty when no mount point lies below it.
    std::string RootPathToKeep() const;
    // The path to keep for name in a directory whose kept path is directory ("": none).
    std::string PathToKeep(const std::string& directory, const std::string& name) const;
    // True when name in the directory of kept path directory is another volume's mount point.
    bool IsMountPoint(const std::string& directory, const char* name) const;

  private:
    std::string root_;
    std::unordered_set<std::string> points_;
    std::unordered_set<std::string> onTheWay_;  // directories with a mount point below
};

}  // namespace zelk
