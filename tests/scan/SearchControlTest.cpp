// Guards the walk's contract with the user-interface thread: one status step per sub-directory,
// before it is entered, in walk order and never for files; no steps at all without a status
// line, including one cleared mid-walk; and a stop that leaves the levels being walked unsearched
// while records finished earlier keep their totals.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ScanTestSupport.h"
#include "ScriptedService.h"

namespace zelk::test {
namespace {

void PreorderPaths(const TFileAttr& record, std::vector<std::string>& out) {
    for (const auto& child : record.Children) {
        out.push_back(child->Path());
        PreorderPaths(*child, out);
    }
}

class SearchControl : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* dir : {"a", "a/a1", "a/a2", "m", "m/n", "m/n/o", "z"}) {
            tree.MakeDir(dir);
            tree.WriteFile(std::string(dir) + "/file1", 100);
            tree.WriteFile(std::string(dir) + "/file2", 10);
        }
    }
    TempTree tree;
    TestUiLoop loop;
};

TEST_F(SearchControl, StatusStepsComeOncePerSubDirectoryInWalkOrder) {
    RecordingStatusLine status;
    const auto root = Scan(loop, ScanOptions{'c', &status});

    std::vector<std::string> walked;
    PreorderPaths(*root, walked);
    EXPECT_EQ(walked.size(), 7u);
    EXPECT_EQ(status.Texts, walked);
}

TEST_F(SearchControl, NoStepsWithoutAStatusLine) {
    TFileAttr root;
    TSearchThread thread(true, &root);
    thread.Drive = 'c';
    thread.Start();
    thread.AwaitEnd();
    EXPECT_TRUE(root.Searched);
    EXPECT_EQ(loop.WakeUps(), 0);
}

TEST_F(SearchControl, StatusLineClearedMidWalkGetsNoFurtherTexts) {
    RecordingStatusLine status;
    TFileAttr root;
    TSearchThread thread(true, &root);
    thread.Drive = 'c';
    thread.StatusBar = &status;
    status.OnText = [&] {
        if (status.Texts.size() == 2) {
            thread.StatusBar = nullptr;
        }
    };
    thread.Start();
    thread.AwaitEnd();
    EXPECT_TRUE(root.Searched);
    EXPECT_EQ(status.Texts.size(), 2u);
}

TEST_F(SearchControl, StopDuringThirdLevelListingLeavesItAndItsAncestorsUnsearched) {
    ScriptedService files;  // name order: a, m, z
    std::atomic<bool> reached{false};
    std::atomic<bool> stopped{false};
    files.AfterEntry = [&](const std::string& dir, const std::string& name) {
        if (dir == "o" && name == "file1") {
            reached = true;
            loop.Wake();
            while (!stopped) {
                std::this_thread::yield();
            }
        }
    };
    ScanOptions options{'c', nullptr, &files};
    options.EachTurn = [&](TSearchThread& thread) {
        if (reached && !stopped) {
            thread.RequestStop();
            stopped = true;
        }
    };
    const auto root = Scan(loop, options);

    for (const char* path : {"m/n/o", "m/n", "m"}) {
        const TFileAttr* record = Find(*root, path);
        ASSERT_NE(record, nullptr) << path;
        EXPECT_FALSE(record->Searched) << path;
        EXPECT_EQ(record->Size, 0) << path;
        EXPECT_EQ(record->CompressedSize, 0) << path;
    }
    EXPECT_FALSE(root->Searched);
    EXPECT_EQ(root->Size, 0);
    const TFileAttr* done = Find(*root, "a");
    EXPECT_TRUE(done->Searched);
    EXPECT_EQ(done->Size, 330);
    EXPECT_EQ(done->MaxLevel, 2);
    EXPECT_EQ(Find(*root, "z"), nullptr);
}

TEST_F(SearchControl, StopBeforeTheWalkLeavesTheRootUntouched) {
    TFileAttr root;
    TSearchThread thread(true, &root);
    thread.Drive = 'c';
    thread.RequestStop();
    thread.Start();
    thread.AwaitEnd();
    EXPECT_FALSE(root.Searched);
    EXPECT_TRUE(root.Children.empty());
    EXPECT_EQ(root.Path(), "c:");
}

}  // namespace
}  // namespace zelk::test
