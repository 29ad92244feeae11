// Guards what a walk of a real tree adds up: each record's totals and depth, the newest date
// (the "." and ".." entries included, and the real year kept), awkward names, empty or missing
// roots; and the totals against independent counts: find's sizes and allocations of a
// generated tree with sparse files (one past 4 GiB), links and FIFOs, none of them entered, and
// du's totals of a tree of hard links, each file counted once.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

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
    const TFileAttr* deepest = Find(*root, "a/b/c");
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(deepest->Level, 3);
    EXPECT_EQ(deepest->Path(), "c:\\a\\b\\c");
    EXPECT_EQ(Find(*root, "new\nline")->Path(), "c:\\new\nline");
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

TEST_F(SearchTotals, RootTotalsEqualFindsSumsAndNoLinkOrFifoIsEntered) {
    std::mt19937 random(20261207);
    std::vector<std::string> dirs = {"."};
    for (int i = 0; i < 60; ++i) {
        dirs.push_back(dirs[random() % dirs.size()] + "/d" + std::to_string(i));
        tree.MakeDir(dirs.back());
    }
    for (int i = 0; i < 400; ++i) {
        const std::string name = dirs[random() % dirs.size()] + "/f" + std::to_string(i);
        const auto kind = random() % 20;
        if (kind == 0) {
            tree.WriteSparse(name, (1ull << 20) + random() % 100000, random() % 8192);
        } else if (kind == 1) {
            // Followed, a link to a directory would count it twice.
            const std::string target = i % 2 == 0 ? tree.PathOf("d0") : "../nowhere";
            ASSERT_EQ(symlink(target.c_str(), tree.PathOf(name).c_str()), 0);
        } else if (kind == 2) {
            ASSERT_EQ(mkfifo(tree.PathOf(name).c_str(), 0644), 0);  // opening it would block
        } else {
            tree.WriteFile(name, random() % 20000);
        }
    }
    // One listing longer than a read of the directory's names.
    for (int i = 0; i < 1500; ++i) {
        const std::string name = "d1/" + std::string(50, 'n') + std::to_string(i);
        i % 300 == 0 ? tree.MakeDir(name) : tree.WriteFile(name, i);
    }
    tree.WriteSparse("five-gib", 5ull << 30, 0);
    const auto root = Scan();

    const FindSums find = SumWithFind(tree.Root());
    ASSERT_EQ(find.entries, 1896);
    ASSERT_GT(find.sparse, 1) << "the file system made no file sparse";
    EXPECT_TRUE(root->Searched);
    EXPECT_EQ(root->Size, find.size);
    EXPECT_EQ(root->CompressedSize, find.compressed);
}

TEST_F(SearchTotals, HardLinkedFilesCountOnceAsDuCountsThem) {
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
    const auto root = Scan();

    // du's totals, less the directories' own, which the walk counts as 0.
    const auto du = NumbersOf("cd '" + tree.Root() + R"(' && du -sxb . | cut -f1 &&
        du -sx --block-size=1 . | cut -f1 && find . -type d -printf '%s %b\n' |
        awk '{s += $1; b += $2 * 512} END {printf "%.0f %.0f\n", s, b}')");
    ASSERT_EQ(du.size(), 4u) << "du or find failed";
    EXPECT_EQ(root->Size, 16 * 4096);
    EXPECT_EQ(root->Size, du[0] - du[2]);
    EXPECT_EQ(root->CompressedSize, du[1] - du[3]);
    EXPECT_EQ(Find(*root, "a")->Size + Find(*root, "b")->Size + Find(*root, "c")->Size, 3 * 4096);
}

}  // namespace
}  // namespace zelk::test
