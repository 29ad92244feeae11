// Guards walks of trees deeper than any stack or descriptor budget: 10,000 levels scan, list and
// free, and a walk that runs out of descriptors still counts every entry.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ScanTestSupport.h"
#include "ScriptedService.h"

namespace zelk::test {
namespace {

// A chain of depth directories "d" below root; every level holds a file of one byte, and each
// level also a side directory "s" with a file of ten bytes, when withSides.
void MakeChain(const std::string& root, int depth, bool withSides) {
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < depth; ++level) {
        ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
        const int one = openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_EQ(write(one, "1", 1), 1);
        close(one);
        if (withSides) {
            ASSERT_EQ(mkdirat(fd, "s", 0755), 0);
            const int side = openat(fd, "s", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            const int file = openat(side, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            ASSERT_EQ(write(file, "0123456789", 10), 10);
            close(file);
            close(side);
        }
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(next, 0);
        close(fd);
        fd = next;
    }
    close(fd);
}

TEST(DeepTree, TenThousandLevelsScanListAndFree) {
    TempTree tree;
    tree.InstallAsDriveC();
    ASSERT_NO_FATAL_FAILURE(MakeChain(tree.Root(), 10000, false));
    const long before = TFileAttr::LiveCount();
    TestUiLoop loop;
    RecordingStatusLine status;
    auto root = Scan(loop, ScanOptions{'c', &status});

    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->MaxLevel, 10000);
    EXPECT_EQ(root->Size, 10000);
    EXPECT_EQ(status.Texts.size(), 10000u);
    EXPECT_EQ(TFileAttr::LiveCount() - before, 10001);
    const TFileAttr* deepest = root.get();
    while (!deepest->Children.empty()) {
        deepest = deepest->Children[0].get();
    }
    EXPECT_EQ(deepest->Level, 10000);
    EXPECT_EQ(deepest->Path.size(), 2 + 2 * 10000u);
    root.reset();
    EXPECT_EQ(TFileAttr::LiveCount(), before);
}

// Restores the descriptor limit that a test lowered.
class DescriptorLimit {
  public:
    explicit DescriptorLimit(rlim_t soft) {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = soft;
        setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

  private:
    rlimit saved_{};
};

// New descriptors take the lowest free number, so a limit this far above it leaves that many.
int LowestFreeDescriptor() {
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    close(fd);
    return fd;
}

TEST(DeepTree, WalkOutOfDescriptorsStillCountsEveryEntry) {
    TempTree tree;
    tree.InstallAsDriveC();
    constexpr int kDepth = 150;
    ASSERT_NO_FATAL_FAILURE(MakeChain(tree.Root(), kDepth, true));
    TestUiLoop loop;
    ScriptedService files(false);
    files.SortByName = false;
    std::unique_ptr<TFileAttr> root;
    {
        DescriptorLimit limit(LowestFreeDescriptor() + 40);
        root = Scan(loop, ScanOptions{'c', nullptr, &files});
    }

    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->MaxLevel, kDepth);
    EXPECT_EQ(root->Size, kDepth * 11.0);
    const TFileAttr* level = root.get();
    int sides = 0;
    while (level != nullptr) {
        const TFileAttr* next = nullptr;
        for (const auto& child : level->Children) {
            if (child->Name == "s") {
                sides += child->Searched && child->Size == 10 ? 1 : 0;
            } else {
                next = child.get();
            }
        }
        level = next;
    }
    EXPECT_EQ(sides, kDepth);
}

}  // namespace
}  // namespace zelk::test
