// Guards the walk at the edges of its volume, on real mounts (as root; skipped otherwise): the
// root's date comes from inside the volume, never from the directory it is mounted on, and a
// hung file system mounted inside is listed as an empty directory without ever being asked.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "ScanTestSupport.h"
#include "platform/VolumeTable.h"

namespace zelk::test {
namespace {

bool Mounted(const std::string& path) {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    return text.str().find(" " + path + " ") != std::string::npos;
}

// The hung file system on a directory, for as long as the object lives.
class HungMount {
  public:
    explicit HungMount(const std::string& path) : path_(path) {
#ifdef ZELK_HUNG_FS
        char program[] = ZELK_HUNG_FS;
        char* args[] = {program, path_.data(), nullptr};
        if (posix_spawn(&pid_, program, nullptr, nullptr, args, environ) != 0) {
            pid_ = -1;
        }
        // Polls the mount table only: anything that looks at the mount point would hang.
        for (int i = 0; pid_ > 0 && i < 500 && !Mounted(path_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
#endif
    }
    ~HungMount() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            umount2(path_.c_str(), MNT_DETACH);
        }
    }
    bool Up() const {
        return pid_ > 0 && Mounted(path_);
    }

  private:
    std::string path_;
    pid_t pid_ = -1;
};

class MountedVolume : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.SetTime("", kFuture);
        tree.SetTime("..", kFuture);
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
    static double DateOf(std::int64_t seconds) {
        FindData entry;
        entry.LastWriteTime = seconds;
        return TSearchThread::FileDateOf(entry);
    }

    static constexpr std::int64_t kFuture = 4102444800 * 2;  // past the year 2200
    TempTree tree;
    TestUiLoop loop;
    bool mounted = false;
};

TEST_F(MountedVolume, RootIsDatedFromInsideTheVolume) {
    tree.SetTime("", LocalSeconds(2020, 1, 1, 0, 0, 0));
    const auto root = Scan(loop);
    EXPECT_EQ(root->LastWrite, DateOf(LocalSeconds(2022, 3, 4, 5, 6, 7)));
    EXPECT_EQ(root->Size, 320);
}

TEST_F(MountedVolume, HungMountInsideIsAnEmptyDirectoryNeverAsked) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/fuse: the hung file system cannot be mounted, skipped";
    }
    tree.MakeDir("hung");
    HungMount hung(tree.PathOf("hung"));
    if (!hung.Up()) {
        GTEST_SKIP() << "the hung file system did not come up: skipped";
    }
    tree.SetTime("", LocalSeconds(2023, 1, 1, 0, 0, 0));
    Volume volume;
    volume.Letter = 'c';
    volume.MountPoint = tree.Root();
    InstallVolumeTable(std::make_shared<VolumeTable>(
        std::vector<Volume>{volume}, std::vector<std::string>{tree.PathOf("hung")}));
    const auto root = Scan(loop);

    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->Size, 320);
    const TFileAttr* mountPoint = Find(*root, "hung");
    ASSERT_NE(mountPoint, nullptr);
    EXPECT_TRUE(mountPoint->Searched);
    EXPECT_FALSE(mountPoint->Unreadable);
    EXPECT_TRUE(mountPoint->Children.empty());
    EXPECT_EQ(mountPoint->LastWrite, DateOf(LocalSeconds(2023, 1, 1, 0, 0, 0)));
}

}  // namespace
}  // namespace zelk::test
