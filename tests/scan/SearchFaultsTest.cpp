// Guards that failures of the file system are facts about the tree, never the end of the walk:
// a listing that cannot be opened (marked unreadable), entries that cannot be looked up (no
// size, no date), a compressed size that cannot be read, entries that vanish. And, on real mounts
// (as root; skipped otherwise), the edges of the volume: the root's date comes from inside it,
// never from the directory it is mounted on, and a hung file system mounted inside is listed as
// an empty directory without ever being asked.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "ScanTestSupport.h"
#include "support/FuseMount.h"
#include "support/TmpfsMount.h"

#ifndef ZELK_HUNG_FS
#define ZELK_HUNG_FS ""  // not built: the test skips
#endif

namespace zelk::test {
namespace {

class SearchFaults : public ::testing::Test {
  protected:
    TempTree tree;
    ScriptedService files;
    ScanOptions options{.Files = &files};
};

TEST_F(SearchFaults, FailedListingIsSearchedEmptyAndRefusedCompressedSizeIsTheSize) {
    tree.Make({"a/", "a/f=10", "bad/", "bad/inner/", "bad/f=1000", "z/"});
    tree.WriteSparse("z/refused", 1 << 20, 0);
    tree.WriteSparse("z/answered", 1 << 20, 0);
    files.FailListingOf = {"bad"};
    files.UnknownAllocation = {"refused"};
    const auto root = Scan(options);

    EXPECT_EQ(Brief(*root), "\\ 2097162/1048586 L1 {a 10/10, bad 0/0 u, z 2097152/1048576}");
}

TEST_F(SearchFaults, EntriesThatVanishWhileListedAreLeftOut) {
    tree.MakeDir("v");
    for (int i = 0; i < 20; ++i) {
        tree.WriteFile("v/gone" + std::to_string(i), 7);
    }
    files.SortByName = false;
    int listed = 0;
    files.AfterEntry = [&](const std::string& dir, const std::string& name) {
        // What the listing has looked up before this is listed; the rest vanishes under it.
        for (int i = 0; dir == "v" && listed == 0 && i < 20; ++i) {
            unlink(tree.PathOf("v/gone" + std::to_string(i)).c_str());
        }
        listed += dir == "v" && name.rfind("gone", 0) == 0 ? 1 : 0;
    };
    // Read ahead, every entry would be looked up before it goes: this is the walk's own look-up.
    const auto root = Scan({.Files = &files, .ReadAheadThreads = 0});

    EXPECT_GE(listed, 1);
    EXPECT_EQ(Find(*root, "v")->Size, 7 * listed);
}

TEST_F(SearchFaults, ClosedDirectoriesAreMarkedForAnUnprivilegedUserAndReadByRoot) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to scan as root and as nobody: skipped";
    }
    ASSERT_EQ(chmod(tree.PathOf("..").c_str(), 0755), 0);
    tree.Make({"locked/", "locked/f=100", "listable/", "listable/sub/", "listable/f=10", "g=1"});
    ASSERT_EQ(chmod(tree.PathOf("locked").c_str(), 0), 0);
    ASSERT_EQ(chmod(tree.PathOf("listable").c_str(), 0644), 0);  // read, not searched

    EXPECT_EQ(Brief(*Scan()), "\\ 111/111 L2 {listable 10/10 L2 {sub 0/0}, locked 100/100}");

    const std::string seenFile = tree.PathOf("../seen");
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream seen(seenFile);  // opened while it still may be
        seen << (setgid(65534) != 0 || setuid(65534) != 0 ? "no nobody" : Brief(*Scan()));
        seen.close();
        _exit(seen ? 0 : 1);
    }
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    std::ifstream in(seenFile);
    // Below a directory that can be read but not searched nothing can be looked up.
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "\\ 1/1 L2 {listable 0/0 L2 {sub 0/0 u undated}, locked 0/0 u}");
}

TEST(MountedVolume, RootIsDatedFromInsideAndAHungMountInsideIsNeverAsked) {
    const TempTree tree;
    tree.SetTime("", "2230-01-01");
    tree.SetTime("..", "2230-01-01");
    const TmpfsMount volume(tree.Root());
    if (!volume.Mounted()) {
        GTEST_SKIP() << TmpfsMount::kRefused;
    }
    tree.Make({"a/", "a/f=300", "g=20"});
    tree.SetTime("a/f", "2022-03-04 05:06:07");
    tree.SetTime("g", "2019-01-01");
    tree.SetTime("a", "2021-01-01");
    tree.SetTime("", "2020-01-01");
    EXPECT_EQ(Scan()->LastWrite, LocalDate("2022-03-04 05:06:07"));

    if (!FuseMount::Usable(ZELK_HUNG_FS)) {
        GTEST_SKIP() << "no /dev/fuse or hung_fs: the hung file system cannot be mounted, skipped";
    }
    tree.MakeDir("hung");
    const FuseMount hung(ZELK_HUNG_FS, {tree.PathOf("hung")}, tree.PathOf("hung"));
    if (!hung.Mounted()) {
        GTEST_SKIP() << "the hung file system did not come up: skipped";
    }
    tree.SetTime("", "2023-01-01");
    tree.SetOtherMounts({tree.PathOf("hung")});
    const auto root = Scan();

    EXPECT_EQ(Brief(*root), "\\ 320/320 L1 {a 300/300, hung 0/0}");
    EXPECT_EQ(Find(*root, "hung")->LastWrite, LocalDate("2023-01-01"));
}

}  // namespace
}  // namespace zelk::test
