// Guards deleting a directory tree: any depth goes with a bounded number of descriptors, a
// symbolic link inside is removed as the link while its target survives, and nothing on another
// volume or behind a bind mount below is touched.

#include "platform/TreeRemover.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TmpfsMount.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;

class TreeRemoverTest : public ::testing::Test {
  protected:
    TreeRemoverTest() {
        char pattern[] = "/tmp/zelk-remover-XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    ~TreeRemoverTest() override { fs::remove_all(dir_); }

    TreeRemover::Result RemoveBelow(const std::string& name) {
        const int fd = TreeRemover::OpenBeneath(dir_, {});
        const TreeRemover::Result result = TreeRemover::Remove(fd, name);
        close(fd);
        return result;
    }
    static void Touch(const std::string& path) { std::ofstream(path) << "data"; }

    std::string dir_;
};

TEST_F(TreeRemoverTest, AnyDepthGoesWhole) {
    for (const int depth : {1, TreeRemover::kOpenLevels + 1, 3 * TreeRemover::kOpenLevels}) {
        std::string path = dir_ + "/top";
        fs::create_directory(path);
        for (int level = 0; level < depth; ++level) {
            Touch(path + "/file");
            fs::create_directory(path + "/side");
            path += "/d";
            fs::create_directory(path);
        }
        const TreeRemover::Result result = RemoveBelow("top");
        EXPECT_TRUE(result.Complete) << depth;
        EXPECT_EQ(result.Error, 0) << depth;
        EXPECT_FALSE(fs::exists(dir_ + "/top")) << depth;
    }
}

TEST_F(TreeRemoverTest, LinksAreRemovedAndTheirTargetsSurvive) {
    fs::create_directories(dir_ + "/kept/inner");
    Touch(dir_ + "/kept/inner/file");
    fs::create_directories(dir_ + "/top/sub");
    fs::create_directory_symlink(dir_ + "/kept", dir_ + "/top/sub/to-dir");
    fs::create_symlink(dir_ + "/kept/inner/file", dir_ + "/top/to-file");
    fs::create_directory_symlink(dir_ + "/kept", dir_ + "/link-top");

    // A link as the directory itself is not followed either.
    EXPECT_EQ(RemoveBelow("link-top").Error, ENOTDIR);
    EXPECT_TRUE(RemoveBelow("top").Complete);
    EXPECT_FALSE(fs::exists(dir_ + "/top"));
    EXPECT_TRUE(fs::exists(dir_ + "/kept/inner/file"));
    // Nor is a link on the way to the parent.
    errno = 0;
    EXPECT_LT(TreeRemover::OpenBeneath(dir_, {"link-top", "inner"}), 0);
    EXPECT_EQ(errno, ENOTDIR);
}

TEST_F(TreeRemoverTest, MountsBelowAreLeftAndTheRestGoes) {
    fs::create_directories(dir_ + "/top/a");
    Touch(dir_ + "/top/a/file");
    const test::TmpfsMount other(dir_ + "/top/other");
    fs::create_directories(dir_ + "/elsewhere");
    Touch(dir_ + "/elsewhere/precious");
    fs::create_directory(dir_ + "/top/bound");
    const bool bound = mount((dir_ + "/elsewhere").c_str(), (dir_ + "/top/bound").c_str(), nullptr,
                             MS_BIND, nullptr) == 0;
    if (!other.Mounted() || !bound) {
        GTEST_SKIP() << "needs to mount (root)";
    }
    Touch(dir_ + "/top/other/file");

    const TreeRemover::Result result = RemoveBelow("top");
    umount2((dir_ + "/top/bound").c_str(), MNT_DETACH);
    EXPECT_FALSE(result.Complete);
    EXPECT_EQ(result.Error, EBUSY);
    EXPECT_FALSE(fs::exists(dir_ + "/top/a"));
    EXPECT_TRUE(fs::exists(dir_ + "/top/other/file"));
    EXPECT_TRUE(fs::exists(dir_ + "/elsewhere/precious"));
    // A mount point itself is not this volume's to delete.
    const int top = TreeRemover::OpenBeneath(dir_ + "/top", {});
    EXPECT_EQ(TreeRemover::Remove(top, "other").Error, EXDEV);
    close(top);
}

}  // namespace
}  // namespace zelk
