// Guards that the walk never leaves its volume: a sub-directory that is another volume's mount
// point is listed as an entry but never opened.

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
    auto root = PosixListing::OpenRoot("/dev");
    ASSERT_NE(root, nullptr);
    FindData entry;
    bool seen = false;
    while (root->Next(entry)) {
        if (entry.Name == "shm") {
            seen = true;
            EXPECT_NE(entry.Attributes & kFileAttributeDirectory, 0u);
            EXPECT_EQ(PosixListing::OpenChild(*root, entry), nullptr);
        }
    }
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace zelk
