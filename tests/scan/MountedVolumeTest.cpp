// Guards the walk at the edges of its volume, on real mounts (as root; skipped otherwise): the
// root's date comes from inside the volume, never from the directory it is mounted on, and a
// hung file system mounted inside is listed as an empty directory without ever being asked.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include "ScanTestSupport.h"
#include "platform/VolumeTable.h"

namespace zelk::test {
namespace {

// The hung file system on a directory, for as long as the object lives. Only the mount table
// is read while it comes up: anything that looks at the mount point would hang.
class HungMount {
  public:
    HungMount(const std::string& program, std::string path) : path_(std::move(path)) {
        const auto pid = NumbersOf(
            program + " '" + path_ + "' >/dev/null 2>&1 & for i in $(seq 500); do grep -qF ' " +
            path_ + " ' /proc/self/mountinfo && echo $! && exit; " + "sleep 0.01; done; kill $!");
        pid_ = pid.empty() ? -1 : static_cast<pid_t>(pid[0]);
    }
    ~HungMount() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            umount2(path_.c_str(), MNT_DETACH);
        }
    }
    bool Up() const { return pid_ > 0; }

  private:
    std::string path_;
    pid_t pid_ = -1;
};

class MountedVolume : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.SetTime("", "2230-01-01");
        tree.SetTime("..", "2230-01-01");
        if (geteuid() != 0 || mount("zelk-test", tree.Root().c_str(), "tmpfs", 0, "size=4m") != 0) {
            GTEST_SKIP() << "mounting a tmpfs volume is refused here: skipped";
        }
        mounted = true;
        tree.MakeDir("a");
        tree.WriteFile("a/f", 300);
        tree.WriteFile("g", 20);
        tree.SetTime("a/f", "2022-03-04 05:06:07");
        tree.SetTime("g", "2019-01-01");
        tree.SetTime("a", "2021-01-01");
    }
    void TearDown() override {
        if (mounted) {
            umount2(tree.Root().c_str(), MNT_DETACH);
        }
    }

    TempTree tree;
    bool mounted = false;
};

TEST_F(MountedVolume, RootIsDatedFromInsideTheVolume) {
    tree.SetTime("", "2020-01-01");
    const auto root = Scan();
    EXPECT_EQ(root->LastWrite, LocalDate("2022-03-04 05:06:07"));
    EXPECT_EQ(root->Size, 320);
}

TEST_F(MountedVolume, HungMountInsideIsAnEmptyDirectoryNeverAsked) {
#ifdef ZELK_HUNG_FS
    const std::string program = ZELK_HUNG_FS;
#else
    const std::string program;
#endif
    if (program.empty() || access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/fuse or hung_fs: the hung file system cannot be mounted, skipped";
    }
    tree.MakeDir("hung");
    const HungMount hung(program, tree.PathOf("hung"));
    if (!hung.Up()) {
        GTEST_SKIP() << "the hung file system did not come up: skipped";
    }
    tree.SetTime("", "2023-01-01");
    Volume volume;
    volume.Letter = 'c';
    volume.MountPoint = tree.Root();
    InstallVolumeTable(std::make_shared<VolumeTable>(
        std::vector<Volume>{volume}, std::vector<std::string>{tree.PathOf("hung")}));
    const auto root = Scan();

    EXPECT_EQ(Brief(*root), "\\ 320/320 L1 {a 300/300, hung 0/0}");
    EXPECT_EQ(Find(*root, "hung")->LastWrite, LocalDate("2023-01-01"));
}

}  // namespace
}  // namespace zelk::test
