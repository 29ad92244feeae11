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
        const std::int64_t future = 4102444800 * 2;  // past the year 2200
        tree.SetTime("", future);
        tree.SetTime("..", future);
        if (geteuid() != 0 || mount("zelk-test", tree.Root().c_str(), "tmpfs", 0, "size=4m") != 0) {
            GTEST_SKIP() << "mounting a tmpfs volume is refused here: skipped";
        }
        mounted = true;
        tree.MakeDir("a");
        tree.WriteFile("a/f", 300);
        tree.WriteFile("g", 20);
        tree.SetTime("a/f", LocalSeconds(2022, 3, 4, 5, 6, 7));
        tree.SetTime("g", LocalSeconds(2019, 1, 1, 0, 0, 0));
        tree.SetTime("a", LocalSeconds(2021, 1, 1, 0, 0, 0));
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
    tree.SetTime("", LocalSeconds(2020, 1, 1, 0, 0, 0));
    const auto root = Scan();
    EXPECT_EQ(root->LastWrite, DateOf(LocalSeconds(2022, 3, 4, 5, 6, 7)));
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
    tree.SetTime("", LocalSeconds(2023, 1, 1, 0, 0, 0));
    Volume volume;
    volume.Letter = 'c';
    volume.MountPoint = tree.Root();
    InstallVolumeTable(std::make_shared<VolumeTable>(
        std::vector<Volume>{volume}, std::vector<std::string>{tree.PathOf("hung")}));
    const auto root = Scan();

    EXPECT_EQ(Brief(*root), "\\ 320/320 L1 {a 300/300, hung 0/0}");
    EXPECT_EQ(Find(*root, "hung")->LastWrite, DateOf(LocalSeconds(2023, 1, 1, 0, 0, 0)));
}

}  // namespace
}  // namespace zelk::test
