// Guards the walk's totals against an independent count: GNU find's sizes and allocations of
// every non-directory entry of a generated tree with sparse files (one past 4 GiB), links and
// FIFOs.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
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

    const std::string command = "find '" + tree.Root() + "' ! -type d -printf '%s %b %y\\n'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    double size = 0;
    double compressed = 0;
    unsigned long long bytes = 0;
    unsigned long long blocks = 0;
    char type = 0;
    int entries = 0;
    int sparse = 0;
    while (std::fscanf(pipe, "%llu %llu %c", &bytes, &blocks, &type) == 3) {
        ++entries;
        size += static_cast<double>(bytes);
        const bool holes = type == 'f' && blocks * 512 < bytes;
        sparse += holes ? 1 : 0;
        compressed += static_cast<double>(holes ? blocks * 512 : bytes);
    }
    ASSERT_EQ(pclose(pipe), 0);
    ASSERT_EQ(entries, 401);
    ASSERT_GT(sparse, 1) << "the file system made no file sparse";
    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->Size, size);
    EXPECT_EQ(root->CompressedSize, compressed);
}

}  // namespace
}  // namespace zelk::test
