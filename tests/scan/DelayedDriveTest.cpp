// Guards reading ahead where every request waits on a server: on the tests' delaying file
// system, with the automatic count of threads and with 64, the walk gives, field by field, the
// records and status steps it gives alone, over the whole tree and when stopped at the same
// step. Skipped where FUSE or the delaying file system is missing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "ScanTestSupport.h"
#include "platform/VolumeTable.h"
#include "support/FuseMount.h"

namespace zelk::test {
namespace {

#ifndef ZELK_DELAY_FS
#define ZELK_DELAY_FS ""  // not built: the tests skip
#endif

TEST(DelayedDrive, TotalsEqualFindsAndReadingAheadGivesTheRecordsAndStepsOfTheWalkAlone) {
    TempTree tree;
    ScriptedService files;  // in the order the server lists
    if (!FuseMount::Usable(ZELK_DELAY_FS)) {
        GTEST_SKIP() << "no /dev/fuse or delay_fs: the delaying file system cannot be mounted";
    }
    // Three hundred directories at varied depths with files of varied sizes, a file linked
    // from many of them, links, an empty directory and a chain sixty deep.
    std::mt19937 random(8122026);
    std::vector<std::string> dirs{"src"};
    tree.Make({"net/", "src/", "src/shared=7000", "src/empty/"});
    for (int i = 0; i < 300; ++i) {
        dirs.push_back(dirs[random() % dirs.size()] + "/n" + std::to_string(i));
        tree.MakeDir(dirs.back());
        for (unsigned f = random() % 5; f > 0; --f) {
            tree.WriteFile(dirs.back() + "/f" + std::to_string(f), random() % 20000);
        }
        if (i % 25 == 0) {
            ASSERT_EQ(link(tree.PathOf("src/shared").c_str(),
                           tree.PathOf(dirs.back() + "/shared").c_str()),
                      0);
        }
    }
    ASSERT_EQ(symlink("..", tree.PathOf(dirs[40] + "/up").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", tree.PathOf(dirs[80] + "/dangling").c_str()), 0);
    std::string chain = "src";
    for (int level = 0; level < 60; ++level) {
        tree.MakeDir(chain += "/c");
    }
    tree.WriteFile(chain + "/bottom", 123);
    const FuseMount drive(ZELK_DELAY_FS,
                          std::vector<std::string>{tree.PathOf("src"), tree.PathOf("net"), "200"},
                          tree.PathOf("net"));
    if (!drive.Mounted()) {
        GTEST_SKIP() << "the delaying file system did not come up: skipped";
    }
    Volume volume;
    volume.Letter = 'c';
    volume.Kind = DriveKind::Network;
    volume.MountPoint = tree.PathOf("net");
    InstallVolumeTable(std::make_shared<VolumeTable>(std::vector<Volume>{volume}));
    files.SortByName = false;

    const auto root = Scan();
    const FindSums find = SumWithFind(tree.PathOf("src"));
    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->Size, find.size);  // hard links once
    EXPECT_EQ(root->CompressedSize, find.compressed);
    EXPECT_EQ(root->MaxLevel, 60);

    const std::string whole = OutlineAndSteps(files, 0, "");
    const std::string stopped = OutlineAndSteps(files, 0, "n150");
    // Stopped well inside the walk.
    ASSERT_GT(stopped.size(), whole.size() / 4);
    ASSERT_LT(stopped.size(), whole.size());
    for (const int threads : {ScanOptions::kAutomatic, 64}) {
        const std::string count = threads < 0 ? "automatic" : std::to_string(threads);
        EXPECT_EQ(OutlineAndSteps(files, threads, ""), whole) << count;
        EXPECT_EQ(OutlineAndSteps(files, threads, "n150"), stopped) << count;
    }
}

}  // namespace
}  // namespace zelk::test
