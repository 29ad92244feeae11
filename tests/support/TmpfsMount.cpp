#include "support/TmpfsMount.h"

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

namespace zelk::test {

TmpfsMount::TmpfsMount(std::string path, const char* size) : path_(std::move(path)) {
    const std::string options = std::string("size=") + size;
    mounted_ = (::mkdir(path_.c_str(), 0755) == 0 || errno == EEXIST) &&
               ::mount("zelk-test", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TmpfsMount::~TmpfsMount() {
    if (mounted_) {
        ::umount2(path_.c_str(), MNT_DETACH);
    }
}

}  // namespace zelk::test
