// Guards that failures of the file system are facts about the tree, never the end of the walk:
// a listing that cannot be opened (marked unreadable), entries that cannot be looked up (no
// size, no date), a compressed size that cannot be read, entries that vanish.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ScanTestSupport.h"
#include "ScriptedService.h"

namespace zelk::test {
namespace {

class SearchFaults : public ::testing::Test {
  protected:
    TempTree tree;
    TestUiLoop loop;
    ScriptedService files;
    ScanOptions options{'c', nullptr, &files};
};

TEST_F(SearchFaults, ListingThatFailsIsSearchedEmptyAndSiblingsGoOn) {
    for (const char* dir : {"a", "bad", "bad/inner", "z"}) {
        tree.MakeDir(dir);
    }
    tree.WriteFile("a/f", 10);
    tree.WriteFile("bad/f", 1000);
    tree.WriteFile("z/f", 20);
    files.FailListingOf = {"bad"};
    const auto root = Scan(loop, options);

    const TFileAttr* bad = Find(*root, "bad");
    ASSERT_NE(bad, nullptr);
    EXPECT_TRUE(bad->Searched);
    EXPECT_TRUE(bad->Unreadable);
    EXPECT_FALSE(Find(*root, "a")->Unreadable);
    EXPECT_EQ(bad->Size, 0);
    EXPECT_TRUE(bad->Children.empty());
    EXPECT_EQ(Find(*root, "z")->Size, 20);
    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->Size, 30);
}

TEST_F(SearchFaults, UnreadableCompressedSizeFallsBackToTheSize) {
    tree.WriteSparse("refused", 1 << 20, 0);
    tree.WriteSparse("answered", 1 << 20, 0);
    files.UnreadableCompressed = {"c:\\refused"};
    const auto root = Scan(loop, options);

    EXPECT_EQ(root->Size, 2 << 20);
    EXPECT_GE(root->CompressedSize, 1 << 20);
    EXPECT_LT(root->CompressedSize, 2 << 20);
}

TEST_F(SearchFaults, EntriesThatVanishWhileListedAreLeftOut) {
    tree.MakeDir("v");
    for (int i = 0; i < 20; ++i) {
        tree.WriteFile("v/gone" + std::to_string(i), 7);
    }
    files.SortByName = false;
    int listed = 0;
    files.AfterEntry = [&](const std::string& dir, const std::string& name) {
        // The directory has been read in one piece by now: what is removed is already listed.
        for (int i = 0; dir == "v" && listed == 0 && i < 20; ++i) {
            unlink(tree.PathOf("v/gone" + std::to_string(i)).c_str());
        }
        listed += dir == "v" && name.rfind("gone", 0) == 0 ? 1 : 0;
    };
    // Read ahead, every entry would be looked up before it goes: this is the walk's own look-up.
    const char* saved = getenv("ZELK_READ_AHEAD");
    const std::string readAhead = saved != nullptr ? saved : "";
    setenv("ZELK_READ_AHEAD", "0", 1);
    const auto root = Scan(loop, options);
    setenv("ZELK_READ_AHEAD", readAhead.c_str(), 1);

    EXPECT_LE(listed, 1);
    EXPECT_EQ(Find(*root, "v")->Size, 7 * listed);
    EXPECT_TRUE(root->Searched);
}

TEST_F(SearchFaults, ClosedDirectoriesAreMarkedForAnUnprivilegedUserAndReadByRoot) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to scan as root and as nobody: skipped";
    }
    ASSERT_EQ(chmod(tree.PathOf("..").c_str(), 0755), 0);
    for (const char* dir : {"locked", "listable", "listable/sub"}) {
        tree.MakeDir(dir);
    }
    tree.WriteFile("locked/f", 100);
    tree.WriteFile("listable/f", 10);
    tree.WriteFile("g", 1);
    ASSERT_EQ(chmod(tree.PathOf("locked").c_str(), 0), 0);
    ASSERT_EQ(chmod(tree.PathOf("listable").c_str(), 0644), 0);  // read, not searched

    const auto asRoot = Scan(loop);
    EXPECT_FALSE(Find(*asRoot, "locked")->Unreadable);
    EXPECT_FALSE(Find(*asRoot, "listable/sub")->Unreadable);
    EXPECT_EQ(asRoot->Size, 111);

    // The child reports which expectations failed, one bit each.
    const pid_t child = fork();
    if (child == 0) {
        int failed = setgid(65534) != 0 || setuid(65534) != 0 ? 1 : 0;
        const auto root = Scan(loop);
        const TFileAttr* locked = Find(*root, "locked");
        const TFileAttr* sub = Find(*root, "listable/sub");
        failed |= locked == nullptr || !locked->Unreadable || !locked->Searched ? 2 : 0;
        failed |= sub == nullptr || !sub->Unreadable || sub->LastWrite != 0 ? 4 : 0;
        failed |= Find(*root, "listable")->Unreadable || root->Unreadable ? 8 : 0;
        failed |= root->Size != 1 ? 16 : 0;
        _exit(failed);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace zelk::test
