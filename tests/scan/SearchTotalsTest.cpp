// Guards what a walk of a real tree adds up: sizes of plain and sparse files, the newest date
// (the "." and ".." entries included, and the real year kept), depths, awkward names, and that
// links, FIFOs and empty or missing roots are handled without entering anything they should not.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ScanTestSupport.h"

namespace zelk::test {
namespace {

double AllocationOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0);
    return static_cast<double>(st.st_blocks) * 512;
}

double DateOf(std::int64_t seconds) {
    FindData entry;
    entry.LastWriteTime = seconds;
    return TSearchThread::FileDateOf(entry);
}

double LinkSizeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0);
    return static_cast<double>(st.st_size);
}

class SearchTotals : public ::testing::Test {
  protected:
    void SetUp() override { tree.InstallAsDriveC(); }
    TempTree tree;
    TestUiLoop loop;
};

TEST_F(SearchTotals, PlainFilesAddTheirSizesToBothTotalsUpTheTree) {
    tree.WriteFile("empty", 0);
    tree.WriteFile("one", 1);
    tree.MakeDir("sub");
    tree.WriteFile("sub/odd", 3 * 4096 + 7);
    const auto root = Scan(loop);

    ASSERT_TRUE(root->Searched);
    EXPECT_EQ(root->Name, "\\");
    EXPECT_EQ(root->Path, "c:");
    EXPECT_EQ(root->Size, 1 + 3 * 4096 + 7);
    EXPECT_EQ(root->CompressedSize, root->Size);
    ASSERT_EQ(root->Children.size(), 1u);
    const TFileAttr& sub = *root->Children[0];
    EXPECT_EQ(sub.Parent, root.get());
    EXPECT_EQ(sub.Path, "c:\\sub");
    EXPECT_EQ(sub.Level, 1);
    EXPECT_TRUE(sub.Searched);
    EXPECT_EQ(sub.Size, 3 * 4096 + 7);
}

TEST_F(SearchTotals, SparseFilesCountTheirAllocationAsCompressedSize) {
    tree.WriteSparse("million", 1000000, 4096);
    tree.WriteSparse("five-gib", 5ull << 30, 0);
    tree.WriteFile("plain", 100);
    const auto root = Scan(loop);

    const double allocated =
        AllocationOf(tree.PathOf("million")) + AllocationOf(tree.PathOf("five-gib"));
    ASSERT_LT(allocated, 1000000);  // the file system really made them sparse
    EXPECT_EQ(root->Size, 1000000.0 + 5.0 * 1073741824.0 + 100);
    EXPECT_EQ(root->CompressedSize, allocated + 100);
}

TEST_F(SearchTotals, FileDateKeepsItsRealYear) {
    tree.WriteFile("old", 1);
    tree.SetTime("old", LocalSeconds(1998, 6, 15, 13, 45, 30));
    tree.SetTime("", LocalSeconds(1990, 1, 1, 0, 0, 0));
    tree.SetTime("..", LocalSeconds(1990, 1, 1, 0, 0, 0));
    const auto root = Scan(loop);

    // 1998-06-15 is day 35961 counted from 1899-12-30.
    EXPECT_DOUBLE_EQ(root->LastWrite, 35961 + (13 * 3600 + 45 * 60 + 30) / 86400.0);
}

TEST_F(SearchTotals, LastWriteIsTheNewestDateBelowDotEntriesIncluded) {
    const auto old = LocalSeconds(2000, 1, 1, 0, 0, 0);
    tree.MakeDir("a");
    tree.MakeDir("a/deep");
    tree.WriteFile("a/deep/new", 1);
    tree.MakeDir("b");
    tree.WriteFile("b/file", 1);
    tree.MakeDir("c");
    for (const char* p : {"a/deep/new", "a/deep", "a", "b/file", "c"}) {
        tree.SetTime(p, old);
    }
    tree.SetTime("a/deep/new", LocalSeconds(2010, 1, 1, 0, 0, 0));
    tree.SetTime("b", LocalSeconds(2015, 1, 1, 0, 0, 0));  // b's "." is its newest entry
    tree.SetTime("", LocalSeconds(2020, 1, 1, 0, 0, 0));   // c's ".." is its newest entry
    tree.SetTime("..", old);
    const auto root = Scan(loop);

    const double y2010 = DateOf(LocalSeconds(2010, 1, 1, 0, 0, 0));
    const double y2015 = DateOf(LocalSeconds(2015, 1, 1, 0, 0, 0));
    const double y2020 = DateOf(LocalSeconds(2020, 1, 1, 0, 0, 0));
    EXPECT_EQ(Find(*root, "a/deep")->LastWrite, y2010);
    EXPECT_EQ(Find(*root, "a")->LastWrite, y2020);  // through a's ".."
    EXPECT_EQ(Find(*root, "b")->LastWrite, y2020);
    EXPECT_EQ(Find(*root, "c")->LastWrite, y2020);
    EXPECT_EQ(root->LastWrite, y2020);

    // Without the root's own date in the way, the newest date below comes up.
    tree.SetTime("", old);
    tree.SetTime("b", LocalSeconds(2015, 1, 1, 0, 0, 0));
    const auto again = Scan(loop);
    EXPECT_EQ(Find(*again, "a")->LastWrite, y2010);
    EXPECT_EQ(Find(*again, "b")->LastWrite, y2015);
    EXPECT_EQ(again->LastWrite, y2015);
}

TEST_F(SearchTotals, MaxLevelIsTheDepthOfTheDeepestDirectoryBelow) {
    tree.MakeDir("a");
    tree.MakeDir("a/b");
    tree.MakeDir("a/b/c");
    tree.MakeDir("x");
    const auto root = Scan(loop);

    EXPECT_EQ(root->MaxLevel, 3);
    EXPECT_EQ(Find(*root, "a")->MaxLevel, 3);
    EXPECT_EQ(Find(*root, "a/b/c")->Level, 3);
    EXPECT_EQ(Find(*root, "a/b/c")->MaxLevel, 3);
    EXPECT_EQ(Find(*root, "x")->MaxLevel, 1);
}

TEST_F(SearchTotals, EmptyOrMissingRootIsSearchedWithNothingInIt) {
    const auto empty = Scan(loop);
    EXPECT_TRUE(empty->Searched);
    EXPECT_EQ(empty->Size, 0);
    EXPECT_EQ(empty->CompressedSize, 0);
    EXPECT_EQ(empty->MaxLevel, 0);
    EXPECT_TRUE(empty->Children.empty());

    for (const char drive : {'q', '\0'}) {
        const auto missing = Scan(loop, ScanOptions{drive});
        EXPECT_TRUE(missing->Searched);
        EXPECT_EQ(missing->LastWrite, 0);
        EXPECT_TRUE(missing->Children.empty());
    }
}

TEST_F(SearchTotals, NamesWithAnyBytesAreWalkedAsTheyStand) {
    const std::vector<std::string> names = {"back\\slash", "new\nline", "bad\xff\xfeutf8"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        tree.MakeDir(names[i]);
        tree.WriteFile(names[i] + "/f", 10 + i);
    }
    const auto root = Scan(loop);

    ASSERT_EQ(root->Children.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const TFileAttr* dir = Find(*root, names[i]);
        ASSERT_NE(dir, nullptr) << i;
        EXPECT_EQ(dir->Path, "c:\\" + names[i]);
        EXPECT_EQ(dir->Size, 10 + i);
    }
}

TEST_F(SearchTotals, LinksAndFifosAreCountedButNeverEntered) {
    tree.MakeDir("target");
    tree.WriteFile("target/big", 5000);
    ASSERT_EQ(symlink("target", tree.PathOf("link").c_str()), 0);
    ASSERT_EQ(symlink(".", tree.PathOf("loop").c_str()), 0);
    ASSERT_EQ(mkfifo(tree.PathOf("fifo").c_str(), 0644), 0);  // opening it would block the walk
    const auto root = Scan(loop);

    ASSERT_EQ(root->Children.size(), 1u);
    EXPECT_EQ(root->Children[0]->Name, "target");
    EXPECT_EQ(root->Size, 5000 + LinkSizeOf(tree.PathOf("link")) + LinkSizeOf(tree.PathOf("loop")));
}

}  // namespace
}  // namespace zelk::test
