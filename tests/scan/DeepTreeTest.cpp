// Guards walks of trees deeper than any stack or descriptor budget: under a low open-file limit
// a chain of 10,000 levels, and one of 3,000 with side directories at every level, scan, list
// and free, counting every entry while holding a bounded number of descriptors.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "ScanTestSupport.h"
#include "platform/DescriptorBudget.h"
#include "platform/PosixDirectoryService.h"
#include "platform/ReadAheadTuner.h"
#include "platform/ReadAheadWindow.h"

namespace zelk::test {
namespace {

constexpr int kDirectory = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// A chain of depth directories "d" below root; every level holds a file of one byte and, with
// sides, directories "s" and "t" holding a file of ten bytes. Paths this long only work
// relative to open directories, here through their descriptors' names.
bool MakeChain(const std::string& root, int depth, bool withSides) {
    int fd = open(root.c_str(), kDirectory);
    for (int level = 0; fd >= 0 && level < depth; ++level) {
        const std::string here = "/proc/self/fd/" + std::to_string(fd) + "/";
        std::ofstream(here + "f") << "1";
        for (const char* side : {"s", "t"}) {
            if (withSides && mkdirat(fd, side, 0755) == 0) {
                std::ofstream(here + side + "/f") << "0123456789";
            }
        }
        const int next = mkdirat(fd, "d", 0755) == 0 ? openat(fd, "d", kDirectory) : -1;
        close(fd);
        fd = next;
    }
    return fd >= 0 && close(fd) == 0;
}

TEST(DeepTree, DeepChainsScanAndFreeHoldingFewDescriptorsUnderALowLimit) {
    for (const auto& [depth, withSides] : {std::pair{10000, false}, {3000, true}}) {
        SCOPED_TRACE(depth);
        TempTree tree;
        ASSERT_TRUE(MakeChain(tree.Root(), depth, withSides));
        const std::size_t directories = depth * (withSides ? 3u : 1u);
        const long records = TFileAttr::LiveCount();
        PosixDirectoryService files(false);
        RecordingStatusLine status;
        const long before = OpenDescriptors();
        long most = before;
        status.OnText = [&] { most = std::max(most, OpenDescriptors()); };
        const int readAhead = ReadAheadWindow::ThreadsFromEnvironment();
        const auto kept = static_cast<long>(ReadAheadWindow::MostKept(readAhead));
        auto root = Scan({.StatusBar = &status, .Files = &files, .FileLimit = 128});

        EXPECT_EQ(root->MaxLevel, depth);
        EXPECT_EQ(root->Size, depth * (withSides ? 21 : 1));
        EXPECT_EQ(status.Texts.size(), directories);
        // Reading ahead, each thread and the walk list through one descriptor of their own,
        // and a few are kept for the walk to take over.
        const long threads = readAhead < 0 ? ReadAheadTuner::kMostThreads : readAhead;
        EXPECT_LE(most - before,
                  DescriptorBudget::kOpenLevels + 2 + (threads > 0 ? threads + 1 + kept : 0));
        EXPECT_EQ(std::ranges::max(status.Texts, {}, &std::string::size).size(),
                  2 + 2 * static_cast<std::size_t>(depth));
        EXPECT_EQ(TFileAttr::LiveCount() - records, static_cast<long>(directories) + 1);
        root.reset();
        EXPECT_EQ(TFileAttr::LiveCount(), records);
    }
}

}  // namespace
}  // namespace zelk::test
