// Guards walks of trees deeper than any stack or descriptor budget: 10,000 levels scan, list and
// free, and a 3,000-level walk under a low open-file limit counts every entry while holding a
// bounded number of descriptors.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <algorithm>
#include <thread>

#include "ScanTestSupport.h"
#include "platform/PosixDirectoryService.h"
#include "platform/PosixListing.h"

namespace zelk::test {
namespace {

void WriteAt(int dir, const char* name, const std::string& data) {
    const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    close(fd);
}

// A chain of depth directories "d" below root; every level holds a file of one byte, and each
// level also side directories "s" and "t" with a file of ten bytes, when withSides. Paths this
// long only work relative to open directories.
void MakeChain(const std::string& root, int depth, bool withSides) {
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < depth; ++level) {
        ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
        ASSERT_NO_FATAL_FAILURE(WriteAt(fd, "f", "1"));
        for (const char* name : {"s", "t"}) {
            if (withSides) {
                ASSERT_EQ(mkdirat(fd, name, 0755), 0);
                const int side = openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                ASSERT_NO_FATAL_FAILURE(WriteAt(side, "f", "0123456789"));
                close(side);
            }
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

int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) {
            ++count;
        }
        closedir(dir);
    }
    return count;
}

TEST(DeepTree, LowOpenFileLimitLosesNothingAndDescriptorsStayBounded) {
    TempTree tree;
    constexpr int kDepth = 3000;
    ASSERT_NO_FATAL_FAILURE(MakeChain(tree.Root(), kDepth, true));
    const FindSums find = SumWithFind(tree.Root());
    ASSERT_EQ(find.entries, 3 * kDepth);
    for (const rlim_t limit : {128, 1024}) {
        SCOPED_TRACE(limit);
        TestUiLoop loop;
        PosixDirectoryService files(false);
        RecordingStatusLine status;
        const int before = OpenDescriptors();
        int most = before;
        status.OnText = [&] { most = std::max(most, OpenDescriptors()); };
        rlimit saved{};
        getrlimit(RLIMIT_NOFILE, &saved);
        rlimit lowered = saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_NOFILE, &lowered);
        const auto root = Scan(loop, ScanOptions{'c', &status, &files});
        setrlimit(RLIMIT_NOFILE, &saved);

        EXPECT_TRUE(root->Searched);
        EXPECT_EQ(root->MaxLevel, kDepth);
        EXPECT_EQ(root->Size, find.size);
        EXPECT_EQ(status.Texts.size(), 3u * kDepth);
        // Reading ahead, each thread and the walk list through one descriptor of their own,
        // and up to one a thread is kept for the walk to take over.
        const int readAhead =
            ReadAhead::ThreadsFromEnvironment(std::thread::hardware_concurrency());
        EXPECT_LE(most - before,
                  PosixListing::kOpenLevels + 2 + (readAhead > 0 ? 2 * readAhead + 1 : 0));
    }
}

}  // namespace
}  // namespace zelk::test
