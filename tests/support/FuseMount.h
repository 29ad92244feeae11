#pragma once
// One of the tests' own FUSE file systems running on a directory for one test: started in the
// foreground, waited for until the kernel lists the mount, and killed and detached at the end
// (also when it never came up). A test skips where Mounted() is false.

#include <sys/types.h>

#include <string>
#include <vector>

namespace zelk::test {

class FuseMount {
  public:
    // Runs program with arguments, one of which is mountPoint (an existing directory).
    FuseMount(const std::string& program, const std::vector<std::string>& arguments,
              std::string mountPoint);
    ~FuseMount();
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool Mounted() const { return mounted_; }

    // Whether the program can be run here: it was built and /dev/fuse may be opened.
    static bool Usable(const std::string& program);

  private:
    bool Listed() const;

    std::string mountPoint_;
    pid_t pid_ = -1;
    bool mounted_ = false;
};

}  // namespace zelk::test
