#pragma once
// A small tmpfs mounted on a directory for one test, detached when it ends. Only root may
// mount: a test skips with kRefused where Mounted() is false.

#include <string>

namespace zelk::test {

class TmpfsMount {
  public:
    static constexpr const char* kRefused = "mounting a tmpfs volume is refused here: skipped";

    // Makes the directory at path unless it is there already, and mounts a tmpfs of size there.
    explicit TmpfsMount(std::string path, const char* size = "4m");
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
