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

void WriteAt(int dir, const char* name, const std::string& data) {
    const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    close(fd);
}

// A chain of depth directories "d" below root; every level holds a file of one byte, and each
// level also a side directory "s" with a file of ten bytes, when withSides. Paths this long only
// work relative to open directories.
void MakeChain(const std::string& root, int depth, bool withSides) {
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < depth; ++level) {
        ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
        ASSERT_NO_FATAL_FAILURE(WriteAt(fd, "f", "1"));
        if (withSides) {
            ASSERT_EQ(mkdirat(fd, "s", 0755), 0);
            const int side = openat(fd, "s", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ASSERT_NO_FATAL_FAILURE(WriteAt(side, "f", "0123456789"));
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
    EXPECT_EQ(deepest->Path().size(), 2 + 2 * 10000u);
    root.reset();
    EXPECT_EQ(TFileAttr::LiveCount(), before);
}

TEST(DeepTree, WalkOutOfDescriptorsStillCountsEveryEntry) {
    TempTree tree;
    constexpr int kDepth = 150;
    ASSERT_NO_FATAL_FAILURE(MakeChain(tree.Root(), kDepth, true));
    TestUiLoop loop;
    ScriptedService files(false);
    files.SortByName = false;
    // New descriptors take the lowest free number: leave 40 above it.
    const int lowestFree = open("/dev/null", O_RDONLY | O_CLOEXEC);
    close(lowestFree);
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit lowered = saved;
    lowered.rlim_cur = lowestFree + 40;
    setrlimit(RLIMIT_NOFILE, &lowered);
    const auto root = Scan(loop, ScanOptions{'c', nullptr, &files});
    setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->MaxLevel, kDepth);
    EXPECT_EQ(root->Size, kDepth * 11.0);
    int sides = 0;
    for (const TFileAttr* level = root.get(); level != nullptr;) {
        const TFileAttr* side = Find(*level, "s");
        sides += side != nullptr && side->Searched && side->Size == 10 ? 1 : 0;
        level = Find(*level, "d");
    }
    EXPECT_EQ(sides, kDepth);
}

}  // namespace
}  // namespace zelk::test
