// Guards what a walk of a real tree adds up: each record's totals and depth, the newest date
// (the "." entry included, the parent named by ".." never, and the real year kept), awkward
// names, empty or missing roots. And the walk's contract with the user-interface thread: one
// status step per sub-directory, before it is entered, in walk order and never for files, naming
// real paths where the walk is given its root's; no steps at all without a status line,
// including one cleared mid-walk; and a stop that leaves the levels being walked unsearched
// while records finished earlier keep their totals. The steps are batched, yet a path entered
// just before a long listing reaches the status line while that directory is listed.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ScanTestSupport.h"
#include "scan/StatusBatch.h"

namespace zelk::test {
namespace {

class SearchControl : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string dir : {"a", "a/a1", "a/a2", "m", "m/n", "m/n/o", "z"}) {
            tree.Make({dir + "/", dir + "/file1=100", dir + "/file2=10"});
        }
    }
    TempTree tree;
};

TEST_F(SearchControl, RecordsCarryTheirPathDepthAndTheTotalsBelowThem) {
    tree.Make({"back\\slash/", "back\\slash/f=10", "new\nline/", "new\nline/f=8",
               "bad\xff\xfeutf8/", "bad\xff\xfeutf8/f=9", "empty", "one=1", "a/odd=12295"});
    const auto root = Scan();

    EXPECT_EQ(Brief(*root),
              "\\ 13093/13093 L3 {a 12625/12625 L2 {a1 110/110, a2 110/110}, "
              "back\\slash 10/10, bad\xff\xfeutf8 9/9, m 330/330 L3 {n 220/220 L3 "
              "{o 110/110}}, new\nline 8/8, z 110/110}");
    EXPECT_EQ(Find(*root, "m/n/o")->Path(), "c:\\m\\n\\o");
}

TEST(SearchTotals, LastWriteIsTheNewestDateBelowItsOwnIncludedInItsRealYear) {
    TempTree tree;
    tree.Make({"a/", "a/deep/", "b/", "b/sub/", "b/sub/new=1", "e/", "e/f=1"});
    for (const char* path : {"", "..", "a/deep", "b", "b/sub", "e/f"}) {
        tree.SetTime(path, "1990-01-01");
    }
    tree.SetTime("a", "2020-01-01");  // a/deep's "..", which says nothing about a/deep
    tree.SetTime("b/sub/new", "1998-06-15 13:45:30");
    tree.SetTime("e", "2015-01-01");  // e's "." is its newest entry
    const auto root = Scan();

    // 1998-06-15 is day 35961 counted from 1899-12-30.
    const double y1998 = 35961 + (13 * 3600 + 45 * 60 + 30) / 86400.0;
    const double y2020 = LocalDate("2020-01-01");
    EXPECT_EQ(Find(*root, "a/deep")->LastWrite, LocalDate("1990-01-01"));
    EXPECT_EQ(Find(*root, "a")->LastWrite, y2020);
    EXPECT_DOUBLE_EQ(Find(*root, "b/sub")->LastWrite, y1998);
    EXPECT_DOUBLE_EQ(Find(*root, "b")->LastWrite, y1998);
    EXPECT_EQ(Find(*root, "e")->LastWrite, LocalDate("2015-01-01"));
    EXPECT_EQ(root->LastWrite, y2020);
}

TEST(SearchTotals, EmptyOrMissingRootIsSearchedWithNothingInIt) {
    const TempTree tree;
    EXPECT_EQ(Brief(*Scan()), "\\ 0/0");
    // No drive chosen is no listing failed.
    for (const auto& [drive, brief] :
         {std::pair{'q', "\\ 0/0 u undated"}, {'\0', "\\ 0/0 undated"}}) {
        EXPECT_EQ(Brief(*Scan(ScanOptions{drive})), brief) << drive;
    }
}

TEST_F(SearchControl, NoStepsWithoutAStatusLineNorOnceItIsCleared) {
    std::atomic<int> wakeUps{0};
    TThread::SetWakeUpHook([&wakeUps] { ++wakeUps; });
    TThread::RecordUiThread();
    TFileAttr root;
    TSearchThread thread(true, &root);
    thread.Drive = 'c';
    thread.Start();
    // Not serving: a step asked for wakes this thread and holds the worker until it is served.
    while (!thread.BodyDone() && wakeUps == 0) {
        std::this_thread::yield();
    }
    EXPECT_EQ(wakeUps, 0);
    thread.AwaitEnd();
    TThread::SetWakeUpHook(nullptr);
    EXPECT_TRUE(root.Searched);

    RecordingStatusLine status;
    const auto clearAtTheSecond = [&status](TSearchThread& running) {
        status.OnText = [&status, &running] {
            if (status.Texts.size() == 2) {
                running.StatusBar = nullptr;
            }
        };
    };
    EXPECT_TRUE(Scan({.StatusBar = &status, .BeforeStart = clearAtTheSecond})->Searched);
    EXPECT_EQ(status.Texts.size(), 2u);
}

TEST_F(SearchControl, StepsComeInWalkOrderAndAStopLeavesTheLevelsBeingWalkedUnsearched) {
    ScriptedService files;  // name order: a, m, z
    RecordingStatusLine status;
    const auto stopInO = [&files](TSearchThread& thread) {
        files.AfterEntry = [&thread](const std::string& dir, const std::string& name) {
            if (dir == "o" && name == "file1") {
                thread.RequestStop();
            }
        };
    };
    const auto root = Scan({.StatusBar = &status, .Files = &files, .BeforeStart = stopInO});

    EXPECT_EQ(Brief(*root),
              "\\ 0/0 ? {a 330/330 L2 {a1 110/110, a2 110/110}, m 0/0 ? {n 0/0 ? {o 0/0 ?}}}");
    EXPECT_EQ(status.Texts, (std::vector<std::string>{"c:\\a", "c:\\a\\a1", "c:\\a\\a2", "c:\\m",
                                                      "c:\\m\\n", "c:\\m\\n\\o"}));
}

TEST_F(SearchControl, GivenItsRootsRealPathTheStepsCarryRealPaths) {
    tree.MakeDir("a/back\\slash");
    for (const std::string root : {"/", "/srv/data"}) {
        ScriptedService files;
        RecordingStatusLine status;
        const auto at = [&root](TSearchThread& thread) { thread.StatusRoot = root; };
        Scan({.StatusBar = &status, .Files = &files, .BeforeStart = at});
        const std::string b = root == "/" ? "" : root;
        EXPECT_EQ(status.Texts, (std::vector<std::string>{b + "/a", b + "/a/a1", b + "/a/a2",
                                                          b + "/a/back\\slash", b + "/m",
                                                          b + "/m/n", b + "/m/n/o", b + "/z"}))
            << root;
    }
}

TEST_F(SearchControl, StopBeforeTheWalkLeavesTheRootUntouched) {
    const auto stop = [](TSearchThread& thread) { thread.RequestStop(); };
    EXPECT_EQ(Brief(*Scan({.BeforeStart = stop})), "\\ 0/0 ? undated");
}

TEST_F(SearchControl, PathEnteredBeforeALongListingIsShownWhileItIsListed) {
    for (int i = 1000; i < 1300; ++i) {
        tree.WriteFile("z/f" + std::to_string(i), 1);
    }
    RecordingStatusLine status;
    ScriptedService files;  // name order: "c:\z" is the last path, entered before its listing
    std::size_t shownWhileListing = 0;
    files.AfterEntry = [&](const std::string& dir, const std::string& name) {
        if (dir == "z" && name == "f1000") {
            std::this_thread::sleep_until(StatusBatch::Clock::now() + StatusBatch::kInterval);
        }
        // The worker waited for every text shown so far, so they can be read here.
        if (dir == "z" && name == "f1200") {
            shownWhileListing = status.Texts.size();
        }
    };
    Scan(ScanOptions{'c', &status, &files});

    EXPECT_EQ(shownWhileListing, 7u);
    EXPECT_EQ(status.Texts.size(), 7u);
}

}  // namespace
}  // namespace zelk::test
