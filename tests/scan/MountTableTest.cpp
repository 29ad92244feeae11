// Guards that what is mounted is read as each scan starts, not when the volume table was read:
// a volume mounted inside the scanned one after that (a USB stick, an automount) is fenced all
// the same, never looked up nor entered.

#include <gtest/gtest.h>

#include "ScanTestSupport.h"
#include "platform/PosixDirectoryService.h"
#include "platform/TextVolumeSource.h"
#include "platform/VolumeTableReader.h"
#include "support/TmpfsMount.h"

namespace zelk::test {
namespace {

class MountedAfterTheTable : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.Make({"m/", "m/under=100", "g=1"});
        tree.SetTime("", "2023-01-01");
    }
    // The mount point is not looked up or entered: an empty directory, dated by its parent.
    void ExpectFenced(const TFileAttr& root) const {
        EXPECT_EQ(Brief(root), "\\ 1/1 L1 {m 0/0}");
        EXPECT_EQ(Find(root, "m")->LastWrite, LocalDate("2023-01-01"));
    }

    TempTree tree;
};

TEST_F(MountedAfterTheTable, MountTableIsReadAsEachScanStarts) {
    TextVolumeSource mounts("");
    PosixDirectoryService files(false, &mounts);
    const ScanOptions options{.Files = &files};
    EXPECT_EQ(Brief(*Scan(options)), "\\ 101/101 L1 {m 100/100}");

    mounts.SetFile(kMountInfoPath, "40 25 0:50 / " + tree.PathOf("m") +
                                       " rw,relatime shared:9 - tmpfs zelk-test rw,size=4m\n");
    ExpectFenced(*Scan(options));
}

TEST_F(MountedAfterTheTable, TmpfsMountedAfterTheTableIsNotEntered) {
    // The table of drive c is installed: the mount comes after it, as after the window opened.
    const TmpfsMount mounted(tree.PathOf("m"), "1m");
    if (!mounted.Mounted()) {
        GTEST_SKIP() << TmpfsMount::kRefused;
    }
    tree.WriteFile("m/inside", 300);
    tree.SetTime("", "2023-01-01");
    ExpectFenced(*Scan());
}

}  // namespace
}  // namespace zelk::test
