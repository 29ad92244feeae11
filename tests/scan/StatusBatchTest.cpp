// Guards how the walk's status paths reach the user-interface thread: handed over at once for the
// first directory, then at most once an interval unless they grow large, and still during a long
// listing that follows a directory entered in between.

#include "scan/StatusBatch.h"

#include <gtest/gtest.h>

#include <thread>

#include "ScanTestSupport.h"
#include "ScriptedService.h"

namespace zelk::test {
namespace {

using Clock = StatusBatch::Clock;
using std::chrono::milliseconds;

TEST(StatusBatch, IsDueFirstAtOnceThenAnIntervalAfterTheLastHandOverOrWhenLarge) {
    const Clock::time_point t0 = Clock::now();
    struct Case {
        const char* what;
        bool handedBefore;
        std::size_t paths;
        std::size_t length;
        Clock::duration since;
        bool due;
    };
    const Case cases[] = {
        {"nothing waits", false, 0, 0, milliseconds(100), false},
        {"the first path", false, 1, 10, milliseconds(0), true},
        {"soon after a hand-over", true, 100, 10, StatusBatch::kInterval / 2, false},
        {"an interval after it", true, 1, 10, StatusBatch::kInterval, true},
        {"many paths", true, 4096, 1, milliseconds(0), true},
        {"long paths", true, 64, 16384, milliseconds(0), true},
    };
    for (const Case& c : cases) {
        StatusBatch batch;
        if (c.handedBefore) {
            batch.Add("c:\\old");
            batch.Handed(t0);
            batch.Clear();
        }
        for (std::size_t i = 0; i < c.paths; ++i) {
            batch.Add(std::string(c.length, 'd'));
        }
        EXPECT_EQ(batch.Due(t0 + c.since), c.due) << c.what;
    }
}

TEST(StatusBatch, PathEnteredBeforeALongListingIsShownWhileItIsListed) {
    TempTree tree;
    tree.MakeDir("a");
    tree.MakeDir("b");
    for (int i = 0; i < 300; ++i) {
        tree.WriteFile("b/f" + std::to_string(1000 + i), 1);
    }
    TestUiLoop loop;
    RecordingStatusLine status;
    ScriptedService files;  // name order
    bool shownWhileListing = false;
    files.AfterEntry = [&](const std::string& dir, const std::string& name) {
        if (dir == "b" && name == "f1000") {
            const Clock::time_point until = Clock::now() + StatusBatch::kInterval;
            while (Clock::now() < until) {
                std::this_thread::yield();
            }
        }
        // The worker waited for every text shown so far, so they can be read here.
        if (dir == "b" && name == "f1200") {
            shownWhileListing = !status.Texts.empty() && status.Texts.back() == "c:\\b";
        }
    };
    Scan(loop, ScanOptions{'c', &status, &files});

    EXPECT_TRUE(shownWhileListing);
    EXPECT_EQ(status.Texts, (std::vector<std::string>{"c:\\a", "c:\\b"}));
}

}  // namespace
}  // namespace zelk::test
