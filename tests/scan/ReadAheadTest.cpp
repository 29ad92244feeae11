// Guards reading ahead: with read-ahead threads the walk gives, field by field, the record tree
// and status steps it gives without them, over two thousand directories with files, sparse
// files, hard links, long and odd names, directories that cannot be listed and (as root) a
// volume mounted inside; and a stop at a fixed directory leaves the same partial tree.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "ScanTestSupport.h"
#include "support/TmpfsMount.h"

namespace zelk::test {
namespace {

TEST(ReadAheadWalk, GivesTheRecordsAndStepsOfTheWalkWithoutItAndFindsTotals) {
    TempTree tree;
    ScriptedService files;
    std::mt19937 random(20261207);
    std::vector<std::string> dirs{""};
    for (int i = 1; i <= 2000; ++i) {
        // Later directories mostly go below recent ones, so the tree has depth.
        const std::size_t pick =
            dirs.size() - 1 - random() % std::min<std::size_t>(dirs.size(), 40);
        const std::string name = i % 97 == 0
                                     ? "a long name, past short strings " + std::to_string(i)
                                     : (i % 89 == 0 ? "back\\slash" : "d") + std::to_string(i);
        dirs.push_back(dirs[pick].empty() ? name : dirs[pick] + "/" + name);
        tree.MakeDir(dirs.back());
        for (unsigned f = random() % 4; f > 0; --f) {
            tree.WriteFile(dirs.back() + "/f" + std::to_string(f), random() % 5000);
        }
        if (i % 50 == 0) {
            tree.WriteSparse(dirs.back() + "/sparse", 1 << 20, 100);
            ASSERT_EQ(link(tree.PathOf(dirs.back() + "/sparse").c_str(),
                           tree.PathOf(dirs[i / 2] + "/link").c_str()),
                      0);
        }
        if (i % 70 == 0) {
            // Followed, a link to a directory would count it twice; opened, a FIFO blocks.
            const std::string here = tree.PathOf(dirs.back());
            ASSERT_EQ(symlink(tree.PathOf(dirs[i / 2]).c_str(), (here + "/up").c_str()), 0);
            ASSERT_EQ(symlink("../nowhere", (here + "/dangling").c_str()), 0);
            ASSERT_EQ(mkfifo((here + "/fifo").c_str(), 0644), 0);
        }
    }
    // One listing longer than a read of the directory's names.
    for (int i = 0; i < 1500; ++i) {
        const std::string name = "d1/" + std::string(50, 'n') + std::to_string(i);
        i % 300 == 0 ? tree.MakeDir(name) : tree.WriteFile(name, i);
    }
    tree.WriteSparse("five-gib", 5ull << 30, 0);
    tree.SetTime(dirs[1234], "2031-05-06 07:08:09");
    // Refused listings: for anyone but root by its mode, for everyone by the service.
    const std::string closed = tree.PathOf(dirs[700]);
    ASSERT_EQ(chmod(closed.c_str(), 0), 0);
    files.FailListingOf = {"d900", "d1500"};
    files.SortByName = false;
    const TmpfsMount mounted(tree.PathOf(dirs[300]), "1m");
    if (mounted.Mounted()) {
        tree.SetOtherMounts({mounted.Path()});
    }

    const std::string without = OutlineAndSteps(files, 0, "");
    // With more than one thread, the entries of a directory are looked up in parallel too.
    for (const int threads : {1, 4, 16}) {
        EXPECT_EQ(OutlineAndSteps(files, threads, ""), without) << threads;
    }
    // Stopping is checked elsewhere; here a stop must cut both walks at the same place, and
    // nothing opened ahead of it, by the threads or as it was listed, stays open.
    const long before = OpenDescriptors();
    EXPECT_EQ(OutlineAndSteps(files, 2, "d1200"), OutlineAndSteps(files, 0, "d1200"));
    EXPECT_EQ(OpenDescriptors(), before);

    ASSERT_EQ(chmod(closed.c_str(), 0755), 0);  // else find could not count below it
    const auto root = Scan();
    const FindSums find = SumWithFind(tree.Root());
    ASSERT_GT(find.sparse, 1) << "the file system made no file sparse";
    EXPECT_EQ(root->Size, find.size);  // hard links once
    EXPECT_EQ(root->CompressedSize, find.compressed);
}

}  // namespace
}  // namespace zelk::test
