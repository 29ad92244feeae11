#pragma once
// A small tmpfs mounted on a new directory for one test, unmounted when it ends.

#include <string>

namespace zelk::test {

class TmpfsMount {
  public:
    // Makes the directory at path and mounts a tmpfs there; Mounted() tells whether it could.
    explicit TmpfsMount(std::string path);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    bool mounted_ = false;
};

}  // namespace zelk::test
