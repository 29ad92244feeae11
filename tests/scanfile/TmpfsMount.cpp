#include "TmpfsMount.h"

#include <sys/mount.h>
#include <sys/stat.h>

namespace zelk::test {

TmpfsMount::TmpfsMount(std::string path) : path_(std::move(path)) {
    mounted_ = ::mkdir(path_.c_str(), 0755) == 0 &&
               ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=4m") == 0;
}

TmpfsMount::~TmpfsMount() {
    if (mounted_) {
        ::umount2(path_.c_str(), MNT_DETACH);
    }
}

}  // namespace zelk::test
