// Guards the batched status steps: a path entered just before a long listing still reaches the
// status line while that directory is listed, not only when the walk ends.

#include "scan/StatusBatch.h"

#include <gtest/gtest.h>

#include <thread>

#include "ScanTestSupport.h"
#include "ScriptedService.h"

namespace zelk::test {
namespace {

TEST(StatusBatch, PathEnteredBeforeALongListingIsShownWhileItIsListed) {
    TempTree tree;
    tree.MakeDir("a");
    tree.MakeDir("b");
    for (int i = 1000; i < 1300; ++i) {
        tree.WriteFile("b/f" + std::to_string(i), 1);
    }
    RecordingStatusLine status;
    ScriptedService files;  // name order: "c:\a" is shown at once, "c:\b" waits
    bool shownWhileListing = false;
    files.AfterEntry = [&](const std::string& dir, const std::string& name) {
        if (dir == "b" && name == "f1000") {
            const auto until = StatusBatch::Clock::now() + StatusBatch::kInterval;
            while (StatusBatch::Clock::now() < until) {
                std::this_thread::yield();
            }
        }
        // The worker waited for every text shown so far, so they can be read here.
        if (dir == "b" && name == "f1200") {
            shownWhileListing = status.Texts.size() == 2;
        }
    };
    Scan(ScanOptions{'c', &status, &files});

    EXPECT_TRUE(shownWhileListing);
    EXPECT_EQ(status.Texts, (std::vector<std::string>{"c:\\a", "c:\\b"}));
}

}  // namespace
}  // namespace zelk::test
