// Guards the walk's totals against independent counts: GNU find's sizes and allocations of
// every non-directory entry of a generated tree with sparse files (one past 4 GiB), links and
// FIFOs; and du's totals of a tree of hard links, each file counted once.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "ScanTestSupport.h"

namespace zelk::test {
namespace {

TEST(FindCrossCheck, RootTotalsEqualFindsSumsOfNonDirectoryEntries) {
    if (std::system("find --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "find is not installed";
    }
    TempTree tree;
    std::mt19937 random(20261207);
    std::vector<std::string> dirs = {""};
    for (int i = 0; i < 60; ++i) {
        const std::string parent = dirs[random() % dirs.size()];
        dirs.push_back(parent + (parent.empty() ? "" : "/") + "d" + std::to_string(i));
        tree.MakeDir(dirs.back());
    }
    for (int i = 0; i < 400; ++i) {
        const std::string& dir = dirs[random() % dirs.size()];
        const std::string name = (dir.empty() ? "" : dir + "/") + "f" + std::to_string(i);
        switch (random() % 20) {
            case 0:
                tree.WriteSparse(name, (1ull << 20) + random() % 100000, random() % 8192);
                break;
            case 1:
                ASSERT_EQ(symlink("../somewhere", tree.PathOf(name).c_str()), 0);
                break;
            case 2:
                ASSERT_EQ(mkfifo(tree.PathOf(name).c_str(), 0644), 0);
                break;
            default:
                tree.WriteFile(name, random() % 20000);
        }
    }
    tree.WriteSparse("five-gib", 5ull << 30, 0);
    TestUiLoop loop;
    const auto root = Scan(loop);

    const FindSums find = SumWithFind(tree.Root());
    ASSERT_EQ(find.entries, 401);
    ASSERT_GT(find.sparse, 1) << "the file system made no file sparse";
    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->Size, find.size);
    EXPECT_EQ(root->CompressedSize, find.compressed);
}

TEST(FindCrossCheck, HardLinkedFilesCountOnceAsDuCountsThem) {
    TempTree tree;
    // Whole pages, so that allocation and size agree and both bases compare with du.
    for (const char* dir : {"a", "b", "c", "snap1", "snap1/sub", "snap2", "snap2/sub"}) {
        tree.MakeDir(dir);
    }
    tree.WriteFile("a/shared", 3 * 4096);
    tree.WriteFile("snap1/one", 4096);
    tree.WriteFile("snap1/sub/two", 5 * 4096);
    tree.WriteFile("snap2/sub/changed", 7 * 4096);
    for (const auto& [from, to] : {std::pair{"a/shared", "b/shared"},
                                   {"a/shared", "c/again"},
                                   {"snap1/one", "snap2/one"},
                                   {"snap1/sub/two", "snap2/sub/two"}}) {
        ASSERT_EQ(link(tree.PathOf(from).c_str(), tree.PathOf(to).c_str()), 0);
    }
    TestUiLoop loop;
    const auto root = Scan(loop);

    const auto [apparent, allocated] = DuOfFiles(tree.Root());
    ASSERT_GE(apparent, 0) << "du or find failed";
    EXPECT_EQ(root->Size, 16 * 4096);
    EXPECT_EQ(root->Size, apparent);
    EXPECT_EQ(root->CompressedSize, allocated);
    EXPECT_EQ(Find(*root, "a")->Size + Find(*root, "b")->Size + Find(*root, "c")->Size, 3 * 4096);
}

}  // namespace
}  // namespace zelk::test
