// Guards that the walk never leaves its volume: a sub-directory that is another volume's mount
// point is listed as an out-of-walk directory, dated with its parent, and never opened, whether
// the mount table names it (then it is not even looked up) or only its device tells.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/PosixListing.h"

namespace zelk {
namespace {

TEST(PosixListing, MountPointOfAnotherVolumeIsNotOpened) {
    struct stat dev {};
    struct stat shm {};
    if (stat("/dev", &dev) != 0 || stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev) {
        GTEST_SKIP() << "/dev/shm is not a mount point here";
    }
    for (const std::vector<std::string>& mounts :
         {std::vector<std::string>{}, std::vector<std::string>{"/", "/dev/shm"}}) {
        SCOPED_TRACE(mounts.size());
        auto root = PosixListing::OpenRoot("/dev", mounts);
        ASSERT_NE(root, nullptr);
        FindData entry;
        bool seen = false;
        while (root->Next(entry)) {
            if (entry.Name == "shm") {
                seen = true;
                EXPECT_NE(entry.Attributes & kFileAttributeDirectory, 0u);
                EXPECT_TRUE(entry.OutOfWalk);
                if (!mounts.empty()) {
                    EXPECT_EQ(entry.LastWriteTime, dev.st_mtim.tv_sec);
                }
                EXPECT_EQ(PosixListing::OpenChild(*root, entry), nullptr);
            }
        }
        EXPECT_TRUE(seen);
    }
}

}  // namespace
}  // namespace zelk
