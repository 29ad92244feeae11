// Guards what a walk of a real tree adds up: each record's path, level, depth and totals, the
// newest date (the "." and ".." entries included, and the real year kept), awkward names, and
// that links, FIFOs and empty or missing roots are handled without entering anything they should
// not.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ScanTestSupport.h"

namespace zelk::test {
namespace {

class SearchTotals : public ::testing::Test {
  protected:
    TempTree tree;
    TestUiLoop loop;
};

TEST_F(SearchTotals, RecordsCarryTheirPathLevelDepthAndTheTotalsBelowThem) {
    struct Row {
        const char* names;
        const char* path;
        int level;
        int maxLevel;
        double size;
    };
    const Row rows[] = {
        {"a", "c:\\a", 1, 3, 3 * 4096 + 12},
        {"a/b", "c:\\a\\b", 2, 3, 5},
        {"a/b/c", "c:\\a\\b\\c", 3, 3, 5},
        {"back\\slash", "c:\\back\\slash", 1, 1, 10},
        {"new\nline", "c:\\new\nline", 1, 1, 11},
        {"bad\xff\xfeutf8", "c:\\bad\xff\xfeutf8", 1, 1, 12},
    };
    tree.WriteFile("empty", 0);
    tree.WriteFile("one", 1);
    for (const Row& row : rows) {
        tree.MakeDir(row.names);
    }
    tree.WriteFile("a/odd", 3 * 4096 + 7);
    tree.WriteFile("a/b/c/f", 5);
    for (const Row& row : {rows[3], rows[4], rows[5]}) {
        tree.WriteFile(std::string(row.names) + "/f", static_cast<std::size_t>(row.size));
    }
    const auto root = Scan(loop);

    ASSERT_TRUE(root->Searched);
    EXPECT_EQ(root->Name, "\\");
    EXPECT_EQ(root->Path(), "c:");
    EXPECT_EQ(root->MaxLevel, 3);
    EXPECT_EQ(root->Size, 1 + 3 * 4096 + 12 + 33);
    EXPECT_EQ(root->CompressedSize, root->Size);
    EXPECT_EQ(root->Children.size(), 4u);
    for (const Row& row : rows) {
        const TFileAttr* record = Find(*root, row.names);
        ASSERT_NE(record, nullptr) << row.path;
        EXPECT_EQ(record->Path(), row.path);
        EXPECT_TRUE(record->Searched) << row.path;
        EXPECT_EQ(record->Level, row.level) << row.path;
        EXPECT_EQ(record->MaxLevel, row.maxLevel) << row.path;
        EXPECT_EQ(record->Size, row.size) << row.path;
        EXPECT_EQ(record->Parent->Level, row.level - 1) << row.path;
    }
    EXPECT_EQ(Find(*root, "a")->Parent, root.get());
    EXPECT_EQ(Find(*root, "a/b/c")->Parent, Find(*root, "a/b"));
}

TEST_F(SearchTotals, LastWriteIsTheNewestDateBelowDotEntriesIncludedInItsRealYear) {
    const auto old = LocalSeconds(1990, 1, 1, 0, 0, 0);
    tree.MakeDir("a");
    tree.MakeDir("a/deep");
    tree.WriteFile("a/deep/new", 1);
    tree.MakeDir("b");
    tree.WriteFile("b/file", 1);
    tree.MakeDir("c");
    for (const char* p : {"a/deep", "a", "b/file", "c", ".."}) {
        tree.SetTime(p, old);
    }
    tree.SetTime("a/deep/new", LocalSeconds(1998, 6, 15, 13, 45, 30));
    tree.SetTime("b", LocalSeconds(2015, 1, 1, 0, 0, 0));  // b's "." is its newest entry
    tree.SetTime("", LocalSeconds(2020, 1, 1, 0, 0, 0));   // c's ".." is its newest entry
    const auto root = Scan(loop);

    // 1998-06-15 is day 35961 counted from 1899-12-30.
    const double y1998 = 35961 + (13 * 3600 + 45 * 60 + 30) / 86400.0;
    FindData entry;
    entry.LastWriteTime = LocalSeconds(2015, 1, 1, 0, 0, 0);
    const double y2015 = TSearchThread::FileDateOf(entry);
    entry.LastWriteTime = LocalSeconds(2020, 1, 1, 0, 0, 0);
    const double y2020 = TSearchThread::FileDateOf(entry);
    EXPECT_DOUBLE_EQ(Find(*root, "a/deep")->LastWrite, y1998);
    EXPECT_EQ(Find(*root, "a")->LastWrite, y2020);  // through a's ".."
    EXPECT_EQ(Find(*root, "b")->LastWrite, y2020);
    EXPECT_EQ(Find(*root, "c")->LastWrite, y2020);
    EXPECT_EQ(root->LastWrite, y2020);

    // Without the root's own date in the way, the newest date below comes up.
    tree.SetTime("", old);
    tree.SetTime("b", LocalSeconds(2015, 1, 1, 0, 0, 0));
    const auto again = Scan(loop);
    EXPECT_DOUBLE_EQ(Find(*again, "a")->LastWrite, y1998);
    EXPECT_EQ(Find(*again, "b")->LastWrite, y2015);
    EXPECT_EQ(again->LastWrite, y2015);
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

TEST_F(SearchTotals, LinksAndFifosAreNeverEntered) {
    tree.MakeDir("target");
    tree.WriteFile("target/big", 5000);
    ASSERT_EQ(symlink("target", tree.PathOf("link").c_str()), 0);
    ASSERT_EQ(symlink(".", tree.PathOf("loop").c_str()), 0);
    ASSERT_EQ(mkfifo(tree.PathOf("fifo").c_str(), 0644), 0);  // opening it would block the walk
    const auto root = Scan(loop);

    ASSERT_EQ(root->Children.size(), 1u);
    EXPECT_EQ(root->Children[0]->Name, "target");
    EXPECT_EQ(root->Size, 5000 + 6 + 1);  // a link counts the length of what it names
}

}  // namespace
}  // namespace zelk::test
